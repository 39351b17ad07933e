#include "engine_fixture.h"
#include "tracking/window_census.h"

namespace tally::test {
namespace {

template <typename Entry>
std::string Names(const std::vector<Entry>& entries)
{
    std::string result;
    for (const Entry& entry : entries) {
        if (!result.empty()) {
            result += ',';
        }
        result += entry.Name;
    }
    return result;
}

// Our own main window (1000) and hidden application window (1001) among
// others, top of the Z order first.
class CensusTest : public EngineTest
{
protected:
    CensusTest()
    {
        Add(1000, "Tallyhour", "tally", true, false);
        Add(1001, "Tallyhour app", "tally", false, false);
        Add(10, "visible", "vis.exe", true, false);
        Add(11, "", "nocap.exe", true, false);
        Add(12, "hidden", "hid.exe", false, false);
        Add(13, "dialog", "dlg.exe", true, true);
        Add(14, "hidden dialog", "hdlg.exe", false, true);
        engine.MainWindow = 1000;
        engine.SkipWindow = 1001;
    }

    void Add(WindowHandle handle, std::string caption, std::string process, bool visible, bool owned)
    {
        TopLevelWindow& window = desktop.AddWindow(handle, std::move(caption), std::move(process));
        window.Visible = visible;
        window.Owned = owned;
    }

    std::string List(std::uint8_t scope, bool processNames = false)
    {
        return Names(GetWindowList(desktop, 1000, 1001, scope, processNames));
    }
};

TEST_F(CensusTest, ScopesListTheirWindowsAndNeverTheExcludedOnes)
{
    EXPECT_EQ(List(scMainOnly), "Tallyhour,visible");
    EXPECT_EQ(List(scWithOwned), "Tallyhour,visible,dialog");
    EXPECT_EQ(GetWindowList(desktop, 1000, 1001, scWithOwned, false)[2].Handle, 13u);
    EXPECT_EQ(List(scWithHidden), "Tallyhour,visible,hidden");
    EXPECT_EQ(List(scWithHidden, true), "tally,vis.exe,hid.exe");
    EXPECT_EQ(desktop.LastStartWindow(), 1000u);
    // An unknown scope value lists what scMainOnly lists.
    EXPECT_EQ(List(7), List(scMainOnly));
}

TEST_F(CensusTest, SharedListsAreLowerCasedAndTakenOncePerKind)
{
    desktop.FindWindow(10)->Caption = "VISIBLE Window";
    desktop.ResetCounters();
    TickCensus census(desktop, 1000, 1001);
    EXPECT_EQ(Names(census.LoweredList(scMainOnly, false)), "tallyhour,visible window");
    EXPECT_EQ(Names(census.LoweredList(scWithOwned, false)), "tallyhour,visible window,dialog");
    EXPECT_EQ(Names(census.LoweredList(scWithHidden, true)), "tally,vis.exe,hid.exe");
    EXPECT_EQ(Names(census.LoweredList(scWithHidden, true)), "tally,vis.exe,hid.exe");
    EXPECT_EQ(desktop.CensusCalls(false), 1);
    EXPECT_EQ(desktop.CensusCalls(true), 1);
}

TEST_F(CensusTest, FailedPassFailsTheRestOfTheTickWithoutAskingAgain)
{
    desktop.SetFailing(FakeDesktop::Op::Census);
    TickCensus census(desktop, 1000, 1001);
    EXPECT_THROW(census.LoweredList(scMainOnly, false), std::runtime_error);
    desktop.SetFailing(FakeDesktop::Op::Census, false);
    EXPECT_THROW(census.LoweredList(scWithOwned, false), std::runtime_error);
    EXPECT_EQ(desktop.CensusCalls(false), 1);
    // The other kind is a pass of its own.
    EXPECT_EQ(census.LoweredList(scWithHidden, true).size(), 3u);
}

TEST(FindMatchingWindow, TopmostMatchWinsAndIdentifiersAreTriedPerWindow)
{
    const std::vector<CensusEntry> lowered = {{"mail - inbox", 1}, {"report.doc - editor", 2}, {"", 3}};
    EXPECT_EQ(FindMatchingWindow(lowered, {"editor", "mail"}, false), 1u);
    EXPECT_EQ(FindMatchingWindow(lowered, {"REPORT"}, false), 2u);
    EXPECT_EQ(FindMatchingWindow(lowered, {"", "nothing"}, false), 0u);
    EXPECT_EQ(FindMatchingWindow(lowered, {}, false), 0u);
}

TEST(FindMatchingWindow, ApplicationIdentifiersMatchByFileNamePart)
{
    const std::vector<CensusEntry> lowered = {{"winword.exe", 5}, {"editor.exe", 6}, {"", 7}};
    EXPECT_EQ(FindMatchingWindow(lowered, {"word.exe"}, true), 5u);
    EXPECT_EQ(FindMatchingWindow(lowered, {"C:\\Tools\\Editor.EXE"}, true), 6u);
    // The directory part never matches on its own; a path ending in a
    // delimiter has no file name and matches nothing, not every window.
    EXPECT_EQ(FindMatchingWindow(lowered, {"C:\\winword.exe.d\\other"}, true), 0u);
    EXPECT_EQ(FindMatchingWindow(lowered, {"C:\\Tools\\"}, true), 0u);
    // Captions are matched whole, delimiters included.
    EXPECT_EQ(FindMatchingWindow({{"c:\\tools\\editor.exe", 8}}, {"tools\\editor"}, false), 8u);
}

// Timers of every scope over one shared census decide as if each had taken
// its own.
TEST_F(CensusTest, SharedCensusGivesTheAnswersOfSeparateOnes)
{
    const std::vector<std::string> words = {"tally", "visible", "hidden", "dialog", "exe", "hdlg", "nocap"};
    for (const std::string& word : words) {
        for (std::uint8_t scope = 0; scope < 3; ++scope) {
            AddTimer(ttCaption, {word}, static_cast<WindowScope>(scope));
        }
        AddTimer(ttApplication, {word});
    }
    TickCensus shared(desktop, engine.MainWindow, engine.SkipWindow);
    for (const TMyTimer& timer : timers) {
        SCOPED_TRACE(timer.Identifiers[0] + " type " + std::to_string(timer.TimerType) + " scope "
                     + std::to_string(timer.WindowScope));
        EXPECT_EQ(engine.TimerTargetOk(timer, shared, clock.TickMs()), engine.TimerTargetOk(timer));
    }
    // The skipped window is never found; the main window is found like any other.
    EXPECT_EQ(engine.TimerTargetOk(timers[0]), TargetResult::Found(1000));
    AddTimer(ttCaption, {"tallyhour app"}, scWithHidden);
    EXPECT_FALSE(engine.TimerTargetOk(timers[timers.Count() - 1]).Present());
    // A window without a caption is not listed even for its process name.
    EXPECT_FALSE(engine.TimerTargetOk(timers[words.size() * 4 - 1]).Present());
}

} // namespace
} // namespace tally::test

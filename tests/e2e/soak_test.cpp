#include "platform/system/system_clock.h"
#include "program_fixture.h"
#include "soak_desktop.h"

#include <numeric>

namespace tally::test {
namespace {

// Under AddressSanitizer freed memory waits in its quarantine, so the
// resident size grows for reasons of the checker's own.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryMeasurable = false;
#else
constexpr bool kMemoryMeasurable = true;
#endif
#else
constexpr bool kMemoryMeasurable = true;
#endif

// Kept apart from the other program tests: it runs for over a minute.
class SoakTest : public ProgramTest
{ };

// Twenty timers follow a minute of windows opening, closing, changing their
// captions and coming to the front; then the session ends. The saved work
// periods follow what was on the screen, the totals are their sums, and the
// program's memory stays level once it has settled (the autosave, each
// minute, included).
TEST_F(SoakTest, TotalsAndMemoryHoldWhileWindowsChange)
{
    // The window is open, so the tick keeps its one-second pace; nobody types
    // on this display, so idleness must not stop the timers.
    WriteSettings("FirstLaunch=1\nIdleInterval=3600\nAutoSaveInterval=1\n");
    {
        TimeModel model;
        SoakDesktop::AddTimers(model);
        SaveData(model);
    }
    SoakDesktop desktop(*rig, dir.Path(), 12);

    auto program = StartProgram();
    ASSERT_TRUE(LogHas("Init->"));
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 30s));
    const TDateTime ready = SystemClock().Read().Now;

    desktop.RunFor(15s, 2s);
    const long settledKb = ResidentKb(program->Pid());
    desktop.RunFor(55s, 2s);
    const long lastKb = ResidentKb(program->Pid());
    const TDateTime stop = SystemClock().Read().Now;
    EXPECT_EQ(Terminate(*program), 0);

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(LoadData(model));
    EXPECT_EQ(model.Timers.Count(), static_cast<std::size_t>(SoakDesktop::kTimers));
    const std::vector<std::string> problems = desktop.Check(model, ready, stop);
    EXPECT_TRUE(problems.empty()) << desktop.Steps() << " changes of the desktop; "
                                  << std::accumulate(problems.begin(),
                                                     problems.end(),
                                                     std::string(),
                                                     [](std::string all, const std::string& line) {
                                                         return std::move(all) + "\n  " + line;
                                                     });
    // Most timers had something to track.
    const auto tracked = std::count_if(model.Timers.begin(), model.Timers.end(), [](const TMyTimer& t) {
        return t.ActiveTime + t.BackgroundTime > 0;
    });
    EXPECT_GE(tracked, SoakDesktop::kTimers / 2);

    RecordProperty("rss_kb_at_15s", std::to_string(settledKb));
    RecordProperty("rss_kb_at_70s", std::to_string(lastKb));
    ASSERT_GT(settledKb, 0);
    if (kMemoryMeasurable) {
        EXPECT_LE(lastKb - settledKb, 2048)
            << "VmRSS " << settledKb << " kB after 15 s, " << lastKb << " kB after 70 s";
    }
}

} // namespace
} // namespace tally::test

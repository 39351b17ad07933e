#include "platform/wayland/app_executable.h"
#include "platform/wayland/compositor_ipc.h"
#include "platform/wayland/source_choice.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tally::test {
namespace {

TEST(WaylandSourceChoice, TakesTheRichestSourceThatAnswered)
{
    using W = WindowSourceKind;
    using I = IdleSourceKind;
    struct Case
    {
        SourceProbe Probe;
        SourceChoice Expected;
        DesktopSight Sight;
    };
    const Case cases[] = {
        // Nothing answers: a plain Wayland compositor (weston).
        {{}, {W::None, I::None}, {false, false, false}},
        // sway 1.7: its IPC, the foreign-toplevel list and the KDE idle protocol.
        {{.SwayAnswers = true, .ForeignToplevelOffered = true, .KdeIdleOffered = true, .SeatOffered = true},
         {W::SwayIpc, I::KdeIdle},
         {true, false, true}},
        // A SWAYSOCK left over from another session does not answer: the protocol list then.
        {{.ForeignToplevelOffered = true, .ExtIdleNotifyOffered = true, .KdeIdleOffered = true, .SeatOffered = true},
         {W::ForeignToplevel, I::ExtIdleNotify},
         {true, false, true, false}},
        {{.HyprlandAnswers = true, .ForeignToplevelOffered = true, .ExtIdleNotifyOffered = true, .SeatOffered = true},
         {W::HyprlandIpc, I::ExtIdleNotify},
         {true, false, true}},
        // A desktop script's list wins over everything the compositor offers.
        {{.PushedAnswers = true, .SwayAnswers = true, .ForeignToplevelOffered = true},
         {W::Pushed, I::None},
         {true, false, false}},
        // GNOME: our extension's list, and Mutter's idle time where no idle protocol is offered.
        {{.PushedAnswers = true, .MutterIdleAnswers = true, .SeatOffered = true},
         {W::Pushed, I::MutterIdle},
         {true, false, true}},
        // Idle notices are per seat: without one there is no idle time.
        {{.ExtIdleNotifyOffered = true, .KdeIdleOffered = true}, {W::None, I::None}, {false, false, false}},
    };
    for (const Case& c : cases) {
        const SourceChoice choice = ChooseSources(c.Probe);
        EXPECT_EQ(choice, c.Expected) << SourceName(choice.Windows) << " / " << SourceName(choice.Idle);
        EXPECT_EQ(SightOf(choice), c.Sight) << SourceName(choice.Windows);
    }
}

TEST(WaylandAppExecutable, DesktopEntryExecLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[Desktop Entry]\nName=Editor\nExec=/usr/bin/gedit %U\n", "gedit"},
        {"[Desktop Entry]\nExec=env GDK_BACKEND=x11 LANG=C firefox-esr -new-window\n", "firefox-esr"},
        {"[Desktop Entry]\nExec=\"/opt/My App/bin/my-app\" --flag\r\n", "my-app"},
        // Only the main group's Exec counts, not an action's or a translated key.
        {"[Desktop Action new]\nExec=other\n[Desktop Entry]\nExecSearch=x\nExec[de]=y\nExec = foot\n", "foot"},
        {"[Desktop Entry]\nName=No program\n", ""},
        {"[Desktop Entry]\nExec=%U\n", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(DesktopEntryExecutable(text), expected) << text;
    }
}

TEST(WaylandAppExecutable, EntryFirstThenARunningProgramOfThatName)
{
    TempDir dir;
    const auto user = dir.Path() / "user";
    const auto system = dir.Path() / "system";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system);
    WriteFile((system / "org.example.Writer.desktop").string(), "[Desktop Entry]\nExec=writer-bin %F\n");
    WriteFile((user / "org.example.Writer.desktop").string(), "[Desktop Entry]\nExec=my-writer\n");
    WriteFile((system / "calc.desktop").string(), "[Desktop Entry]\nExec=galculator\n");
    WriteFile((system / "broken.desktop").string(), "[Desktop Entry]\nName=Broken\n");
    const std::vector<std::filesystem::path> dirs {user, system};
    const std::set<std::string> running {"foot", "broken", "thunderbird"};

    const std::pair<const char*, const char*> cases[] = {
        {"org.example.Writer", "my-writer"}, // the user's own entry first
        {"Calc", "galculator"},              // the entry's name in lower case
        {"foot", "foot"},                    // no entry: the running program
        {"Foot", "foot"},
        {"org.mozilla.Thunderbird", "thunderbird"}, // the last dotted part
        {"broken", "broken"},                       // an entry without Exec does not stop the search
        {"unknown-app", ""},
        {"", ""},
        {"../calc", ""}, // never a path out of the folders
    };
    for (const auto& [appId, expected] : cases) {
        EXPECT_EQ(ExecutableForAppId(appId, dirs, running), expected) << appId;
    }
}

TEST(WaylandCompositorLists, SwayTreeAndHyprlandClients)
{
    const auto sway = ParseSwayTree(R"({"id":1,"type":"root","nodes":[{"id":3,"type":"output","nodes":[
        {"id":4,"type":"workspace","nodes":[
            {"id":5,"type":"con","name":"a.txt - Editor","app_id":"editor","pid":10,"focused":false,"nodes":[]},
            {"id":6,"type":"con","layout":"splitv","nodes":[
                {"id":7,"type":"con","name":"X prog","app_id":null,"pid":11,"focused":true,
                 "window_properties":{"class":"XProg","transient_for":null}}]}],
         "floating_nodes":[{"id":8,"type":"floating_con","name":"Save as","pid":11,
                            "window_properties":{"class":"XProg","transient_for":4194305}}]}]}]})");
    ASSERT_EQ(sway.size(), 3u);
    EXPECT_EQ(sway[0].Handle, 7u) << "the focused window comes first";
    EXPECT_TRUE(sway[0].Focused);
    EXPECT_EQ(sway[0].AppId, "XProg");
    EXPECT_EQ(sway[1].Title, "a.txt - Editor");
    EXPECT_EQ(sway[1].ProcessId, 10);
    EXPECT_TRUE(sway[2].Owned);
    EXPECT_TRUE(ParseSwayTree("not json").empty());

    const auto hypr = ParseHyprlandClients(
        R"([{"address":"0x55aa10","mapped":true,"class":"kitty","title":"~","pid":42},
            {"address":"0x55aa20","mapped":false,"class":"hidden","title":"h","pid":43},
            {"address":"0x55aa30","mapped":true,"class":"firefox","title":"Web","pid":44}])",
        R"({"address":"0x55aa30"})");
    ASSERT_EQ(hypr.size(), 2u);
    EXPECT_EQ(hypr[0].Handle, 0x55aa30u);
    EXPECT_TRUE(hypr[0].Focused);
    EXPECT_EQ(hypr[1].ProcessId, 42);
    EXPECT_FALSE(hypr[1].Focused);
}

} // namespace
} // namespace tally::test

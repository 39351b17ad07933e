#include "dbus/bus_rig.h"
#include "platform/logind/bus_connection.h"
#include "platform/wayland/kwin_window_feed.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tally::test {
namespace {

// What our script pushes on a mock workspace of the given API, one list a
// step (see kwin_script_harness.js).
std::vector<std::string> ScriptPushes(int api)
{
    const std::string command
        = std::string("node ") + TALLY_KWIN_HARNESS + " " + TALLY_KWIN_SCRIPT_FILE + " " + std::to_string(api);
    std::vector<std::string> lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return lines;
    }
    std::string out;
    std::array<char, 4096> buffer {};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
        out += buffer.data();
    }
    if (::pclose(pipe) != 0) {
        return {};
    }
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The feed on a private bus, with one connection standing for KWin and one
// for anybody else.
class KwinFeedTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (std::system("command -v node >/dev/null") != 0) {
            GTEST_SKIP() << "node is not installed";
        }
        m_bus = std::make_unique<PrivateBus>(m_dir.Path());
        m_kwin = std::make_unique<BusDriver>(m_bus->Address());
        m_stranger = std::make_unique<BusDriver>(m_bus->Address());
        m_own = logind::OpenBus(logind::BusKind::Session, m_bus->Address(), 5s).Bus;
        ASSERT_TRUE(m_own);
        const char* kwinName = nullptr;
        ASSERT_GE(sd_bus_get_unique_name(m_kwin->Bus(), &kwinName), 0);
        ASSERT_GE(sd_bus_request_name(m_own.get(), kKwinFeedService, 0), 0);
        m_feed = std::make_unique<KwinWindowFeed>(m_own.get(), kwinName);
        m_feed->SetChangedCallback([this] { ++m_changes; });
    }

    // Pushes from the driver while the feed serves; the error name, or empty.
    std::string Push(BusDriver& from, const std::string& json)
    {
        auto call = std::async(std::launch::async, [&] {
            logind::BusError error;
            const int r = sd_bus_call_method(from.Bus(),
                                             kKwinFeedService,
                                             kKwinFeedPath,
                                             kKwinFeedInterface,
                                             "Push",
                                             error.Get(),
                                             nullptr,
                                             "s",
                                             json.c_str());
            return r >= 0 ? std::string() : std::string(error.Get()->name ? error.Get()->name : "failed");
        });
        while (call.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            m_feed->Dispatch();
            sd_bus_wait(m_own.get(), 10000);
        }
        return call.get();
    }

    struct Seen
    {
        std::string Title;
        std::string AppId;
        int ProcessId;
        bool Owned;
        bool Focused;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> Windows() const
    {
        std::vector<Seen> seen;
        for (const SeenWindow& w : m_feed->Windows()) {
            EXPECT_NE(w.Handle, 0u);
            seen.push_back({w.Title, w.AppId, w.ProcessId, w.Owned, w.Focused});
        }
        return seen;
    }

    TempDir m_dir;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<BusDriver> m_kwin;
    std::unique_ptr<BusDriver> m_stranger;
    logind::BusPtr m_own;
    std::unique_ptr<KwinWindowFeed> m_feed;
    int m_changes = 0;
};

TEST_P(KwinFeedTest, TakesTheScriptsListsFromKwinAlone)
{
    const std::vector<std::string> pushes = ScriptPushes(GetParam());
    ASSERT_EQ(pushes.size(), 5u) << "one list at start and one a change";

    const Seen editor {"Editor \u2014 notes", "org.kde.kate", 100, false, true};
    const Seen dialog {"Open File", "org.kde.kate", 100, true, false};
    Seen shell {"Shell", "xterm", 200, false, false}; // no desktop entry: the class names it
    ASSERT_EQ(Push(*m_kwin, pushes[0]), "");
    EXPECT_EQ(m_feed->ApiVersion(), GetParam());
    EXPECT_EQ(Windows(), (std::vector<Seen> {editor, dialog})) << "the panel is left out";
    const WindowHandle editorHandle = m_feed->Windows()[0].Handle;

    ASSERT_EQ(Push(*m_kwin, pushes[1]), "");
    EXPECT_EQ(Windows(), (std::vector<Seen> {editor, dialog, shell}));
    ASSERT_EQ(Push(*m_kwin, pushes[2]), "");
    shell.Focused = true;
    EXPECT_EQ(Windows(), (std::vector<Seen> {shell, {editor.Title, editor.AppId, 100, false, false}, dialog}))
        << "the focused window comes first";
    EXPECT_EQ(m_feed->Windows()[1].Handle, editorHandle) << "a window keeps its handle";
    ASSERT_EQ(Push(*m_kwin, pushes[3]), "");
    ASSERT_EQ(m_feed->Windows().size(), 3u);
    EXPECT_EQ(m_feed->Windows()[0].Title, "Shell two");
    const WindowHandle shellHandle = m_feed->Windows()[0].Handle;
    ASSERT_EQ(Push(*m_kwin, pushes[4]), "");
    EXPECT_EQ(Windows(), (std::vector<Seen> {{editor.Title, editor.AppId, 100, false, false}, dialog}))
        << "the closing window is gone, and with it the focus";
    EXPECT_EQ(m_changes, 5);

    // Nobody else may feed titles, nor may KWin send what is no list.
    EXPECT_EQ(Push(*m_stranger, pushes[1]), "org.freedesktop.DBus.Error.AccessDenied");
    EXPECT_EQ(Push(*m_kwin, "{\"windows\": [{\"caption\": \"no id\"}]}"), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(Push(*m_kwin, "not json"), "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(m_feed->Windows().size(), 2u);
    EXPECT_EQ(m_changes, 5);
    // A window that comes back after closing is a new one.
    ASSERT_EQ(Push(*m_kwin, pushes[3]), "");
    EXPECT_NE(m_feed->Windows()[0].Handle, shellHandle);
}

INSTANTIATE_TEST_SUITE_P(BothScriptingApis, KwinFeedTest, ::testing::Values(5, 6));

} // namespace
} // namespace tally::test

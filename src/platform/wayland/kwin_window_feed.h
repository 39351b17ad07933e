#pragma once

#include "platform/wayland/window_source.h"

#include <systemd/sd-bus.h>

#include <map>
#include <string>
#include <vector>

namespace tally {

// The names our script inside KWin calls (kwin-window-feed.js says the same).
inline constexpr const char* kKwinFeedService = "org.tallyhour.Zide.WindowFeed";
inline constexpr const char* kKwinFeedPath = "/org/tallyhour/Zide/WindowFeed";
inline constexpr const char* kKwinFeedInterface = "org.tallyhour.Zide.WindowFeed";

// The bus object our KWin script (or our GNOME Shell extension) pushes the
// window list to: Push(s) with the list as JSON. Only calls from
// `allowedSender` (the compositor's unique name) are
// taken, so nobody else on the bus can feed the program false titles; the
// object offers nothing to read. Each push taken replaces the list (the
// focused window first) and counts as a change, from Dispatch, which reads
// the bus.
class KwinWindowFeed final : public WindowSource
{
public:
    // Serves the object on the bus, which stays the caller's and must
    // outlive the feed; throws std::runtime_error when it cannot.
    KwinWindowFeed(sd_bus* bus, std::string allowedSender, std::string name = "KWin script");
    ~KwinWindowFeed() override;
    KwinWindowFeed(const KwinWindowFeed&) = delete;
    KwinWindowFeed& operator=(const KwinWindowFeed&) = delete;

    std::string Name() const override { return m_name; }
    bool KnowsProcesses() const override { return true; }
    const std::vector<SeenWindow>& Windows() override { return m_windows; }
    int EventDescriptor() const override;
    // Handles every call the bus holds; throws when the bus went away.
    void Dispatch() override;

    int Pushes() const { return m_pushes; }
    // 5 or 6: the scripting API the script found; 0 before the first push.
    int ApiVersion() const { return m_api; }

    // Takes one pushed list; false (the list kept) when it is not one.
    bool Take(const std::string& json);

private:
    static int OnMessage(sd_bus_message* message, void* data, sd_bus_error* error);

    sd_bus* m_bus;
    std::string m_allowedSender;
    std::string m_name;
    sd_bus_slot* m_slot = nullptr;
    std::vector<SeenWindow> m_windows;
    std::map<std::string, WindowHandle> m_handles; // KWin's window ids
    WindowHandle m_lastHandle = 0;
    int m_pushes = 0;
    int m_api = 0;
};

} // namespace tally

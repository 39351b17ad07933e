#include "platform/wayland/kwin_window_feed.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tally {

KwinWindowFeed::KwinWindowFeed(sd_bus* bus, std::string allowedSender, std::string name)
    : m_bus(bus)
    , m_allowedSender(std::move(allowedSender))
    , m_name(std::move(name))
{
    const int r = sd_bus_add_object(m_bus, &m_slot, kKwinFeedPath, &KwinWindowFeed::OnMessage, this);
    if (r < 0) {
        throw std::runtime_error(std::string("cannot serve the window feed: ") + std::strerror(-r));
    }
}

KwinWindowFeed::~KwinWindowFeed()
{
    sd_bus_slot_unref(m_slot);
}

int KwinWindowFeed::EventDescriptor() const
{
    return sd_bus_get_fd(m_bus);
}

void KwinWindowFeed::Dispatch()
{
    for (;;) {
        const int r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            throw std::runtime_error(std::string("the session bus went away: ") + std::strerror(-r));
        }
        if (r == 0) {
            return;
        }
    }
}

int KwinWindowFeed::OnMessage(sd_bus_message* message, void* data, sd_bus_error* /*error*/)
{
    auto* self = static_cast<KwinWindowFeed*>(data);
    if (sd_bus_message_is_method_call(message, kKwinFeedInterface, "Push") <= 0) {
        return 0; // the bus answers that there is no such method
    }
    const char* sender = sd_bus_message_get_sender(message);
    if (sender == nullptr || self->m_allowedSender.empty() || self->m_allowedSender != sender) {
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_ACCESS_DENIED, "only the compositor may push windows");
    }
    const char* json = nullptr;
    if (sd_bus_message_read(message, "s", &json) < 0 || json == nullptr || !self->Take(json)) {
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_INVALID_ARGS, "not a window list");
    }
    return sd_bus_reply_method_return(message, "");
}

bool KwinWindowFeed::Take(const std::string& json)
{
    const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("windows") || !doc["windows"].is_array()) {
        return false;
    }
    std::vector<SeenWindow> windows;
    std::map<std::string, WindowHandle> handles;
    int api = 0;
    try {
        api = doc.value("api", 0);
        const std::string active = doc.value("active", std::string());
        for (const nlohmann::json& w : doc["windows"]) {
            const std::string id = w.at("id").get<std::string>();
            if (id.empty() || handles.count(id) != 0) {
                return false;
            }
            const auto known = m_handles.find(id);
            SeenWindow seen;
            seen.Handle = known != m_handles.end() ? known->second : m_lastHandle + 1 + handles.size();
            seen.Title = w.value("caption", std::string());
            // The desktop entry names the application best; X programs
            // often have none, their class then stands in.
            seen.AppId = w.value("desktopFileName", std::string());
            if (seen.AppId.empty()) {
                seen.AppId = w.value("resourceClass", std::string());
            }
            const int pid = w.value("pid", 0);
            seen.ProcessId = pid > 0 ? pid : 0;
            seen.Owned = w.value("transient", false);
            seen.Focused = !active.empty() && id == active;
            handles[id] = seen.Handle;
            windows.push_back(std::move(seen));
        }
    } catch (const nlohmann::json::exception&) {
        return false;
    }
    // Top first, as the other desktops list them: a program's first window
    // found is then its focused one.
    const auto focused = std::find_if(windows.begin(), windows.end(), [](const SeenWindow& w) { return w.Focused; });
    if (focused != windows.end()) {
        std::rotate(windows.begin(), focused, focused + 1);
    }
    for (const auto& [id, handle] : handles) {
        m_lastHandle = std::max(m_lastHandle, handle);
    }
    m_handles = std::move(handles); // ids of closed windows go
    m_windows = std::move(windows);
    m_api = api;
    ++m_pushes;
    Changed();
    return true;
}

} // namespace tally

#include "platform/wayland/compositor_ipc.h"

#include "platform/wayland/unix_socket.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tally {

namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kRequestTimeout = 2000ms;

// sway's message: magic, payload length, type (high bit set on events), payload.
constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 8;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;

std::string SwayMessage(std::uint32_t type, const std::string& payload)
{
    std::string message(kMagic, sizeof kMagic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), 4);
    message.append(reinterpret_cast<const char*>(&type), 4);
    return message + payload;
}

std::uint32_t HeaderField(const std::string& data, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, data.data() + offset, 4);
    return value;
}

std::string SwayReply(int fd, std::uint32_t type, const std::string& payload)
{
    wayland::WriteAll(fd, SwayMessage(type, payload));
    for (;;) {
        const std::string header = wayland::ReadExactly(fd, kHeaderSize);
        if (std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) {
            throw std::runtime_error("sway's IPC answered garbage");
        }
        std::string body = wayland::ReadExactly(fd, HeaderField(header, sizeof kMagic));
        if ((HeaderField(header, sizeof kMagic + 4) & 0x80000000U) == 0) {
            return body;
        }
    }
}

std::string Text(const Json& node, const char* key)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void CollectSwayViews(const Json& node, std::vector<SeenWindow>& out)
{
    if (!node.is_object()) {
        return;
    }
    // Only views carry a pid; containers, workspaces and outputs do not.
    if (const auto pid = node.find("pid"); pid != node.end() && pid->is_number_integer()) {
        SeenWindow w;
        w.Handle = node.value("id", std::uint64_t {0});
        w.Title = Text(node, "name");
        w.AppId = Text(node, "app_id");
        w.ProcessId = pid->get<int>();
        w.Focused = node.value("focused", false);
        if (const auto props = node.find("window_properties"); props != node.end() && props->is_object()) {
            if (w.AppId.empty()) {
                w.AppId = Text(*props, "class");
            }
            const auto transient = props->find("transient_for");
            w.Owned = transient != props->end() && transient->is_number_integer() && transient->get<long long>() != 0;
        }
        if (w.Handle != 0) {
            out.push_back(std::move(w));
        }
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        if (const auto list = node.find(children); list != node.end() && list->is_array()) {
            for (const Json& child : *list) {
                CollectSwayViews(child, out);
            }
        }
    }
}

// The focused window first: the census lists the top of the Z order first.
void FocusedFirst(std::vector<SeenWindow>& windows)
{
    for (std::size_t i = 1; i < windows.size(); ++i) {
        if (windows[i].Focused) {
            std::rotate(windows.begin(),
                        windows.begin() + static_cast<std::ptrdiff_t>(i),
                        windows.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
}

std::uint64_t HyprlandAddress(const std::string& text)
{
    try {
        return std::stoull(text, nullptr, 16);
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

std::vector<SeenWindow> ParseSwayTree(const std::string& json)
{
    std::vector<SeenWindow> windows;
    CollectSwayViews(Json::parse(json, nullptr, false), windows);
    FocusedFirst(windows);
    return windows;
}

SwaySource::SwaySource(const std::string& socketPath)
    : m_path(socketPath)
    , m_requests(wayland::ConnectUnix(socketPath, kRequestTimeout))
    , m_events(wayland::ConnectUnix(socketPath, kRequestTimeout))
{
    const Json answer = Json::parse(SwayReply(m_events.Get(), kSubscribe, R"(["window","workspace"])"), nullptr, false);
    if (!answer.is_object() || !answer.value("success", false)) {
        throw std::runtime_error("sway refused the window events");
    }
    Windows();
}

const std::vector<SeenWindow>& SwaySource::Windows()
{
    if (m_stale) {
        m_windows = ParseSwayTree(SwayReply(m_requests.Get(), kGetTree, {}));
        m_stale = false;
    }
    return m_windows;
}

void SwaySource::Dispatch()
{
    const bool open = wayland::ReadAvailable(m_events.Get(), m_buffer);
    bool any = false;
    while (m_buffer.size() >= kHeaderSize) {
        const std::size_t length = HeaderField(m_buffer, sizeof kMagic);
        if (m_buffer.size() < kHeaderSize + length) {
            break;
        }
        m_buffer.erase(0, kHeaderSize + length);
        any = true;
    }
    if (any) {
        m_stale = true;
        Changed();
    }
    if (!open) {
        m_events.Reset();
        throw std::runtime_error("sway closed its IPC socket");
    }
}

std::vector<SeenWindow> ParseHyprlandClients(const std::string& clientsJson, const std::string& activeJson)
{
    std::vector<SeenWindow> windows;
    const Json clients = Json::parse(clientsJson, nullptr, false);
    const Json active = Json::parse(activeJson, nullptr, false);
    const std::uint64_t focused = active.is_object() ? HyprlandAddress(Text(active, "address")) : 0;
    if (!clients.is_array()) {
        return windows;
    }
    for (const Json& client : clients) {
        if (!client.is_object() || !client.value("mapped", true)) {
            continue;
        }
        SeenWindow w;
        w.Handle = HyprlandAddress(Text(client, "address"));
        w.Title = Text(client, "title");
        w.AppId = Text(client, "class");
        w.ProcessId = client.value("pid", 0);
        w.Focused = w.Handle != 0 && w.Handle == focused;
        if (w.Handle != 0) {
            windows.push_back(std::move(w));
        }
    }
    FocusedFirst(windows);
    return windows;
}

HyprlandSource::HyprlandSource(std::string folder)
    : m_folder(std::move(folder))
    , m_events(wayland::ConnectUnix(m_folder + "/.socket2.sock", kRequestTimeout))
{
    if (!Json::parse(Request("j/clients"), nullptr, false).is_array()) {
        throw std::runtime_error("Hyprland did not list its clients");
    }
    Windows();
}

std::string HyprlandSource::Request(const std::string& command) const
{
    const UniqueFd fd = wayland::ConnectUnix(m_folder + "/.socket.sock", kRequestTimeout);
    wayland::WriteAll(fd.Get(), command);
    return wayland::ReadToEnd(fd.Get());
}

const std::vector<SeenWindow>& HyprlandSource::Windows()
{
    if (m_stale) {
        m_windows = ParseHyprlandClients(Request("j/clients"), Request("j/activewindow"));
        m_stale = false;
    }
    return m_windows;
}

void HyprlandSource::Dispatch()
{
    const bool open = wayland::ReadAvailable(m_events.Get(), m_buffer);
    bool any = false;
    for (auto end = m_buffer.find('\n'); end != std::string::npos; end = m_buffer.find('\n')) {
        const std::string line = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        const std::string event = line.substr(0, line.find(">>"));
        any = any || event == "activewindowv2" || event == "openwindow" || event == "closewindow"
              || event == "windowtitle" || event == "windowtitlev2" || event == "movewindow";
    }
    if (any) {
        m_stale = true;
        Changed();
    }
    if (!open) {
        m_events.Reset();
        throw std::runtime_error("Hyprland closed its event socket");
    }
}

} // namespace tally

#include "tracking/proxy_setup.h"

namespace tally {

namespace {

// Longer port texts are cut; they could not be a port anyway.
constexpr std::size_t kMaxPortText = 9999;

} // namespace

std::string ProxyText(const SettingsStore& settings, const SystemProxy& systemProxy)
{
    std::string text;
    if (settings.ReadBool("main", "ProxyEnable", false)) {
        text = settings.ReadString("main", "Proxy", "");
    }
    if (text.empty()) {
        const SystemProxySetting system = systemProxy.Read();
        if (system.Enabled) {
            text = system.Server;
        }
    }
    return text;
}

void SplitProxyText(std::string_view text, std::string& host, std::int32_t& port)
{
    const std::size_t colon = text.find(':');
    std::string_view portText = text;
    if (colon == std::string_view::npos) {
        host.clear();
    } else {
        host.assign(text.substr(0, colon));
        portText = text.substr(colon + 1);
    }
    if (const auto number = ParseSettingsInteger(portText.substr(0, kMaxPortText))) {
        port = *number;
    }
}

} // namespace tally

#pragma once

#include "model/settings_store.h"
#include "platform/system_proxy.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tally {

// The proxy text that applies: the settings file's "Proxy" while
// "ProxyEnable" is on and the text is not empty, otherwise the system's proxy
// server while the system proxy is enabled, otherwise empty.
std::string ProxyText(const SettingsStore& settings, const SystemProxy& systemProxy);

// Splits a non-empty proxy text at its first colon into host and port. A port
// part that is not a number leaves port unchanged (host is set regardless);
// a text without a colon gives an empty host and reads the whole text as the
// port.
void SplitProxyText(std::string_view text, std::string& host, std::int32_t& port);

} // namespace tally

#pragma once

#include <string>

namespace tally {

// The proxy the user configured for the whole system.
struct SystemProxySetting
{
    bool Enabled = false;
    // The configured server text as stored, possibly a per-protocol list
    // such as "http=proxy:80;https=proxy:443"; may be empty while enabled.
    std::string Server;
};

class SystemProxy
{
public:
    virtual ~SystemProxy() = default;

    // Missing configuration reads as not enabled.
    virtual SystemProxySetting Read() const = 0;
};

} // namespace tally

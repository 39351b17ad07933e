#pragma once

#include "platform/http_getter.h"

namespace tally {

// HTTP GET through WinHTTP: plain HTTP only, no redirects, and the proxy
// always set explicitly (a named one or none), so the machine's own proxy
// configuration changes nothing. The request runs on a helper thread of its
// own; the caller waits for it and, on a stop or when the time-out passes,
// cancels it by closing its handle and returns at once.
class WinHttpGetter final : public HttpGetter
{
public:
    std::string StatusLine(const HttpRequest& request, const std::atomic<bool>& stop) override;
};

} // namespace tally

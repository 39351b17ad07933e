#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace tally {

// One plain HTTP GET, as the internet probe sends it.
struct HttpRequest
{
    std::string Url;
    // Empty means a direct connection; nothing from the environment applies
    // either way.
    std::string ProxyHost;
    // Used with ProxyHost; a value outside 1..65535 leaves the client's
    // default proxy port.
    std::int32_t ProxyPort = 0;
    std::chrono::milliseconds Timeout {60000};
};

// Sends one request and reports the status line of the answer. Called on a
// background thread; one object may serve several threads in turn.
class HttpGetter
{
public:
    virtual ~HttpGetter() = default;

    // The answer's status line without its line end ("HTTP/1.1 200 OK"), or
    // empty when no answer arrived. Redirects are not followed. Returns soon
    // after stop becomes true. Failures of the request give an empty line
    // rather than an exception.
    virtual std::string StatusLine(const HttpRequest& request, const std::atomic<bool>& stop) = 0;
};

} // namespace tally

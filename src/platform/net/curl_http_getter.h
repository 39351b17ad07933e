#pragma once

#include "platform/http_getter.h"

namespace tally {

// HTTP GET through libcurl: HTTP/1.1 only, no redirects, the proxy always
// set explicitly so proxy variables of the environment change nothing.
class CurlHttpGetter final : public HttpGetter
{
public:
    // Initialises libcurl once per process; never cleaned up, since a probe
    // thread may still be inside libcurl when the program ends.
    CurlHttpGetter();

    std::string StatusLine(const HttpRequest& request, const std::atomic<bool>& stop) override;
};

} // namespace tally

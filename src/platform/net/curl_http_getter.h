#pragma once

#include "platform/http_getter.h"

namespace tally {

// HTTP GET through libcurl: HTTP/1.1 only, no redirects, the proxy always
// set explicitly so proxy variables of the environment change nothing.
class CurlHttpGetter final : public HttpGetter
{
public:
    // libcurl is opened and initialised at the first request, once per
    // process; never cleaned up, since a probe thread may still be inside
    // it when the program ends. Where it cannot be opened every request
    // fails (said once on the standard error).
    CurlHttpGetter();

    std::string StatusLine(const HttpRequest& request, const std::atomic<bool>& stop) override;
};

} // namespace tally

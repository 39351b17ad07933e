#include "platform/net/curl_http_getter.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string_view>

namespace tally {

namespace {

struct Transfer
{
    const std::atomic<bool>* Stop = nullptr;
    std::string StatusLine;
};

bool IsStatusLine(std::string_view line)
{
    return line.starts_with("HTTP/");
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    // An interim answer (100 Continue) is followed by the final status line,
    // which replaces it.
    std::string_view line(data, length);
    if (IsStatusLine(line)) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        transfer->StatusLine = line;
    }
    return length;
}

std::size_t OnBody(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

// Called about once a second even while nothing arrives, so a stop request
// ends a hanging transfer promptly.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<const Transfer*>(user);
    return transfer->Stop->load() ? 1 : 0;
}

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

} // namespace

CurlHttpGetter::CurlHttpGetter()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string CurlHttpGetter::StatusLine(const HttpRequest& request, const std::atomic<bool>& stop)
{
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl || stop.load()) {
        return {};
    }
    Transfer transfer;
    transfer.Stop = &stop;
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.Url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    // Signals cannot serve time-outs on a thread of their own.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(request.Timeout.count()));

    // An empty proxy means a direct connection even when http_proxy is set,
    // and an empty exclusion list keeps no_proxy from bypassing ours.
    curl_easy_setopt(h, CURLOPT_PROXY, request.ProxyHost.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (!request.ProxyHost.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (request.ProxyPort >= 1 && request.ProxyPort <= 65535) {
            curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(request.ProxyPort));
        }
    }

    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);

    // A failed transfer keeps whatever status line had arrived before it:
    // only the status line decides.
    curl_easy_perform(h);
    return transfer.StatusLine;
}

} // namespace tally

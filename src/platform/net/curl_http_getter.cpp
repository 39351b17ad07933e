#include "platform/net/curl_http_getter.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdio>
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

// libcurl, with the TLS, directory and login libraries it brings, is opened
// at the first probe rather than mapped at start: most users have no
// internet timer, and those libraries cost start-up time and memory.
struct CurlLibrary
{
    CURLcode (*GlobalInit)(long) = nullptr;
    CURL* (*EasyInit)() = nullptr;
    CURLcode (*EasySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*EasyPerform)(CURL*) = nullptr;
    void (*EasyCleanup)(CURL*) = nullptr;

    bool Loaded() const { return EasyCleanup != nullptr; }
};

template <typename F>
bool Resolve(void* handle, const char* name, F& function)
{
    function = reinterpret_cast<F>(::dlsym(handle, name));
    return function != nullptr;
}

CurlLibrary OpenCurl()
{
    CurlLibrary curl;
    // Never closed: a probe thread may still be inside it when the program ends.
    void* handle = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "tallyhour-zide: the internet probe cannot work: %s\n", ::dlerror());
        return curl;
    }
    CurlLibrary found;
    if (Resolve(handle, "curl_global_init", found.GlobalInit) && Resolve(handle, "curl_easy_init", found.EasyInit)
        && Resolve(handle, "curl_easy_setopt", found.EasySetopt)
        && Resolve(handle, "curl_easy_perform", found.EasyPerform)
        && Resolve(handle, "curl_easy_cleanup", found.EasyCleanup)) {
        // Once per process, never cleaned up (see the getter).
        found.GlobalInit(CURL_GLOBAL_DEFAULT);
        return found;
    }
    std::fprintf(stderr, "tallyhour-zide: the internet probe cannot work: libcurl.so.4 lacks %s\n", ::dlerror());
    return curl;
}

const CurlLibrary& Curl()
{
    static const CurlLibrary curl = OpenCurl();
    return curl;
}

struct EasyDeleter
{
    void operator()(CURL* curl) const { Curl().EasyCleanup(curl); }
};

} // namespace

CurlHttpGetter::CurlHttpGetter() = default;

std::string CurlHttpGetter::StatusLine(const HttpRequest& request, const std::atomic<bool>& stop)
{
    const CurlLibrary& lib = Curl();
    if (!lib.Loaded() || stop.load()) {
        return {};
    }
    std::unique_ptr<CURL, EasyDeleter> curl(lib.EasyInit());
    if (!curl || stop.load()) {
        return {};
    }
    Transfer transfer;
    transfer.Stop = &stop;
    CURL* h = curl.get();
    lib.EasySetopt(h, CURLOPT_URL, request.Url.c_str());
    lib.EasySetopt(h, CURLOPT_PROTOCOLS_STR, "http");
    lib.EasySetopt(h, CURLOPT_HTTPGET, 1L);
    lib.EasySetopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    lib.EasySetopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    // Signals cannot serve time-outs on a thread of their own.
    lib.EasySetopt(h, CURLOPT_NOSIGNAL, 1L);
    lib.EasySetopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(request.Timeout.count()));

    // An empty proxy means a direct connection even when http_proxy is set,
    // and an empty exclusion list keeps no_proxy from bypassing ours.
    lib.EasySetopt(h, CURLOPT_PROXY, request.ProxyHost.c_str());
    lib.EasySetopt(h, CURLOPT_NOPROXY, "");
    if (!request.ProxyHost.empty()) {
        lib.EasySetopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (request.ProxyPort >= 1 && request.ProxyPort <= 65535) {
            lib.EasySetopt(h, CURLOPT_PROXYPORT, static_cast<long>(request.ProxyPort));
        }
    }

    lib.EasySetopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    lib.EasySetopt(h, CURLOPT_HEADERDATA, &transfer);
    lib.EasySetopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    lib.EasySetopt(h, CURLOPT_NOPROGRESS, 0L);
    lib.EasySetopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    lib.EasySetopt(h, CURLOPT_XFERINFODATA, &transfer);

    // A failed transfer keeps whatever status line had arrived before it:
    // only the status line decides.
    lib.EasyPerform(h);
    return transfer.StatusLine;
}

} // namespace tally

#include "platform/win32/winhttp_getter.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tally {

namespace {

using namespace std::chrono_literals;

std::wstring Widen(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int length
        = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(
            CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    }
    return narrow;
}

struct HandleCloser
{
    void operator()(HINTERNET handle) const { ::WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// What the caller and the helper thread share; the helper may outlive the
// call when it was cancelled.
struct Exchange
{
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    bool Cancelled = false;
    // The request while it is under way; whoever closes it clears it.
    HINTERNET Request = nullptr;
    std::string StatusLine;
};

// The answer's first header line, the status line, without its line end.
std::string ReadStatusLine(HINTERNET request)
{
    DWORD bytes = 0;
    ::WinHttpQueryHeaders(request,
                          WINHTTP_QUERY_RAW_HEADERS_CRLF,
                          WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER,
                          &bytes,
                          WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) {
        return {};
    }
    std::wstring headers(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request,
                               WINHTTP_QUERY_RAW_HEADERS_CRLF,
                               WINHTTP_HEADER_NAME_BY_INDEX,
                               headers.data(),
                               &bytes,
                               WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    headers.resize(bytes / sizeof(wchar_t));
    headers.resize(std::min(headers.find(L"\r\n"), headers.size()));
    std::string line = Narrow(headers);
    return line.starts_with("HTTP/") ? line : std::string();
}

void Perform(const HttpRequest& request, const std::shared_ptr<Exchange>& exchange)
{
    std::wstring url = Widen(request.Url);
    URL_COMPONENTS parts {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (url.empty() || !::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)
        || parts.nScheme != INTERNET_SCHEME_HTTP || parts.dwHostNameLength == 0) {
        return;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) {
        path = L"/";
    }

    // A named proxy or none at all: never the machine's own setting.
    std::wstring proxy;
    if (!request.ProxyHost.empty()) {
        proxy = Widen(request.ProxyHost);
        if (request.ProxyPort >= 1 && request.ProxyPort <= 65535) {
            proxy += L":" + std::to_wstring(request.ProxyPort);
        }
    }
    Handle session(::WinHttpOpen(L"Tallyhour Zide",
                                 proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                 proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(),
                                 WINHTTP_NO_PROXY_BYPASS,
                                 0));
    if (!session) {
        return;
    }
    const int timeout = static_cast<int>(std::clamp<long long>(request.Timeout.count(), 1, 0x7fffffff));
    ::WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
    Handle connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) {
        return;
    }
    HINTERNET requestHandle = ::WinHttpOpenRequest(
        connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (requestHandle == nullptr) {
        return;
    }
    {
        std::lock_guard lock(exchange->Mutex);
        if (exchange->Cancelled) {
            ::WinHttpCloseHandle(requestHandle);
            return;
        }
        exchange->Request = requestHandle;
    }
    // The status line of this server's answer is the one that counts.
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION;
    ::WinHttpSetOption(requestHandle, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));

    // Closing the handle (the caller does it on a stop) makes a call in
    // progress fail at once.
    std::string status;
    if (::WinHttpSendRequest(requestHandle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)
        && ::WinHttpReceiveResponse(requestHandle, nullptr)) {
        status = ReadStatusLine(requestHandle);
    }
    std::lock_guard lock(exchange->Mutex);
    if (exchange->Request != nullptr) {
        ::WinHttpCloseHandle(exchange->Request);
        exchange->Request = nullptr;
    }
    if (!exchange->Cancelled) {
        exchange->StatusLine = std::move(status);
    }
}

} // namespace

std::string WinHttpGetter::StatusLine(const HttpRequest& request, const std::atomic<bool>& stop)
{
    if (stop.load()) {
        return {};
    }
    auto exchange = std::make_shared<Exchange>();
    try {
        std::thread([request, exchange] {
            Perform(request, exchange);
            std::lock_guard lock(exchange->Mutex);
            exchange->Finished = true;
            exchange->Done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    // The whole exchange gets the time-out, as the Linux client gives it;
    // WinHTTP's own limits count each step apart.
    const auto deadline = std::chrono::steady_clock::now() + request.Timeout;
    std::unique_lock lock(exchange->Mutex);
    while (!exchange->Finished) {
        if (stop.load() || std::chrono::steady_clock::now() >= deadline) {
            exchange->Cancelled = true;
            if (exchange->Request != nullptr) {
                ::WinHttpCloseHandle(exchange->Request);
                exchange->Request = nullptr;
            }
            return {};
        }
        exchange->Done.wait_for(lock, 50ms);
    }
    return exchange->StatusLine;
}

} // namespace tally

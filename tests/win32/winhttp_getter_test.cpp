// The WinHTTP client against a real server on loopback.
#include "platform/win32/winhttp_getter.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tally {
namespace {

using namespace std::chrono_literals;

// A one-thread HTTP server on 127.0.0.1 that gives every request the same
// raw answer, closes without a word (empty answer) or holds the connection
// silent (hang) until it is destroyed. It records each request line.
class WinsockServer
{
public:
    enum class Mode { Answer, Close, Hang };

    explicit WinsockServer(Mode mode, std::string answer = {})
        : m_mode(mode)
        , m_answer(std::move(answer))
    {
        WSADATA data {};
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup");
        }
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (m_listen == INVALID_SOCKET || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::listen(m_listen, 8) != 0
            || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot set up the loopback server");
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }

    ~WinsockServer()
    {
        m_quit = true;
        m_thread.join();
        ::closesocket(m_listen);
        ::WSACleanup();
    }

    int Port() const { return m_port; }
    std::string Url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    std::vector<std::string> RequestLines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    // Waits for a socket to be readable, checking for the end now and then.
    bool WaitReadable(SOCKET socket) const
    {
        while (!m_quit) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(socket, &set);
            timeval wait {0, 50000};
            if (::select(0, &set, nullptr, nullptr, &wait) > 0) {
                return true;
            }
        }
        return false;
    }

    void Run()
    {
        while (WaitReadable(m_listen)) {
            const SOCKET client = ::accept(m_listen, nullptr, nullptr);
            if (client == INVALID_SOCKET) {
                continue;
            }
            std::string received;
            char buffer[4096];
            while (received.find("\r\n\r\n") == std::string::npos && WaitReadable(client)) {
                const int got = ::recv(client, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                received.append(buffer, static_cast<std::size_t>(got));
            }
            {
                std::lock_guard lock(m_mutex);
                m_lines.push_back(received.substr(0, received.find("\r\n")));
            }
            if (m_mode == Mode::Answer) {
                ::send(client, m_answer.data(), static_cast<int>(m_answer.size()), 0);
                ::shutdown(client, SD_SEND);
            } else if (m_mode == Mode::Hang) {
                m_held.push_back(client);
                continue;
            }
            ::closesocket(client);
        }
        for (const SOCKET client : m_held) {
            ::closesocket(client);
        }
    }

    Mode m_mode;
    std::string m_answer;
    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_quit {false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<SOCKET> m_held;
    std::thread m_thread;
};

std::string Answer(const std::string& statusLine, const std::string& headers = {})
{
    return statusLine + "\r\n" + headers + "Content-Length: 5\r\nConnection: close\r\n\r\nhello";
}

HttpRequest Request(const std::string& url, std::chrono::milliseconds timeout)
{
    HttpRequest request;
    request.Url = url;
    request.Timeout = timeout;
    return request;
}

TEST(WinHttpGetter, GivesTheStatusLineAsTheServerSentIt)
{
    struct Case
    {
        std::string Sent;
        std::string Expected;
    };
    const Case cases[] = {
        {Answer("HTTP/1.1 200 OK"), "HTTP/1.1 200 OK"},
        {Answer("HTTP/1.1 500 Internal Server Error"), "HTTP/1.1 500 Internal Server Error"},
        {"HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n", "HTTP/1.1 204 No Content"},
        // A redirect is reported, not followed.
        {Answer("HTTP/1.1 301 Moved Permanently", "Location: /elsewhere\r\n"), "HTTP/1.1 301 Moved Permanently"},
    };
    for (const Case& c : cases) {
        WinsockServer server(WinsockServer::Mode::Answer, c.Sent);
        WinHttpGetter getter;
        std::atomic<bool> stop {false};
        EXPECT_EQ(getter.StatusLine(Request(server.Url("/probe?x=1"), 10s), stop), c.Expected);
        const auto lines = server.RequestLines();
        ASSERT_EQ(lines.size(), 1U) << c.Expected;
        EXPECT_EQ(lines[0], "GET /probe?x=1 HTTP/1.1");
    }
}

TEST(WinHttpGetter, NoAnswerGivesAnEmptyLine)
{
    WinHttpGetter getter;
    std::atomic<bool> stop {false};
    {
        WinsockServer server(WinsockServer::Mode::Close);
        EXPECT_EQ(getter.StatusLine(Request(server.Url(), 10s), stop), "");
    }
    {
        // Not an HTTP answer at all.
        WinsockServer server(WinsockServer::Mode::Answer, "SSH-2.0-server\r\n\r\n");
        EXPECT_EQ(getter.StatusLine(Request(server.Url(), 10s), stop), "");
    }
    // Schemes other than plain HTTP and broken addresses are refused
    // without a connection.
    for (const char* url : {"https://127.0.0.1:1/", "ftp://127.0.0.1/", "not a url", ""}) {
        EXPECT_EQ(getter.StatusLine(Request(url, 10s), stop), "") << url;
    }
}

TEST(WinHttpGetter, NamedProxyGetsTheWholeAddress)
{
    WinsockServer proxy(WinsockServer::Mode::Answer, Answer("HTTP/1.1 200 OK"));
    WinHttpGetter getter;
    std::atomic<bool> stop {false};
    HttpRequest request = Request("http://probe.invalid/check", 10s);
    request.ProxyHost = "127.0.0.1";
    request.ProxyPort = proxy.Port();
    EXPECT_EQ(getter.StatusLine(request, stop), "HTTP/1.1 200 OK");
    const auto lines = proxy.RequestLines();
    ASSERT_EQ(lines.size(), 1U);
    // With or without the default port, both name the same place.
    EXPECT_TRUE(lines[0] == "GET http://probe.invalid/check HTTP/1.1"
                || lines[0] == "GET http://probe.invalid:80/check HTTP/1.1")
        << lines[0];
}

TEST(WinHttpGetter, StopAndTimeOutEndASilentServer)
{
    WinsockServer server(WinsockServer::Mode::Hang);
    WinHttpGetter getter;
    {
        // The time-out covers the whole exchange.
        std::atomic<bool> stop {false};
        EXPECT_EQ(getter.StatusLine(Request(server.Url(), 300ms), stop), "");
    }
    {
        std::atomic<bool> stop {false};
        auto result
            = std::async(std::launch::async, [&] { return getter.StatusLine(Request(server.Url(), 600s), stop); });
        while (server.RequestLines().size() < 2) {
            std::this_thread::sleep_for(10ms);
        }
        stop = true;
        // Without the stop this would wait for the long time-out, and the
        // test program's own limit would end it.
        EXPECT_EQ(result.get(), "");
    }
}

} // namespace
} // namespace tally

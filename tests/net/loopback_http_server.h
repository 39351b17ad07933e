#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tally::test {

// How the server treats a complete request.
enum class Reply {
    Ok200,
    NoContent204,
    Moved301, // to another path of the same server, which would answer too
    Error500,
    Close, // closes the connection without a word
    Hang,  // keeps the connection open and silent until ReleaseHeld
};

// A tiny HTTP server on 127.0.0.1 with a port of the system's choice, run by
// one thread of its own. It records every request line it gets.
class LoopbackHttpServer
{
public:
    explicit LoopbackHttpServer(Reply reply = Reply::Ok200)
        : m_reply(reply)
    {
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0
            || listen(m_listen, 16) != 0 || getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0
            || pipe2(m_wake, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot set up the loopback server");
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }

    ~LoopbackHttpServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        Wake();
        m_thread.join();
        for (const Client& client : m_clients) {
            close(client.Fd);
        }
        close(m_listen);
        close(m_wake[0]);
        close(m_wake[1]);
    }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    std::string Url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

    void SetReply(Reply reply)
    {
        std::lock_guard lock(m_mutex);
        m_reply = reply;
    }

    // Treats every held connection by the current reply (closing it if that
    // is still Hang).
    void ReleaseHeld()
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        Wake();
    }

    std::vector<std::string> RequestLines() const
    {
        std::lock_guard lock(m_mutex);
        return m_requestLines;
    }
    int Requests() const { return static_cast<int>(RequestLines().size()); }

    bool WaitForRequests(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return static_cast<int>(m_requestLines.size()) >= count; });
    }

private:
    struct Client
    {
        int Fd = -1;
        std::string Received;
        bool Held = false;
    };

    void Wake()
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(m_wake[1], &byte, 1);
    }

    static std::string StatusText(Reply reply)
    {
        switch (reply) {
            case Reply::Ok200:
                return "200 OK";
            case Reply::NoContent204:
                return "204 No Content";
            case Reply::Moved301:
                return "301 Moved Permanently";
            default:
                return "500 Internal Server Error";
        }
    }

    std::string Response(Reply reply) const
    {
        const std::string body = reply == Reply::NoContent204 ? "" : "<html>hello</html>";
        std::string text = "HTTP/1.1 " + StatusText(reply) + "\r\n";
        if (reply == Reply::Moved301) {
            text += "Location: " + Url("/moved") + "\r\n";
        }
        if (reply != Reply::NoContent204) {
            text += "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
        }
        return text + "Connection: close\r\n\r\n" + body;
    }

    // Returns false when the connection is done with.
    bool Treat(Client& client, Reply reply)
    {
        if (reply == Reply::Hang) {
            client.Held = true;
            return true;
        }
        if (reply != Reply::Close) {
            const std::string text = Response(reply);
            [[maybe_unused]] const auto sent = send(client.Fd, text.data(), text.size(), MSG_NOSIGNAL);
        }
        close(client.Fd);
        return false;
    }

    void Run()
    {
        for (;;) {
            std::vector<pollfd> fds {{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
            for (const Client& client : m_clients) {
                fds.push_back({client.Fd, POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), -1) < 0) {
                continue;
            }
            Reply reply;
            bool release;
            {
                std::lock_guard lock(m_mutex);
                if (m_quit) {
                    return;
                }
                reply = m_reply;
                release = m_release;
                m_release = false;
            }
            if (fds[0].revents & POLLIN) {
                char buffer[64];
                [[maybe_unused]] const auto drained = read(m_wake[0], buffer, sizeof(buffer));
            }
            std::vector<Client> kept;
            for (std::size_t i = 0; i < m_clients.size(); ++i) {
                Client& client = m_clients[i];
                if (fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) {
                    char buffer[4096];
                    const auto got = recv(client.Fd, buffer, sizeof(buffer), 0);
                    if (got <= 0) {
                        close(client.Fd);
                        continue;
                    }
                    if (!client.Held) {
                        client.Received.append(buffer, static_cast<std::size_t>(got));
                        if (client.Received.find("\r\n\r\n") != std::string::npos) {
                            {
                                std::lock_guard lock(m_mutex);
                                m_requestLines.push_back(client.Received.substr(0, client.Received.find("\r\n")));
                                m_changed.notify_all();
                            }
                            if (!Treat(client, reply)) {
                                continue;
                            }
                        }
                    }
                }
                if (client.Held && release && !Treat(client, reply == Reply::Hang ? Reply::Close : reply)) {
                    continue;
                }
                kept.push_back(client);
            }
            m_clients = std::move(kept);
            if (fds[1].revents & POLLIN) {
                const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    m_clients.push_back({fd, {}, false});
                }
            }
        }
    }

    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::vector<Client> m_clients; // server thread only
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Reply m_reply;
    bool m_release = false;
    bool m_quit = false;
    std::vector<std::string> m_requestLines;
    std::thread m_thread;
};

} // namespace tally::test

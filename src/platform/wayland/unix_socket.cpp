#include "platform/wayland/unix_socket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace tally::wayland {

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

UniqueFd ConnectUnix(const std::string& path, std::chrono::milliseconds timeout)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("no usable socket path '" + path + "'");
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        Fail("socket");
    }
    timeval tv {};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Fail("cannot connect to " + path);
    }
    return fd;
}

void WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail("write to the compositor's socket");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string ReadExactly(int fd, std::size_t size)
{
    std::string data(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::recv(fd, data.data() + done, size - done, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0) {
            throw std::runtime_error("the compositor closed its socket");
        }
        if (n < 0) {
            Fail("read from the compositor's socket");
        }
        done += static_cast<std::size_t>(n);
    }
    return data;
}

std::string ReadToEnd(int fd)
{
    std::string data;
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail("read from the compositor's socket");
        }
        if (n == 0) {
            return data;
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ReadAvailable(int fd, std::string& buffer)
{
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            buffer.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        }
        return false;
    }
}

} // namespace tally::wayland

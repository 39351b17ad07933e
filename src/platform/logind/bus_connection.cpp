#include "platform/logind/bus_connection.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tally::logind {

std::string BusError::Text(int result) const
{
    if (sd_bus_error_is_set(&m_error)) {
        std::string text = m_error.name;
        if (m_error.message && *m_error.message) {
            text += ": ";
            text += m_error.message;
        }
        return text;
    }
    return std::strerror(result < 0 ? -result : result);
}

namespace {

std::uint64_t ToUsec(std::chrono::steady_clock::duration duration)
{
    const auto usec = std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    return usec > 0 ? static_cast<std::uint64_t>(usec) : 1;
}

// Runs the connection's hand-shake until the bus is ready, the connection
// fails or the deadline passes; sd-bus alone would wait far longer.
int WaitUntilReady(sd_bus* bus, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int r = sd_bus_is_ready(bus);
        if (r != 0) {
            return r;
        }
        r = sd_bus_process(bus, nullptr);
        if (r < 0) {
            return r;
        }
        if (r > 0) {
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return -ETIMEDOUT;
        }
        r = sd_bus_wait(bus, ToUsec(left));
        if (r < 0) {
            return r;
        }
    }
}

} // namespace

OpenedBus OpenBus(BusKind kind, const std::string& address, std::chrono::milliseconds timeout)
{
    const char* what = kind == BusKind::System ? "system bus" : "session bus";
    OpenedBus opened;
    sd_bus* raw = nullptr;
    int r = 0;
    if (address.empty()) {
        r = kind == BusKind::System ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw);
        opened.Bus.reset(raw);
    } else {
        r = sd_bus_new(&raw);
        opened.Bus.reset(raw);
        if (r >= 0) {
            r = sd_bus_set_address(raw, address.c_str());
        }
        if (r >= 0) {
            r = sd_bus_set_bus_client(raw, 1);
        }
        if (r >= 0) {
            r = sd_bus_start(raw);
        }
    }
    if (r >= 0) {
        r = WaitUntilReady(opened.Bus.get(), timeout);
    }
    if (r >= 0) {
        r = sd_bus_set_method_call_timeout(opened.Bus.get(), ToUsec(timeout));
    }
    if (r < 0) {
        opened.Bus.reset();
        opened.Error = std::string("no ") + what + (address.empty() ? "" : " at " + address) + ": " + std::strerror(-r);
    }
    return opened;
}

bool IsBusGone(sd_bus* bus, int result)
{
    if (result == -ETIMEDOUT) {
        return true;
    }
    return sd_bus_is_open(bus) <= 0;
}

} // namespace tally::logind

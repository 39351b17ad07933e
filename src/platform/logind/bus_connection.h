#pragma once

#include "platform/system/unique_fd.h"
#include <systemd/sd-bus.h>

#include <chrono>
#include <memory>
#include <string>

// Small owning wrappers around sd-bus objects, shared by the watcher's parts.
namespace tally::logind {

struct BusDeleter
{
    // Closing without flushing: a flush waits for a peer that may never answer.
    void operator()(sd_bus* bus) const noexcept { sd_bus_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusDeleter>;

struct SlotDeleter
{
    void operator()(sd_bus_slot* slot) const noexcept { sd_bus_slot_unref(slot); }
};
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotDeleter>;

struct MessageDeleter
{
    void operator()(sd_bus_message* message) const noexcept { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageDeleter>;

// An sd_bus_error that frees what it holds.
class BusError
{
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* Get() { return &m_error; }

    // The bus's error name and message when there is one, else the text of
    // the negative errno value.
    std::string Text(int result) const;

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

using tally::UniqueFd;

enum class BusKind { System, Session };

struct OpenedBus
{
    BusPtr Bus;
    std::string Error; // why there is no bus; empty when there is one
};

// Connects to the bus at the address, or to the usual system or session bus
// when the address is empty, and waits at most the time-out for the bus to
// accept us. Method calls on the result time out after the same time.
OpenedBus OpenBus(BusKind kind, const std::string& address, std::chrono::milliseconds timeout);

// Lost connections, refused connections and silent peers: the bus is of no
// further use.
bool IsBusGone(sd_bus* bus, int result);

} // namespace tally::logind

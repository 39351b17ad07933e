#pragma once

#include "platform/system/unique_fd.h"

#include <chrono>
#include <string>

namespace tally::wayland {

// A stream socket connected to path, with reads and writes that give up
// after the timeout. Throws std::runtime_error when nothing listens there.
UniqueFd ConnectUnix(const std::string& path, std::chrono::milliseconds timeout);

// Writes all of data; throws std::runtime_error on failure.
void WriteAll(int fd, const std::string& data);
// Reads exactly size bytes; throws std::runtime_error on failure or end.
std::string ReadExactly(int fd, std::size_t size);
// Reads until the peer closes; throws std::runtime_error on failure.
std::string ReadToEnd(int fd);
// Appends what can be read now without waiting; false when the peer closed.
bool ReadAvailable(int fd, std::string& buffer);

} // namespace tally::wayland

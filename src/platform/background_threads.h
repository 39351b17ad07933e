#pragma once

#include <functional>

namespace tally {

// Starts work on threads of its own.
class BackgroundThreads
{
public:
    virtual ~BackgroundThreads() = default;

    // Runs body on a new, detached thread of the lowest (idle) priority.
    // Nobody joins it: body must own or share everything it touches. Throws
    // std::system_error when no thread can be started.
    virtual void StartIdle(std::function<void()> body) = 0;
};

} // namespace tally

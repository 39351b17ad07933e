#pragma once

#include <string>

namespace tally {

// One running instance per user: an exclusive lock on a file that the system
// releases when the process ends, however it ends.
class SingleInstanceLock
{
public:
    // Takes the lock on the file (created when missing). Acquired() tells
    // whether this process is the only instance.
    explicit SingleInstanceLock(const std::string& lockFile);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    bool Acquired() const { return m_acquired; }

    // The per-user lock file: in $XDG_RUNTIME_DIR, else in the temporary
    // folder with the user id in its name.
    static std::string DefaultLockFile();

private:
    int m_fd = -1;
    bool m_acquired = false;
};

} // namespace tally

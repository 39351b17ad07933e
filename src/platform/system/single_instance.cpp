#include "platform/system/single_instance.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace tally {

SingleInstanceLock::SingleInstanceLock(const std::string& lockFile)
{
    m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // Without a lock file nobody can tell; running beats refusing to run.
        m_acquired = true;
        return;
    }
    m_acquired = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string SingleInstanceLock::DefaultLockFile()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    // A runtime folder that is named but missing (a session set up half-way)
    // would leave no lock at all; the temporary folder still gives one.
    if (runtime && *runtime && std::filesystem::is_directory(runtime, error)) {
        return std::string(runtime) + "/tallyhour-zide.lock";
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    return dir + "/tallyhour-zide-" + std::to_string(::getuid()) + ".lock";
}

} // namespace tally

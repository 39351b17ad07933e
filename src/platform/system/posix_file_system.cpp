#include "platform/system/posix_file_system.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tally {

namespace {

std::error_code Errno(int error)
{
    return {error, std::generic_category()};
}

std::error_code LastError()
{
    return Errno(errno);
}

} // namespace

std::error_code PosixFileSystem::Inspect(const std::string& path, Entry& entry)
{
    entry = {};
    struct stat info
    { };
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::error_code() : LastError();
    }
    entry.Exists = true;
    entry.IsFolder = S_ISDIR(info.st_mode);
    entry.Mode = info.st_mode & 07777;
    return {};
}

std::error_code PosixFileSystem::CheckWritable(const std::string& path)
{
    // Probing a FIFO for writing must not wait for a reader.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    ::close(fd);
    return {};
}

std::error_code
PosixFileSystem::Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    handle = ::open(path.c_str(), flags, 0666);
    if (handle < 0) {
        return LastError();
    }
    // The permission bits are set on the descriptor, so the umask does not
    // narrow those of the file being replaced.
    if (mode && ::fchmod(handle, *mode) != 0) {
        const std::error_code error = LastError();
        ::close(handle);
        handle = -1;
        return error;
    }
    return {};
}

std::error_code PosixFileSystem::Write(Handle handle, std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        // Some systems cap one write below 2 GiB.
        const std::size_t chunk = std::min<std::size_t>(left, std::size_t {1} << 30);
        const auto written = ::write(handle, data, chunk);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (written == 0) {
            return Errno(EIO);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return {};
}

std::error_code PosixFileSystem::Flush(Handle handle)
{
    return ::fsync(handle) == 0 ? std::error_code() : LastError();
}

std::error_code PosixFileSystem::Close(Handle handle)
{
    return ::close(handle) == 0 ? std::error_code() : LastError();
}

std::error_code PosixFileSystem::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code PosixFileSystem::SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    const std::error_code error = ::fsync(fd) == 0 ? std::error_code() : LastError();
    ::close(fd);
    return error;
}

std::error_code PosixFileSystem::Remove(const std::string& path)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) {
        return {};
    }
    return LastError();
}

std::error_code PosixFileSystem::OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size)
{
    handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        return LastError();
    }
    struct stat info
    { };
    std::error_code error;
    if (::fstat(handle, &info) != 0) {
        error = LastError();
    } else if (S_ISDIR(info.st_mode)) {
        error = Errno(EISDIR);
    }
    if (error) {
        ::close(handle);
        handle = -1;
        return error;
    }
    size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return {};
}

std::error_code PosixFileSystem::Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got)
{
    got = 0;
    for (;;) {
        // Some systems cap one read below 2 GiB.
        const auto read = ::read(handle, bytes.data(), std::min<std::size_t>(bytes.size(), std::size_t {1} << 30));
        if (read >= 0) {
            got = static_cast<std::size_t>(read);
            return {};
        }
        if (errno != EINTR) {
            return LastError();
        }
    }
}

void PosixFileSystem::AdviseHugePages([[maybe_unused]] void* address, [[maybe_unused]] std::size_t size)
{
#ifdef MADV_HUGEPAGE
    // Only advice: without huge pages the buffer works the same.
    ::madvise(address, size, MADV_HUGEPAGE);
#endif
}

FileSystem& SystemFiles()
{
    static PosixFileSystem files;
    return files;
}

} // namespace tally

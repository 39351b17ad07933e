#include "storage/file_io.h"

#include "storage/storage_error.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

// Flushing a file to the disk has no standard C++ form; the POSIX calls are
// the one exception to the core's standard-library-only rule.
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tally {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr int kBinary = O_BINARY;
constexpr int kCloexec = 0;
constexpr int kNonBlock = 0;
int SyncFile(int fd)
{
    return _commit(fd);
}
#else
constexpr int kBinary = 0;
constexpr int kCloexec = O_CLOEXEC;
// Probing a FIFO for writing must not wait for a reader.
constexpr int kNonBlock = O_NONBLOCK;
int SyncFile(int fd)
{
    return fsync(fd);
}
#endif

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error)
{
    throw DataFileError(what + " " + path + ": " + std::generic_category().message(error));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // 0, or the errno of a failed close (which may report a lost write).
    int Close()
    {
        if (m_fd < 0) {
            return 0;
        }
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// 0, or the errno of the failed write.
int WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        // Some systems cap one write below 2 GiB.
        const std::size_t chunk = std::min<std::size_t>(left, std::size_t {1} << 30);
        const auto written = ::write(fd, data, static_cast<unsigned>(chunk));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// The file a symbolic link points at (even one not yet created), so that
// the rename replaces the file and not the link.
fs::path ResolveTarget(fs::path path)
{
    constexpr int kMaxLinks = 40;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec)) {
            break;
        }
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            break;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

void SyncDirectory([[maybe_unused]] const fs::path& dir)
{
#ifndef _WIN32
    // Makes the rename itself durable; file systems that cannot sync a
    // directory still hold the renamed file, so a failure here is ignored.
    const FileDescriptor fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) {
        ::fsync(fd.Get());
    }
#endif
}

} // namespace

TMemFileStream ReadWholeFile(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | kBinary | kCloexec));
    if (!fd.Valid()) {
        Fail("cannot open", path, errno);
    }
    struct stat info
    { };
    if (::fstat(fd.Get(), &info) != 0) {
        Fail("cannot read", path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        Fail("cannot read", path, EISDIR);
    }
    std::size_t capacity = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    ByteBuffer data = AllocateBytes(capacity + 1);
    std::size_t size = 0;
    // The extra byte finds a file that grew since fstat.
    for (;;) {
        if (size == capacity + 1) {
            const std::size_t grown = capacity * 2 + 4096;
            ByteBuffer bigger = AllocateBytes(grown + 1);
            std::memcpy(bigger.get(), data.get(), size);
            data = std::move(bigger);
            capacity = grown;
        }
        const std::size_t chunk = std::min<std::size_t>(capacity + 1 - size, std::size_t {1} << 30);
        const auto got = ::read(fd.Get(), data.get() + size, static_cast<unsigned>(chunk));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot read", path, errno);
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    return TMemFileStream(std::move(data), size);
}

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const fs::path target = ResolveTarget(path);
    const std::string targetText = target.string();

    // Refuse a target that exists but is not writable, as the backup path
    // depends on that failure.
    struct stat info
    { };
    const bool exists = ::stat(targetText.c_str(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode)) {
            Fail("cannot write", path, EISDIR);
        }
        FileDescriptor probe(::open(targetText.c_str(), O_WRONLY | kNonBlock | kBinary | kCloexec));
        if (!probe.Valid()) {
            Fail("cannot write", path, errno);
        }
    }

    const std::string temp = targetText + ".tmp";
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary | kCloexec, 0666));
    if (!fd.Valid()) {
        Fail("cannot create", temp, errno);
    }
    auto discard = [&](const char* what, int error) {
        fd.Close();
        std::error_code ignored;
        fs::remove(temp, ignored);
        Fail(what, temp, error);
    };
#ifndef _WIN32
    if (exists && ::fchmod(fd.Get(), info.st_mode & 07777) != 0) {
        discard("cannot set the permissions of", errno);
    }
#endif
    if (const int error = WriteAll(fd.Get(), bytes)) {
        discard("cannot write", error);
    }
    if (SyncFile(fd.Get()) != 0) {
        discard("cannot flush", errno);
    }
    if (const int error = fd.Close()) {
        discard("cannot write", error);
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw DataFileError("cannot replace " + path + ": " + ec.message());
    }
    SyncDirectory(target.parent_path());
}

bool WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary | kCloexec, 0666));
    if (!fd.Valid()) {
        if (errno == EEXIST) {
            return false;
        }
        Fail("cannot create", path, errno);
    }
    int error = WriteAll(fd.Get(), bytes);
    if (error == 0 && SyncFile(fd.Get()) != 0) {
        error = errno;
    }
    if (const int closeError = fd.Close(); error == 0) {
        error = closeError;
    }
    if (error != 0) {
        std::error_code ignored;
        fs::remove(path, ignored);
        Fail("cannot write", path, error);
    }
    return true;
}

} // namespace tally

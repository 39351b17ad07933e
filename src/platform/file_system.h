#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace tally {

// The steps of replacing a file safely. The storage code names no
// operating-system call, and tests can make any single step fail the way a
// full disk or an I/O fault would.
class FileSystem
{
public:
    using Handle = int;

    struct Entry
    {
        bool Exists = false;
        bool IsFolder = false;
        // Permission bits of an existing entry.
        std::uint32_t Mode = 0;
    };

    virtual ~FileSystem() = default;

    // What is at path (symbolic links followed); a missing entry is not an error.
    virtual std::error_code Inspect(const std::string& path, Entry& entry) = 0;
    // Whether the existing file at path may be opened for writing.
    virtual std::error_code CheckWritable(const std::string& path) = 0;
    // Opens path for writing: truncated when it exists, or, when exclusive,
    // only if it does not (std::errc::file_exists otherwise). mode gives the
    // new file's permission bits.
    virtual std::error_code
    Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle)
        = 0;
    virtual std::error_code Write(Handle handle, std::span<const std::uint8_t> bytes) = 0;
    // Makes what was written durable.
    virtual std::error_code Flush(Handle handle) = 0;
    // Always releases the handle; an error may report a lost write.
    virtual std::error_code Close(Handle handle) = 0;
    virtual std::error_code Rename(const std::string& from, const std::string& to) = 0;
    // Makes a rename in folder durable.
    virtual std::error_code SyncFolder(const std::string& folder) = 0;
    // Removes a file; a missing one is not an error.
    virtual std::error_code Remove(const std::string& path) = 0;

    // Opens an existing file for reading and tells its size now; a folder is
    // refused with std::errc::is_a_directory.
    virtual std::error_code OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size) = 0;
    // Reads up to bytes.size() bytes; got is 0 at the end of the file.
    virtual std::error_code Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got) = 0;
    // Advice that a large buffer about to be filled would profit from huge
    // pages; nothing happens where the system has none.
    virtual void AdviseHugePages(void* address, std::size_t size) = 0;
};

} // namespace tally

#pragma once

#include "platform/file_system.h"

namespace tally {

// The machine's own file system, through the POSIX calls.
class PosixFileSystem final : public FileSystem
{
public:
    std::error_code Inspect(const std::string& path, Entry& entry) override;
    std::error_code CheckWritable(const std::string& path) override;
    std::error_code
    Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle) override;
    std::error_code Write(Handle handle, std::span<const std::uint8_t> bytes) override;
    std::error_code Flush(Handle handle) override;
    std::error_code Close(Handle handle) override;
    std::error_code Rename(const std::string& from, const std::string& to) override;
    std::error_code SyncFolder(const std::string& folder) override;
    std::error_code Remove(const std::string& path) override;
    std::error_code OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size) override;
    std::error_code Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got) override;
    void AdviseHugePages(void* address, std::size_t size) override;
};

// One shared instance: it holds no state.
FileSystem& SystemFiles();

} // namespace tally

#pragma once

#include "platform/file_system.h"

namespace tally {

// The machine's own file system through the Win32 calls. Handles are C
// runtime descriptors wrapping the Win32 file handles. Paths are in the ANSI
// code page, like every text of the program on Windows.
class Win32FileSystem final : public FileSystem
{
public:
    std::error_code Inspect(const std::string& path, Entry& entry) override;
    std::error_code CheckWritable(const std::string& path) override;
    std::error_code
    Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle) override;
    std::error_code Write(Handle handle, std::span<const std::uint8_t> bytes) override;
    std::error_code Flush(Handle handle) override;
    std::error_code Close(Handle handle) override;
    // Replaces the target and writes the change through, so no folder sync
    // is needed afterwards.
    std::error_code Rename(const std::string& from, const std::string& to) override;
    // Windows cannot flush a folder; the write-through rename already made
    // the change durable. Fails only when the folder is missing.
    std::error_code SyncFolder(const std::string& folder) override;
    std::error_code Remove(const std::string& path) override;
    std::error_code OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size) override;
    std::error_code Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got) override;
    void AdviseHugePages(void* address, std::size_t size) override;
};

// The portable error for a Win32 error code where one exists (a missing
// file, no access, a full disk ...), else the system's own.
std::error_code Win32Error(unsigned long code);

} // namespace tally

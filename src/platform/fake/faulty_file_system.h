#pragma once

#include "platform/file_system.h"

#include <array>
#include <string_view>

namespace tally {

// Passes every step on to a real file system, except the ones told to fail,
// which fail with the given error before touching anything.
class FaultyFileSystem final : public FileSystem
{
public:
    enum class Step { Create, Write, Flush, Close, Rename, SyncFolder, Count };

    explicit FaultyFileSystem(FileSystem& real)
        : m_real(real)
    { }

    // Fails the nth call of step from now on (1 = the next one), or every
    // call when nth is 0.
    void Fail(Step step, std::errc error, int nth = 0);
    void Heal();
    // How many calls of step were made.
    int Calls(Step step) const { return m_steps[Index(step)].Calls; }

    std::error_code Inspect(const std::string& path, Entry& entry) override { return m_real.Inspect(path, entry); }
    std::error_code CheckWritable(const std::string& path) override { return m_real.CheckWritable(path); }
    std::error_code
    Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle) override;
    std::error_code Write(Handle handle, std::span<const std::uint8_t> bytes) override;
    std::error_code Flush(Handle handle) override;
    std::error_code Close(Handle handle) override;
    std::error_code Rename(const std::string& from, const std::string& to) override;
    std::error_code SyncFolder(const std::string& folder) override;
    std::error_code Remove(const std::string& path) override { return m_real.Remove(path); }
    std::error_code OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size) override
    {
        return m_real.OpenForReading(path, handle, size);
    }
    std::error_code Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got) override
    {
        return m_real.Read(handle, bytes, got);
    }
    void AdviseHugePages(void* address, std::size_t size) override { m_real.AdviseHugePages(address, size); }

private:
    struct Plan
    {
        std::errc Error {};
        bool Armed = false;
        int FailAt = 0; // the call number that fails; 0 for every call
        int Calls = 0;
    };

    static std::size_t Index(Step step) { return static_cast<std::size_t>(step); }
    // Counts the call; the error to give when this call is to fail.
    std::error_code Next(Step step);

    FileSystem& m_real;
    std::array<Plan, static_cast<std::size_t>(Step::Count)> m_steps {};
};

std::string_view StepName(FaultyFileSystem::Step step);

} // namespace tally

#include "platform/fake/faulty_file_system.h"

namespace tally {

void FaultyFileSystem::Fail(Step step, std::errc error, int nth)
{
    Plan& plan = m_steps[Index(step)];
    plan.Error = error;
    plan.Armed = true;
    plan.FailAt = nth > 0 ? plan.Calls + nth : 0;
}

void FaultyFileSystem::Heal()
{
    for (Plan& plan : m_steps) {
        plan.Armed = false;
    }
}

std::error_code FaultyFileSystem::Next(Step step)
{
    Plan& plan = m_steps[Index(step)];
    ++plan.Calls;
    if (plan.Armed && (plan.FailAt == 0 || plan.FailAt == plan.Calls)) {
        return std::make_error_code(plan.Error);
    }
    return {};
}

std::error_code
FaultyFileSystem::Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle)
{
    if (auto error = Next(Step::Create)) {
        return error;
    }
    return m_real.Create(path, exclusive, mode, handle);
}

std::error_code FaultyFileSystem::Write(Handle handle, std::span<const std::uint8_t> bytes)
{
    if (auto error = Next(Step::Write)) {
        // A full disk takes part of the data before it refuses the rest.
        static_cast<void>(m_real.Write(handle, bytes.first(bytes.size() / 2)));
        return error;
    }
    return m_real.Write(handle, bytes);
}

std::error_code FaultyFileSystem::Flush(Handle handle)
{
    if (auto error = Next(Step::Flush)) {
        return error;
    }
    return m_real.Flush(handle);
}

std::error_code FaultyFileSystem::Close(Handle handle)
{
    // The handle is released either way, as close always does.
    const std::error_code real = m_real.Close(handle);
    if (auto error = Next(Step::Close)) {
        return error;
    }
    return real;
}

std::error_code FaultyFileSystem::Rename(const std::string& from, const std::string& to)
{
    if (auto error = Next(Step::Rename)) {
        return error;
    }
    return m_real.Rename(from, to);
}

std::error_code FaultyFileSystem::SyncFolder(const std::string& folder)
{
    if (auto error = Next(Step::SyncFolder)) {
        return error;
    }
    return m_real.SyncFolder(folder);
}

std::string_view StepName(FaultyFileSystem::Step step)
{
    switch (step) {
        case FaultyFileSystem::Step::Create:
            return "create";
        case FaultyFileSystem::Step::Write:
            return "write";
        case FaultyFileSystem::Step::Flush:
            return "flush";
        case FaultyFileSystem::Step::Close:
            return "close";
        case FaultyFileSystem::Step::Rename:
            return "rename";
        case FaultyFileSystem::Step::SyncFolder:
            return "sync folder";
        case FaultyFileSystem::Step::Count:
            break;
    }
    return "?";
}

} // namespace tally

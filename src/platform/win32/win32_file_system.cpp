#include "platform/win32/win32_file_system.h"

#include "platform/system/posix_file_system.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>

namespace tally {

namespace {

std::error_code LastError()
{
    return Win32Error(::GetLastError());
}

HANDLE Native(FileSystem::Handle handle)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(handle));
}

// Wraps a Win32 handle in a descriptor, the form the interface hands out.
std::error_code Adopt(HANDLE file, int flags, FileSystem::Handle& handle)
{
    handle = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), flags);
    if (handle < 0) {
        ::CloseHandle(file);
        return std::make_error_code(std::errc::too_many_files_open);
    }
    return {};
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

std::error_code Win32Error(unsigned long code)
{
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return std::make_error_code(std::errc::no_such_file_or_directory);
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return std::make_error_code(std::errc::permission_denied);
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::make_error_code(std::errc::file_exists);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::make_error_code(std::errc::no_space_on_device);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return std::make_error_code(std::errc::device_or_resource_busy);
        case ERROR_DIRECTORY:
            return std::make_error_code(std::errc::not_a_directory);
        case ERROR_INVALID_HANDLE:
            return std::make_error_code(std::errc::bad_file_descriptor);
        default:
            return {static_cast<int>(code), std::system_category()};
    }
}

std::error_code Win32FileSystem::Inspect(const std::string& path, Entry& entry)
{
    entry = {};
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? std::error_code() : Win32Error(code);
    }
    entry.Exists = true;
    entry.IsFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Windows keeps only a read-only flag; it stands for the write bits.
    entry.Mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return {};
}

std::error_code Win32FileSystem::CheckWritable(const std::string& path)
{
    // Said outright: Wine running as root would otherwise open the file, and
    // the rename that follows would replace a file the user made read-only.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
        && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::make_error_code(std::errc::permission_denied);
    }
    const HANDLE file
        = ::CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    ::CloseHandle(file);
    return {};
}

std::error_code
Win32FileSystem::Create(const std::string& path, bool exclusive, std::optional<std::uint32_t> mode, Handle& handle)
{
    handle = -1;
    // Only the owner's write bit has a Windows counterpart: the read-only flag.
    const DWORD attributes = mode && (*mode & 0200) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    const HANDLE file = ::CreateFileA(
        path.c_str(), GENERIC_WRITE, kShareAll, nullptr, exclusive ? CREATE_NEW : CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return Adopt(file, _O_WRONLY | _O_BINARY, handle);
}

std::error_code Win32FileSystem::Write(Handle handle, std::span<const std::uint8_t> bytes)
{
    const HANDLE file = Native(handle);
    if (file == INVALID_HANDLE_VALUE) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, std::size_t {1} << 30));
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr)) {
            return LastError();
        }
        if (written == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        data += written;
        left -= written;
    }
    return {};
}

std::error_code Win32FileSystem::Flush(Handle handle)
{
    const HANDLE file = Native(handle);
    if (file == INVALID_HANDLE_VALUE) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    return ::FlushFileBuffers(file) ? std::error_code() : LastError();
}

std::error_code Win32FileSystem::Close(Handle handle)
{
    // Closing the descriptor closes the Win32 handle it wraps.
    return ::_close(handle) == 0 ? std::error_code() : std::make_error_code(std::errc::bad_file_descriptor);
}

std::error_code Win32FileSystem::Rename(const std::string& from, const std::string& to)
{
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? std::error_code()
               : LastError();
}

std::error_code Win32FileSystem::SyncFolder(const std::string& folder)
{
    const DWORD attributes = ::GetFileAttributesA(folder.empty() ? "." : folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? std::error_code()
                                                        : std::make_error_code(std::errc::not_a_directory);
}

std::error_code Win32FileSystem::Remove(const std::string& path)
{
    if (::DeleteFileA(path.c_str())) {
        return {};
    }
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? std::error_code() : Win32Error(code);
}

std::error_code Win32FileSystem::OpenForReading(const std::string& path, Handle& handle, std::uint64_t& size)
{
    handle = -1;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const HANDLE file
        = ::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    LARGE_INTEGER length {};
    if (!::GetFileSizeEx(file, &length)) {
        const std::error_code error = LastError();
        ::CloseHandle(file);
        return error;
    }
    size = length.QuadPart > 0 ? static_cast<std::uint64_t>(length.QuadPart) : 0;
    return Adopt(file, _O_RDONLY | _O_BINARY, handle);
}

std::error_code Win32FileSystem::Read(Handle handle, std::span<std::uint8_t> bytes, std::size_t& got)
{
    got = 0;
    const HANDLE file = Native(handle);
    if (file == INVALID_HANDLE_VALUE) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t {1} << 30));
    if (!::ReadFile(file, bytes.data(), chunk, &read, nullptr)) {
        const DWORD code = ::GetLastError();
        return code == ERROR_HANDLE_EOF ? std::error_code() : Win32Error(code);
    }
    got = read;
    return {};
}

void Win32FileSystem::AdviseHugePages(void* /*address*/, std::size_t /*size*/)
{
    // Large pages need a privilege users rarely hold; the buffer works the same.
}

// The interface's one shared instance, under the name the portable code uses.
FileSystem& SystemFiles()
{
    static Win32FileSystem files;
    return files;
}

} // namespace tally

#include "storage/file_io.h"

#include "storage/storage_error.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

namespace {

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

[[noreturn]] void Fail(const std::string& what, const std::string& path, std::error_code error)
{
    throw DataFileError(what + " " + path + ": " + error.message());
}

std::string TemporaryName(const fs::path& target)
{
    return target.string() + ".tmp";
}

} // namespace

TMemFileStream ReadWholeFile(FileSystem& files, const std::string& path)
{
    FileSystem::Handle handle = -1;
    std::uint64_t fileSize = 0;
    if (const auto error = files.OpenForReading(path, handle, fileSize)) {
        Fail(error == std::errc::is_a_directory ? "cannot read" : "cannot open", path, error);
    }
    struct Closer
    {
        FileSystem& Files;
        FileSystem::Handle Handle;
        ~Closer() { Files.Close(Handle); }
    } closer {files, handle};

    std::size_t capacity = static_cast<std::size_t>(fileSize);
    ByteBuffer data = AllocateBytes(capacity + 1, &files);
    std::size_t size = 0;
    // The extra byte finds a file that grew since it was opened.
    for (;;) {
        if (size == capacity + 1) {
            const std::size_t grown = capacity * 2 + 4096;
            ByteBuffer bigger = AllocateBytes(grown + 1, &files);
            std::memcpy(bigger.get(), data.get(), size);
            data = std::move(bigger);
            capacity = grown;
        }
        std::size_t got = 0;
        if (const auto error = files.Read(handle, {data.get() + size, capacity + 1 - size}, got)) {
            Fail("cannot read", path, error);
        }
        if (got == 0) {
            break;
        }
        size += got;
    }
    return TMemFileStream(std::move(data), size);
}

void WriteFileAtomically(FileSystem& files, const std::string& path, std::span<const std::uint8_t> bytes, bool durable)
{
    const fs::path target = ResolveTarget(path);
    const std::string targetText = target.string();

    // Refuse a target that exists but is not writable, as the backup path
    // depends on that failure.
    FileSystem::Entry entry;
    if (const auto error = files.Inspect(targetText, entry)) {
        Fail("cannot write", path, error);
    }
    if (entry.IsFolder) {
        Fail("cannot write", path, std::make_error_code(std::errc::is_a_directory));
    }
    if (entry.Exists) {
        if (const auto error = files.CheckWritable(targetText)) {
            Fail("cannot write", path, error);
        }
    }

    const std::string temp = TemporaryName(target);
    FileSystem::Handle handle = -1;
    const std::optional<std::uint32_t> mode = entry.Exists ? std::optional(entry.Mode) : std::nullopt;
    if (const auto error = files.Create(temp, false, mode, handle)) {
        // A failed create may still have left an empty file behind.
        files.Remove(temp);
        Fail("cannot create", temp, error);
    }
    bool open = true;
    auto discard = [&](const char* what, std::error_code error) {
        if (open) {
            files.Close(handle);
        }
        files.Remove(temp);
        Fail(what, temp, error);
    };
    if (const auto error = files.Write(handle, bytes)) {
        discard("cannot write", error);
    }
    if (durable) {
        if (const auto error = files.Flush(handle)) {
            discard("cannot flush", error);
        }
    }
    open = false;
    if (const auto error = files.Close(handle)) {
        discard("cannot write", error);
    }
    if (const auto error = files.Rename(temp, targetText)) {
        files.Remove(temp);
        throw DataFileError("cannot replace " + path + ": " + error.message());
    }
    if (durable) {
        // Makes the rename itself durable; file systems that cannot sync a
        // folder still hold the renamed file, so a failure here is ignored.
        static_cast<void>(files.SyncFolder(target.parent_path().string()));
    }
}

bool WriteNewFile(FileSystem& files, const std::string& path, std::span<const std::uint8_t> bytes)
{
    FileSystem::Handle handle = -1;
    if (const auto error = files.Create(path, true, std::nullopt, handle)) {
        if (error == std::errc::file_exists) {
            return false;
        }
        Fail("cannot create", path, error);
    }
    std::error_code error = files.Write(handle, bytes);
    if (!error) {
        error = files.Flush(handle);
    }
    if (const auto closeError = files.Close(handle); !error) {
        error = closeError;
    }
    if (error) {
        files.Remove(path);
        Fail("cannot write", path, error);
    }
    return true;
}

void RemoveStaleTemporary(FileSystem& files, const std::string& path)
{
    files.Remove(TemporaryName(ResolveTarget(path)));
}

} // namespace tally

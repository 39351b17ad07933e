// The version resource and the Win32 file system.
#include "model/version.h"
#include "platform/win32/version_info.h"
#include "platform/win32/win32_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tally {
namespace {

TEST(VersionResource, ProgramVersionMatchesTheCompiledConstant)
{
    EXPECT_EQ(ProgramVersion(), "1.1.0.363");
    EXPECT_EQ(ProgramVersion(), kProgramVersion);
    EXPECT_EQ(FileVersionOf("C:\\no\\such\\program.exe"), "");
    // A file without a version resource.
    test::TempDir dir;
    test::WriteFile(dir.File("plain.exe"), "MZ");
    EXPECT_EQ(FileVersionOf(dir.File("plain.exe")), "");
}

TEST(Win32Files, ReplaceReadBackAndRefuse)
{
    test::TempDir dir;
    Win32FileSystem files;
    const std::string target = dir.File("timers.dat");
    const std::string temporary = dir.File("timers.tmp");
    test::WriteFile(target, "old");

    FileSystem::Handle handle = -1;
    EXPECT_EQ(files.Create(target, true, std::nullopt, handle), std::errc::file_exists);
    ASSERT_FALSE(files.Create(temporary, true, std::nullopt, handle));
    const std::vector<std::uint8_t> bytes {'n', 'e', 'w', '\n', 0, 255};
    EXPECT_FALSE(files.Write(handle, bytes));
    EXPECT_FALSE(files.Flush(handle));
    EXPECT_FALSE(files.Close(handle));
    ASSERT_FALSE(files.Rename(temporary, target));
    EXPECT_FALSE(files.SyncFolder(dir.Path().string()));

    // Binary, not text: no line ends are changed.
    std::uint64_t size = 0;
    ASSERT_FALSE(files.OpenForReading(target, handle, size));
    EXPECT_EQ(size, bytes.size());
    std::vector<std::uint8_t> read(16);
    std::size_t got = 0;
    EXPECT_FALSE(files.Read(handle, read, got));
    read.resize(got);
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(files.Read(handle, read, got));
    EXPECT_EQ(got, 0U);
    EXPECT_FALSE(files.Close(handle));

    // A file the user made read-only is not written, whoever runs us.
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files.CheckWritable(target), std::errc::permission_denied);
    FileSystem::Entry entry;
    EXPECT_FALSE(files.Inspect(target, entry));
    EXPECT_EQ(entry.Mode, 0444U);
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(files.CheckWritable(target));

    EXPECT_FALSE(files.Inspect(dir.File("missing"), entry));
    EXPECT_FALSE(entry.Exists);
    EXPECT_EQ(files.OpenForReading(dir.Path().string(), handle, size), std::errc::is_a_directory);
    EXPECT_EQ(files.OpenForReading(dir.File("missing"), handle, size), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(files.Remove(dir.File("missing")));
    EXPECT_FALSE(files.Remove(target));
    EXPECT_FALSE(files.Inspect(target, entry));
    EXPECT_FALSE(entry.Exists);
}

} // namespace
} // namespace tally

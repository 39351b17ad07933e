// The program's start on Windows: where the data live, one instance.
#include "platform/win32/main_window.h"
#include "platform/win32/startup.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

namespace fs = std::filesystem;

TEST(WindowsInstallPath, FollowsTheSharedRule)
{
    test::TempDir dir;
    const fs::path program = dir.Path() / "program";
    const fs::path portable = dir.Path() / "portable-program";
    const fs::path local = dir.Path() / "local";
    const fs::path roaming = dir.Path() / "roaming";
    fs::create_directories(program);
    fs::create_directories(portable);
    test::WriteFile((portable / "tallyhourlite.ini").string(), "");
    const auto slash = [](const fs::path& p) { return (p / "").string(); };

    struct Case
    {
        fs::path Program;
        std::string Local;
        std::string Roaming;
        std::string Override;
        std::string Expected;
    };
    const Case cases[] = {
        {program, local.string(), roaming.string(), "", slash(local / "tallyhour-zide")},
        {program, "", roaming.string(), "", slash(roaming / "tallyhour-zide")},
        {portable, local.string(), roaming.string(), "", slash(portable)},
        {portable, local.string(), "", (dir.Path() / "other").string(), slash(dir.Path() / "other")},
        // No data home at all: the program's folder rather than a relative one.
        {program, "", "", "", slash(program)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseWindowsInstallPath(c.Program, c.Local, c.Roaming, c.Override), c.Expected) << c.Expected;
    }
    // The per-user folder is made; the override is left to the first write.
    EXPECT_TRUE(fs::is_directory(local / "tallyhour-zide"));
    EXPECT_TRUE(fs::is_directory(roaming / "tallyhour-zide"));
    EXPECT_FALSE(fs::exists(dir.Path() / "other"));
}

TEST(WindowsSingleInstance, SecondStartIsRefused)
{
    const char* name = "Local\\TallyhourZide.Test.SingleInstance";
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.Acquired());
        // Two starts at the same moment: neither has its window yet.
        SingleInstance second(name);
        EXPECT_FALSE(second.Acquired());
    }
    // The first one ended: a new start runs.
    EXPECT_TRUE(SingleInstance(name).Acquired());
    // A running instance's hidden window refuses a start by itself.
    HiddenMainWindow window;
    EXPECT_FALSE(SingleInstance("Local\\TallyhourZide.Test.Other").Acquired());
}

} // namespace
} // namespace tally

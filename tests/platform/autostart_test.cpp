#include "platform/system/xdg_autostart.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tally {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Sets or clears an environment variable for the lifetime of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv()
    {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

TEST(XdgAutoStart, ExecValueQuotesThePath)
{
    EXPECT_EQ(DesktopExecValue("/opt/tally/tallyhour-zide"), "\"/opt/tally/tallyhour-zide\"");
    EXPECT_EQ(DesktopExecValue("/home/a b/50%/\"x\"/$HOME/`id`"),
              "\"/home/a b/50%%/\\\\\"x\\\\\"/\\\\$HOME/\\\\`id\\\\`\"");
    // A literal backslash takes four, a line break its string escape.
    EXPECT_EQ(DesktopExecValue("/a\\b\nc"), "\"/a\\\\\\\\b\\nc\"");
}

TEST(XdgAutoStart, EntryWrittenAndRemoved)
{
    TempDir dir;
    const UserDirs dirs {dir.Path() / "data", dir.Path() / "config"};
    XdgAutoStart autoStart("/opt/my tally/tallyhour-zide", dirs);
    EXPECT_EQ(autoStart.EntryPath(), dir.Path() / "config" / "autostart" / "tallyhour-zide.desktop");
    EXPECT_FALSE(autoStart.IsAutoStart());

    ASSERT_TRUE(autoStart.SetAutoStart(true));
    const std::string entry = ReadFile(autoStart.EntryPath().string());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/my tally/tallyhour-zide\"\n"), std::string::npos);
    EXPECT_TRUE(autoStart.IsAutoStart());
    // Registering again replaces the entry, whatever it held.
    WriteFile(autoStart.EntryPath().string(), "[Desktop Entry]\nExec=/elsewhere/tallyhour-zide\n");
    EXPECT_FALSE(autoStart.IsAutoStart());
    ASSERT_TRUE(autoStart.SetAutoStart(true));
    EXPECT_EQ(ReadFile(autoStart.EntryPath().string()), entry);
    EXPECT_EQ(std::distance(fs::directory_iterator(autoStart.EntryPath().parent_path()), fs::directory_iterator()), 1);

    EXPECT_TRUE(autoStart.SetAutoStart(false));
    EXPECT_FALSE(fs::exists(autoStart.EntryPath()));
    EXPECT_FALSE(autoStart.IsAutoStart());
    EXPECT_TRUE(autoStart.SetAutoStart(false));
}

TEST(XdgAutoStart, FailureIsQuiet)
{
    TempDir dir;
    WriteFile(dir.File("config"), "a file where the folder should be");
    XdgAutoStart autoStart("/usr/bin/tallyhour-zide", UserDirs {dir.Path(), dir.Path() / "config"});
    EXPECT_FALSE(autoStart.SetAutoStart(true));
    EXPECT_FALSE(autoStart.IsAutoStart());
    EXPECT_FALSE(autoStart.SetAutoStart(false));
}

TEST(UserDirs, FromEnvironmentHonoursAbsoluteXdgVariables)
{
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
        const auto dirs = UserDirs::FromEnvironment();
        EXPECT_EQ(dirs.DataHome, "/srv/data");
        EXPECT_EQ(dirs.ConfigHome, "/srv/config");
    }
    ScopedEnv data("XDG_DATA_HOME", "relative/data");
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const auto dirs = UserDirs::FromEnvironment();
    EXPECT_EQ(dirs.DataHome, "/home/someone/.local/share");
    EXPECT_EQ(dirs.ConfigHome, "/home/someone/.config");

    ScopedEnv noHome("HOME", nullptr);
    EXPECT_TRUE(UserDirs::FromEnvironment().ConfigHome.is_absolute());
}

} // namespace
} // namespace tally

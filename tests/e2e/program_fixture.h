#pragma once

#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tally::test {

using namespace std::chrono_literals;

// For the program on a Wayland compositor: Qt loads Mesa's EGL only to draw
// window decorations, and the software driver keeps an allocation for the
// life of the process that the leak checker, once the driver is unloaded at
// exit, can no longer trace to it.
inline constexpr const char* kWaylandNoDecorations = "QT_WAYLAND_DISABLE_WINDOWDECORATION=1";

// The built program copied to FILE, with the parts it loads from beside
// itself (the statistics window, the click sound).
inline void CopyBuiltProgram(const std::filesystem::path& file)
{
    namespace fs = std::filesystem;
    fs::copy_file(TALLY_PROGRAM, file);
    for (const auto& entry : fs::directory_iterator(fs::path(TALLY_PROGRAM).parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("tallyhour-zide-") && entry.path().extension() == ".so") {
            fs::copy_file(entry.path(), file.parent_path() / name, fs::copy_options::overwrite_existing);
        }
    }
}

// The program copied into a temporary folder, which is also its data folder
// (a portable marker beside it says so), started on a private display with a
// window manager and a notification-area host. Settings, lock, autostart and
// per-user data folders live in the temporary folder too, so that nothing a
// test does reaches the real home.
class ProgramTest : public ::testing::Test
{
protected:
    static constexpr const char* kTitle = "Tallyhour Zide";
    static constexpr int kSkinWidth = 465;
    static constexpr int kSkinHeight = 329;

    void SetUp() override
    {
        RigOptions options;
        options.Tray = true;
        rig = std::make_unique<XRig>(options);
        std::filesystem::create_directories(dir.Path() / "run");
        std::filesystem::permissions(dir.Path() / "run", std::filesystem::perms::owner_all);
        CopyBuiltProgram(Program());
        WriteFile(dir.File("portable"), "");
        WriteSettings("");
    }

    std::string Program() const { return dir.File("tallyhour-zide"); }

    // The settings of a user who has run the program before, quiet, logging,
    // plus the given lines of the main section.
    void WriteSettings(const std::string& extraMain) const
    {
        WriteFile(
            dir.File("tallyhourlite.ini"),
            "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\n"
                + (extraMain.find("FirstLaunch") == std::string::npos ? std::string("FirstLaunch=0\n") : std::string())
                + extraMain);
    }

    std::vector<std::string> Environment() const
    {
        return {"DISPLAY=" + rig->Display(),
                "QT_QPA_PLATFORM=xcb",
                // The data folder is the program's own.
                "TALLYHOUR_DATA_DIR=",
                "XDG_DATA_HOME=" + (dir.Path() / "share").string(),
                "XDG_CONFIG_HOME=" + (dir.Path() / "config").string(),
                "XDG_RUNTIME_DIR=" + (dir.Path() / "run").string(),
                // No session bus: the tray icon docks into the X tray host.
                "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.Path() / "no-bus").string(),
                // No probe leaves the machine.
                "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
    }

    std::unique_ptr<ChildProcess> StartProgram() const { return StartProgram(Program()); }

    std::unique_ptr<ChildProcess> StartProgram(const std::string& program) const
    {
        ChildProcess::Options options;
        options.Environment = Environment();
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {program}, options);
    }

    // xdotool with a time-out that allows for a busy machine.
    int Xdo(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv {"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, rig->Environment(), 60s);
    }

    // SIGTERM, as when the session ends; the exit code.
    static std::optional<int> Terminate(ChildProcess& program)
    {
        ::kill(program.Pid(), SIGTERM);
        return program.Wait(30s);
    }

    std::string Log() const
    {
        const std::filesystem::path log = dataDir / "log.txt";
        return std::filesystem::exists(log) ? ReadFile(log.string()) : std::string();
    }

    bool LogHas(const std::string& text, std::chrono::milliseconds timeout = 30s) const
    {
        return XRig::WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeout);
    }

    void SaveData(TimeModel& model)
    {
        DataFile data(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dataDir));
        data.Save(data.Paths().DataFile);
    }

    // The data file as the program left it.
    void LoadData(TimeModel& model)
    {
        DataFile data(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dataDir));
        ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    }

    // The main window, when it is on the screen.
    std::optional<WindowInfo> MainWindow()
    {
        for (const WindowInfo& w : rig->FindWindows(kTitle)) {
            if (w.Viewable && w.Width == kSkinWidth && w.Height == kSkinHeight) {
                return w;
            }
        }
        return std::nullopt;
    }

    // The tray icon, once it is docked into the tray host.
    std::optional<WindowInfo> TrayIcon()
    {
        for (const WindowInfo& w : rig->FindWindows(kTitle)) {
            if (w.Viewable && w.Width > 1 && w.Width <= 64 && w.Height > 1 && w.Height <= 64) {
                return w;
            }
        }
        return std::nullopt;
    }

    TempDir dir;
    // Where the program keeps its files: its own folder, as the marker says.
    std::filesystem::path dataDir = dir.Path();
    std::unique_ptr<XRig> rig;
    FakeClock clock;
    TBrisvaleLog quietLog {clock};
};

// Clicks the "+" under the timer list until `opened` says the new-timer
// dialog came: a click that comes before the window takes input is lost.
inline bool ClickNewTimerButton(XRig& rig, const std::function<bool()>& opened)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        RunProgram({"xdotool",
                    "search",
                    "--sync",
                    "--onlyvisible",
                    "--name",
                    "^Tallyhour Zide$",
                    "mousemove",
                    "--window",
                    "%1",
                    "69",
                    "304",
                    "click",
                    "1"},
                   rig.Environment(),
                   60s);
        if (opened()) {
            return true;
        }
    }
    return false;
}

inline std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        ++n;
    }
    return n;
}

} // namespace tally::test

#pragma once

// A desktop session of its own for the real program inside a Wayland
// compositor that the deriving test starts: buses of its own (a private
// system bus with a mock logind, without which a desktop shell stops at its
// start), everything run as an unprivileged user.

#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/posix_file_system.h"
#include "program_fixture.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"
#include "x11_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tally::test {

class UserSessionTest : public ::testing::Test
{
protected:
    using Clock = std::chrono::steady_clock;
    static constexpr double kSecondsPerDay = 86400.0; // stored times are in days

    // `socket`: the compositor's Wayland socket; `desktop`: what the session
    // says of itself to its clients (XDG_CURRENT_DESKTOP=...), if anything.
    UserSessionTest(std::string socket, std::vector<std::string> desktop)
        : m_socket(std::move(socket))
        , m_desktop(std::move(desktop))
    {
        sessionBus = "unix:path=" + dir.File("session"); // nobody answers there until StartBuses
    }

    // For a compositor that names its socket itself once it runs: until
    // then its clients get none.
    void SetSocket(std::string socket, std::vector<std::string> desktop)
    {
        m_socket = std::move(socket);
        m_desktop = std::move(desktop);
    }

    static bool HasDbusmock() { return std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") == 0; }

    // The runtime folder, the two buses and the mock logind; the folder is
    // the user's from here on.
    void StartBuses()
    {
        std::filesystem::create_directories(Runtime());
        Own();
        for (const char* bus : {"system", "session"}) {
            buses.push_back(std::make_unique<ChildProcess>(
                AsUser({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + dir.File(bus)}), Quiet()));
            ASSERT_TRUE(XRig::WaitUntil([&] { return std::filesystem::exists(dir.File(bus)); }, 10s));
        }
        logind = std::make_unique<ChildProcess>(AsUser({"/usr/bin/python3", "-m", "dbusmock", "--template", "logind"}),
                                                Quiet());
    }

    void TearDown() override
    {
        for (auto* child : {program.get(), editor.get(), other.get(), compositor.get(), logind.get()}) {
            if (child != nullptr) {
                child->Stop();
            }
        }
        for (auto& bus : buses) {
            bus->Stop();
        }
    }

    const char* Socket() const { return m_socket.c_str(); }
    std::string Runtime() const { return dir.File("run"); }

    void Own() const
    {
        ASSERT_EQ(std::system(("chown -R 65534:65534 " + dir.Path().string() + " && chmod 700 " + Runtime()).c_str()),
                  0);
    }

    static std::vector<std::string> AsUser(std::vector<std::string> argv)
    {
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        return argv;
    }

    std::vector<std::string> Environment(std::vector<std::string> more) const
    {
        std::vector<std::string> env {"XDG_RUNTIME_DIR=" + Runtime(),
                                      "HOME=" + dir.Path().string(),
                                      "DISPLAY=",
                                      "XDG_SESSION_TYPE=wayland",
                                      "XDG_CONFIG_HOME=" + dir.File("config"),
                                      "XDG_DATA_HOME=" + dir.File("share"),
                                      "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir.File("system"),
                                      "DBUS_SESSION_BUS_ADDRESS=" + sessionBus};
        if (!m_socket.empty()) {
            env.push_back("WAYLAND_DISPLAY=" + m_socket);
        }
        env.insert(env.end(), m_desktop.begin(), m_desktop.end());
        // A later setting of a name replaces the earlier one.
        for (const std::string& setting : more) {
            const std::string name = setting.substr(0, setting.find('=') + 1);
            std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
            env.push_back(setting);
        }
        return env;
    }

    ChildProcess::Options Quiet(std::vector<std::string> more = {}) const
    {
        ChildProcess::Options options;
        options.Quiet = true;
        options.Environment = Environment(std::move(more));
        return options;
    }

    // A window of our own; the time it came on screen.
    Clock::time_point Show(std::unique_ptr<ChildProcess>& window, const std::string& title)
    {
        ChildProcess::Options options = Quiet({"QT_QPA_PLATFORM=wayland"});
        options.PipeStdin = true;
        options.PipeStdout = true;
        window = std::make_unique<ChildProcess>(
            AsUser({TALLY_WAYLAND_WINDOW, "--title", title, "--app-id", "tally-test"}), options);
        EXPECT_EQ(window->ReadLine(30s).value_or("nothing"), "shown");
        return Clock::now();
    }

    void StartProgram(const std::string& settings)
    {
        WriteFile(dir.File("tallyhourlite.ini"),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n" + settings);
        Own();
        program = std::make_unique<ChildProcess>(AsUser({TALLY_PROGRAM}),
                                                 Quiet({"QT_QPA_PLATFORM=wayland",
                                                        kWaylandNoDecorations,
                                                        "TALLYHOUR_DATA_DIR=" + dir.Path().string(),
                                                        "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"}));
        ASSERT_TRUE(XRig::WaitUntil([&] { return Log().find("actOpenExecute->") != std::string::npos; }, 60s))
            << "no window opened; run log:\n"
            << Log();
    }

    void SaveTimers(const std::vector<std::tuple<std::string, TimerType, std::string>>& timers)
    {
        TimeModel model;
        for (const auto& [name, type, identifier] : timers) {
            TMyTimer& timer = model.Timers.Create();
            timer.Name = name;
            timer.TimerType = type;
            if (!identifier.empty()) {
                timer.Identifiers = {identifier};
            }
            timer.SetEnabled(true);
        }
        DataFile data = Data(model);
        data.Save(data.Paths().DataFile);
    }

    std::string Log() const
    {
        return std::filesystem::exists(dir.File("log.txt")) ? ReadFile(dir.File("log.txt")) : std::string();
    }

    DataFile Data(TimeModel& model) const
    {
        return DataFile(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(dir.Path()));
    }

    void EndProgram(TimeModel& model)
    {
        ::kill(program->Pid(), SIGTERM);
        ASSERT_EQ(program->Wait(30s), 0);
        DataFile data = Data(model);
        ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    }

    static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

    TempDir dir;
    std::string sessionBus;
    std::vector<std::unique_ptr<ChildProcess>> buses; // the system bus and the session bus
    std::unique_ptr<ChildProcess> logind;
    std::unique_ptr<ChildProcess> compositor;
    std::unique_ptr<ChildProcess> program;
    std::unique_ptr<ChildProcess> editor; // the test's windows
    std::unique_ptr<ChildProcess> other;
    FakeClock clock;
    mutable TBrisvaleLog quietLog {clock};

private:
    std::string m_socket;
    std::vector<std::string> m_desktop;
};

} // namespace tally::test

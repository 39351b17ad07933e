#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/http_getter.h"
#include "platform/session_watcher.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "shell/app/application.h"
#include "storage/settings_file.h"
#include "support/temp_dir.h"

#include "gui_fixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace tally {
namespace {

// Reading end of a pipe that a test makes readable.
class Pipe
{
public:
    Pipe()
    {
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            throw std::runtime_error("pipe failed");
        }
    }
    ~Pipe()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int ReadEnd() const { return m_fds[0]; }
    void Signal() const { [[maybe_unused]] auto n = ::write(m_fds[1], "x", 1); }
    void Drain() const
    {
        char buffer[64];
        while (::read(m_fds[0], buffer, sizeof buffer) > 0) {
        }
    }

private:
    int m_fds[2] = {-1, -1};
};

class PipeSession final : public SessionWatcher
{
public:
    explicit PipeSession(const Pipe& pipe)
        : m_pipe(pipe)
    { }
    bool IsLocked() override { return false; }
    void SetPowerHandler(PowerHandler) override { }
    std::vector<int> EventDescriptors() override { return {m_pipe.ReadEnd()}; }
    void DispatchEvents() override
    {
        ++Dispatches;
        m_pipe.Drain();
    }
    int Dispatches = 0;

private:
    const Pipe& m_pipe;
};

// The scripted desktop, built over a session watcher the way the X11 desktop
// is: it hands out the watcher's descriptors with its own and dispatches the
// watcher's events from its own dispatch.
class SessionDesktop final : public Desktop
{
public:
    explicit SessionDesktop(SessionWatcher& session)
        : m_session(session)
    { }
    WindowHandle GetForegroundWindow() override { return m_inner.GetForegroundWindow(); }
    std::vector<TopLevelWindow> EnumTopLevelWindows(WindowHandle start, bool names) override
    {
        return m_inner.EnumTopLevelWindows(start, names);
    }
    std::string GetWindowProcessName(WindowHandle window) override { return m_inner.GetWindowProcessName(window); }
    std::uint32_t IdleSeconds() override { return m_inner.IdleSeconds(); }
    bool SetKeyboardHook(KeystrokeHandler handler) override { return m_inner.SetKeyboardHook(std::move(handler)); }
    bool RemoveKeyboardHook() override { return m_inner.RemoveKeyboardHook(); }
    ScreenPoint GetCursorPos() override { return m_inner.GetCursorPos(); }
    std::vector<int> EventDescriptors() override { return m_session.EventDescriptors(); }
    void DispatchEvents() override
    {
        ++Dispatches;
        m_session.DispatchEvents();
    }
    int Dispatches = 0;

private:
    FakeDesktop m_inner;
    SessionWatcher& m_session;
};

class NoAutoStart final : public AutoStart
{
public:
    bool SetAutoStart(bool) override { return true; }
    bool IsAutoStart() const override { return false; }
};

class ApplicationEventsTest : public test::GuiTest
{
protected:
    AppEnvironment Environment()
    {
        test::WriteFile(dir.File("tallyhourlite.ini"), "[main]\nFirstLaunch=0\nSplashOn=0\nAutoRun=0\nSoundOn=0\n");
        AppEnvironment env;
        env.InstallPath = (dir.Path() / "").string();
        env.ProgramFile = dir.File("tallyhour-zide");
        env.SysClock = &clock;
        env.Desk = &desktop;
        env.Session = &session;
        env.AutoRun = &autoStart;
        env.Proxy = &proxy;
        env.Threads = &threads;
        env.Http = std::make_shared<test::NoHttp>();
        env.Files = &SystemFiles();
        env.Settings = std::make_unique<IniSettings>(SystemFiles(), dir.File("tallyhourlite.ini"));
        return env;
    }

    // Runs the event loop until the condition holds or the time is up.
    static bool Spin(const std::function<bool()>& condition, int ms = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return condition();
    }

    test::TempDir dir;
    FakeClock clock;
    Pipe pipe;
    PipeSession session {pipe};
    SessionDesktop desktop {session};
    NoAutoStart autoStart;
    NoSystemProxy proxy;
    IdleThreads threads;
};

TEST_F(ApplicationEventsTest, EventsOnADescriptorSharedByDesktopAndSessionAreHandledOnce)
{
    Application application(Environment());
    application.Start();

    pipe.Signal();
    ASSERT_TRUE(Spin([&] { return session.Dispatches > 0; }));
    // A little longer, for a second notifier on the same descriptor.
    Spin([] { return false; }, 300);
    EXPECT_EQ(session.Dispatches, 1);
    EXPECT_EQ(desktop.Dispatches, 1);

    pipe.Signal();
    ASSERT_TRUE(Spin([&] { return session.Dispatches > 1; }));
    Spin([] { return false; }, 300);
    EXPECT_EQ(session.Dispatches, 2);
}

} // namespace
} // namespace tally

#pragma once

#include <sys/types.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace tally {
class SessionWatcher;
}

namespace tally::test {

using namespace std::chrono_literals;

// A program started for a test. It is stopped by its PID when the object
// goes, and it gets SIGTERM by itself should the test program die first.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv (argv[0] a full path) with the environment changed by
    // `environment` ("NAME=value" sets, "NAME" removes). Standard output goes
    // to `outputFd`, or nowhere when it is -1; standard error is kept.
    static ChildProcess
    Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {}, int outputFd = -1);

    pid_t Pid() const { return m_pid; }
    bool Running();

    // SIGTERM, then SIGKILL when it has not ended after a few seconds.
    void Stop();

private:
    pid_t m_pid = -1;
};

// A dbus-daemon of our own, listening in a folder of the test, with no
// service activation, so that nothing of the real system starts on it.
class PrivateBus
{
public:
    explicit PrivateBus(const std::filesystem::path& folder);

    const std::string& Address() const { return m_address; }
    void Stop() { m_daemon.Stop(); }

private:
    ChildProcess m_daemon;
    std::string m_address;
};

// A plain connection for driving mocks and reading their state.
class BusDriver
{
public:
    explicit BusDriver(const std::string& address);
    ~BusDriver();
    BusDriver(const BusDriver&) = delete;
    BusDriver& operator=(const BusDriver&) = delete;

    sd_bus* Bus() { return m_bus; }

    bool HasOwner(const std::string& name);
    // Waits for the name while the process that should take it still runs.
    void WaitForOwner(const std::string& name, ChildProcess& owner);

    // Calls a method whose reply is ignored; throws on an error reply.
    void Call(const std::string& destination,
              const std::string& path,
              const std::string& interface,
              const std::string& member,
              const std::function<void(sd_bus_message*)>& appendArguments = {});

    // org.freedesktop.DBus.Mock.EmitSignal with one boolean argument.
    void EmitBoolSignal(const std::string& destination,
                        const std::string& path,
                        const std::string& interface,
                        const std::string& member,
                        bool value);

private:
    sd_bus* m_bus = nullptr;
};

// The logind template of dbusmock on a bus, with a few of its controls.
class LogindMock
{
public:
    explicit LogindMock(const std::string& address);

    // Adds a session for user 1000 on seat0; returns its object path.
    std::string AddSession(const std::string& id);
    void SetLockedHint(const std::string& sessionPath, bool locked);
    void CallSessionMethod(const std::string& sessionPath, const std::string& member);
    void EmitPrepareForSleep(bool start);

    using Inhibitor = std::tuple<std::string, std::string, std::string, std::string>; // what, who, why, mode
    std::vector<Inhibitor> ListInhibitors();

    BusDriver& Driver() { return m_driver; }
    void Stop() { m_process.Stop(); }

private:
    ChildProcess m_process;
    BusDriver m_driver;
};

// Sets or removes an environment variable for the lifetime of the object.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Runs the watcher's event loop until the condition holds; dispatches only
// when its descriptors say there is work, as a real event loop would.
bool PumpUntil(SessionWatcher& watcher,
               const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = 10s);

// Polls the condition until it holds.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

} // namespace tally::test

#include "dbus/bus_rig.h"

#include "platform/session_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <utility>

extern char** environ;

namespace tally::test {

namespace {

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        result.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(result,
                      [&](const std::string& entry) { return entry.compare(0, name.size() + 1, name + "=") == 0; });
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

void Check(int result, const std::string& what, const sd_bus_error* error = nullptr)
{
    if (result >= 0) {
        return;
    }
    std::string text = what + " failed: ";
    if (error && sd_bus_error_is_set(error)) {
        text += std::string(error->name) + ": " + (error->message ? error->message : "");
    } else {
        text += std::strerror(-result);
    }
    throw std::runtime_error(text);
}

struct ErrorHolder
{
    sd_bus_error Error = SD_BUS_ERROR_NULL;
    ~ErrorHolder() { sd_bus_error_free(&Error); }
};

struct MessageHolder
{
    sd_bus_message* Message = nullptr;
    ~MessageHolder() { sd_bus_message_unref(Message); }
};

} // namespace

// ---- ChildProcess ----------------------------------------------------------

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1))
{ }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        Stop();
        m_pid = std::exchange(other.m_pid, -1);
    }
    return *this;
}

ChildProcess
ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int outputFd)
{
    // Everything is prepared before fork: the child only calls what is safe there.
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = ChangedEnvironment(environment);
    std::vector<char*> argumentPointers = Pointers(arguments);
    std::vector<char*> variablePointers = Pointers(variables);
    const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing < 0) {
        throw std::runtime_error("cannot open /dev/null");
    }
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(nothing, STDIN_FILENO);
        dup2(outputFd >= 0 ? outputFd : nothing, STDOUT_FILENO);
        execve(argumentPointers[0], argumentPointers.data(), variablePointers.data());
        _exit(127);
    }
    close(nothing);
    if (pid < 0) {
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    }
    ChildProcess child;
    child.m_pid = pid;
    return child;
}

bool ChildProcess::Running()
{
    if (m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

void ChildProcess::Stop()
{
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    m_pid = -1;
}

// ---- PrivateBus ------------------------------------------------------------

PrivateBus::PrivateBus(const std::filesystem::path& folder)
{
    const std::filesystem::path config = folder / "bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n"
                             "  <type>session</type>\n"
                             "  <listen>unix:dir="
                          << folder.string()
                          << "</listen>\n"
                             "  <auth>EXTERNAL</auth>\n"
                             "  <policy context=\"default\">\n"
                             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                             "    <allow eavesdrop=\"true\"/>\n"
                             "    <allow own=\"*\"/>\n"
                             "  </policy>\n"
                             "</busconfig>\n";

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    m_daemon = ChildProcess::Start(
        {"/usr/bin/dbus-daemon", "--config-file=" + config.string(), "--nofork", "--print-address=1"}, {}, fds[1]);
    close(fds[1]);

    // The daemon prints its address once it listens.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string line;
    char c = 0;
    while (line.empty() || line.back() != '\n') {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry {fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0 || read(fds[0], &c, 1) != 1) {
            break;
        }
        line += c;
    }
    close(fds[0]);
    if (line.empty() || line.back() != '\n') {
        m_daemon.Stop();
        throw std::runtime_error("dbus-daemon did not start");
    }
    line.pop_back();
    m_address = line;
}

// ---- BusDriver -------------------------------------------------------------

BusDriver::BusDriver(const std::string& address)
{
    Check(sd_bus_new(&m_bus), "sd_bus_new");
    Check(sd_bus_set_address(m_bus, address.c_str()), "sd_bus_set_address");
    Check(sd_bus_set_bus_client(m_bus, 1), "sd_bus_set_bus_client");
    Check(sd_bus_start(m_bus), "connecting to " + address);
}

BusDriver::~BusDriver()
{
    sd_bus_close_unref(m_bus);
}

bool BusDriver::HasOwner(const std::string& name)
{
    ErrorHolder error;
    MessageHolder reply;
    const int r = sd_bus_call_method(m_bus,
                                     "org.freedesktop.DBus",
                                     "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus",
                                     "NameHasOwner",
                                     &error.Error,
                                     &reply.Message,
                                     "s",
                                     name.c_str());
    Check(r, "NameHasOwner", &error.Error);
    int has = 0;
    Check(sd_bus_message_read(reply.Message, "b", &has), "reading NameHasOwner");
    return has != 0;
}

void BusDriver::WaitForOwner(const std::string& name, ChildProcess& owner)
{
    const bool owned = WaitUntil([&] { return HasOwner(name) || !owner.Running(); }, 20s) && owner.Running();
    if (!owned) {
        throw std::runtime_error(name + " did not appear on the bus");
    }
}

void BusDriver::Call(const std::string& destination,
                     const std::string& path,
                     const std::string& interface,
                     const std::string& member,
                     const std::function<void(sd_bus_message*)>& appendArguments)
{
    MessageHolder call;
    Check(sd_bus_message_new_method_call(
              m_bus, &call.Message, destination.c_str(), path.c_str(), interface.c_str(), member.c_str()),
          "creating " + member);
    if (appendArguments) {
        appendArguments(call.Message);
    }
    ErrorHolder error;
    MessageHolder reply;
    Check(sd_bus_call(m_bus, call.Message, 0, &error.Error, &reply.Message), member, &error.Error);
}

void BusDriver::EmitBoolSignal(const std::string& destination,
                               const std::string& path,
                               const std::string& interface,
                               const std::string& member,
                               bool value)
{
    Call(destination, path, "org.freedesktop.DBus.Mock", "EmitSignal", [&](sd_bus_message* m) {
        Check(sd_bus_message_append(m, "sss", interface.c_str(), member.c_str(), "b"), "appending");
        Check(sd_bus_message_append(m, "av", 1, "b", static_cast<int>(value)), "appending");
    });
}

// ---- LogindMock ------------------------------------------------------------

LogindMock::LogindMock(const std::string& address)
    : m_process(ChildProcess::Start({"/usr/bin/python3", "-m", "dbusmock", "--template", "logind"},
                                    {"DBUS_SYSTEM_BUS_ADDRESS=" + address}))
    , m_driver(address)
{
    m_driver.WaitForOwner("org.freedesktop.login1", m_process);
}

std::string LogindMock::AddSession(const std::string& id)
{
    m_driver.Call("org.freedesktop.login1",
                  "/org/freedesktop/login1",
                  "org.freedesktop.DBus.Mock",
                  "AddSession",
                  [&](sd_bus_message* m) {
                      Check(sd_bus_message_append(m, "ssusb", id.c_str(), "seat0", 1000u, "alice", 1), "appending");
                  });
    return "/org/freedesktop/login1/session/" + id;
}

void LogindMock::SetLockedHint(const std::string& sessionPath, bool locked)
{
    m_driver.Call(
        "org.freedesktop.login1",
        sessionPath,
        "org.freedesktop.login1.Session",
        "SetLockedHint",
        [&](sd_bus_message* m) { Check(sd_bus_message_append(m, "b", static_cast<int>(locked)), "appending"); });
}

void LogindMock::CallSessionMethod(const std::string& sessionPath, const std::string& member)
{
    m_driver.Call("org.freedesktop.login1", sessionPath, "org.freedesktop.login1.Session", member);
}

void LogindMock::EmitPrepareForSleep(bool start)
{
    m_driver.EmitBoolSignal("org.freedesktop.login1",
                            "/org/freedesktop/login1",
                            "org.freedesktop.login1.Manager",
                            "PrepareForSleep",
                            start);
}

std::vector<LogindMock::Inhibitor> LogindMock::ListInhibitors()
{
    ErrorHolder error;
    MessageHolder reply;
    Check(sd_bus_call_method(m_driver.Bus(),
                             "org.freedesktop.login1",
                             "/org/freedesktop/login1",
                             "org.freedesktop.login1.Manager",
                             "ListInhibitors",
                             &error.Error,
                             &reply.Message,
                             ""),
          "ListInhibitors",
          &error.Error);
    std::vector<Inhibitor> result;
    Check(sd_bus_message_enter_container(reply.Message, 'a', "(ssssuu)"), "reading inhibitors");
    const char* what = nullptr;
    const char* who = nullptr;
    const char* why = nullptr;
    const char* mode = nullptr;
    std::uint32_t uid = 0;
    std::uint32_t pid = 0;
    while (sd_bus_message_read(reply.Message, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0) {
        result.emplace_back(what, who, why, mode);
    }
    return result;
}

// ---- Helpers ---------------------------------------------------------------

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : m_name(std::move(name))
{
    if (const char* old = std::getenv(m_name.c_str())) {
        m_old = old;
    }
    if (value) {
        setenv(m_name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

ScopedEnv::~ScopedEnv()
{
    if (m_old) {
        setenv(m_name.c_str(), m_old->c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

bool PumpUntil(SessionWatcher& watcher, const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::vector<pollfd> entries;
        for (const int fd : watcher.EventDescriptors()) {
            entries.push_back({fd, POLLIN, 0});
        }
        if (poll(entries.data(), entries.size(), 20) > 0) {
            watcher.DispatchEvents();
        }
    }
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

} // namespace tally::test

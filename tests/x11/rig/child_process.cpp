#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tally::test {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string item = *entry;
        const auto name = item.substr(0, item.find('=') + 1);
        bool replaced = false;
        for (const auto& e : extra) {
            replaced = replaced || e.rfind(name, 0) == 0;
        }
        if (!replaced) {
            result.push_back(item);
        }
    }
    result.insert(result.end(), extra.begin(), extra.end());
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Options& options)
{
    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(options.Environment);
    auto argp = Pointers(args);
    auto envp = Pointers(env);

    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if ((options.PipeStdin && pipe2(in, O_CLOEXEC) != 0) || (options.PipeStdout && pipe2(out, O_CLOEXEC) != 0)) {
        throw std::runtime_error(std::string("pipe failed: ") + std::strerror(errno));
    }
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);

    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // Only async-signal-safe calls from here to exec.
        // A test that is killed (a time-out, say) leaves no server, window
        // manager or program behind: they get SIGTERM when it goes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        if (options.PassFd >= 0) {
            dup2(options.PassFd, 3);
        }
        dup2(options.PipeStdin ? in[0] : devNull, STDIN_FILENO);
        if (options.PipeStdout) {
            dup2(out[1], STDOUT_FILENO);
        } else if (options.StdoutFd >= 0) {
            dup2(options.StdoutFd, STDOUT_FILENO);
        } else if (options.Quiet) {
            dup2(devNull, STDOUT_FILENO);
        }
        if (options.StderrFd >= 0) {
            dup2(options.StderrFd, STDERR_FILENO);
        } else if (options.Quiet) {
            dup2(devNull, STDERR_FILENO);
        }
        const unsigned firstToClose = options.PassFd >= 0 ? 4 : 3;
        close_range(firstToClose, ~0U, 0);
        signal(SIGPIPE, SIG_DFL);
        execvpe(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    const int forkError = errno;
    close(devNull);
    if (options.PipeStdin) {
        close(in[0]);
        m_stdin = in[1];
    }
    if (options.PipeStdout) {
        close(out[1]);
        m_stdout = out[0];
    }
    if (m_pid < 0) {
        throw std::runtime_error("cannot start " + argv.front() + ": " + std::strerror(forkError));
    }
}

ChildProcess::~ChildProcess()
{
    Stop();
    if (m_stdin >= 0) {
        close(m_stdin);
    }
    if (m_stdout >= 0) {
        close(m_stdout);
    }
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto nl = m_buffer.find('\n'); nl != std::string::npos) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (m_stdout < 0 || left <= 0) {
            return std::nullopt;
        }
        pollfd fd {m_stdout, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        char chunk[512];
        const ssize_t n = read(m_stdout, chunk, sizeof chunk);
        if (n <= 0) {
            return std::nullopt;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

void ChildProcess::WriteLine(const std::string& line)
{
    const std::string text = line + "\n";
    if (m_stdin < 0 || write(m_stdin, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write to the child process");
    }
}

void ChildProcess::CloseStdin()
{
    if (m_stdin >= 0) {
        close(m_stdin);
        m_stdin = -1;
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (m_status || m_pid <= 0) {
        return m_status;
    }
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status;
        }
        if (done < 0 || Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool ChildProcess::Running()
{
    return m_pid > 0 && !Wait(std::chrono::milliseconds(0));
}

void ChildProcess::Stop()
{
    if (m_pid <= 0 || m_status) {
        return;
    }
    kill(m_pid, SIGTERM);
    if (!Wait(std::chrono::seconds(2))) {
        kill(m_pid, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
}

int RunProgram(const std::vector<std::string>& argv,
               const std::vector<std::string>& environment,
               std::chrono::milliseconds timeout)
{
    ChildProcess::Options options;
    options.Environment = environment;
    ChildProcess child(argv, options);
    if (const auto status = child.Wait(timeout)) {
        return *status;
    }
    child.Stop();
    return -1;
}

namespace {

std::string ReadAll(int fd)
{
    std::string text;
    char chunk[4096];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, chunk, sizeof chunk, at);
        if (n <= 0) {
            return text;
        }
        text.append(chunk, static_cast<std::size_t>(n));
        at += n;
    }
}

} // namespace

ProgramOutput RunCapturing(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment,
                           std::chrono::milliseconds timeout)
{
    // Files in memory, not pipes: a program that writes much to both
    // cannot block on the one nobody reads yet.
    const int out = memfd_create("stdout", MFD_CLOEXEC);
    const int err = memfd_create("stderr", MFD_CLOEXEC);
    if (out < 0 || err < 0) {
        throw std::runtime_error(std::string("memfd_create failed: ") + std::strerror(errno));
    }
    ProgramOutput result;
    {
        ChildProcess::Options options;
        options.Environment = environment;
        options.StdoutFd = out;
        options.StderrFd = err;
        ChildProcess child(argv, options);
        result.Status = child.Wait(timeout).value_or(-1);
    }
    result.Out = ReadAll(out);
    result.Err = ReadAll(err);
    close(out);
    close(err);
    return result;
}

} // namespace tally::test

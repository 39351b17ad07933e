#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tally::test {

// A program started for a test, stopped by its process id when the object goes.
class ChildProcess
{
public:
    struct Options
    {
        std::vector<std::string> Environment; // NAME=value entries added to ours
        bool PipeStdin = false;
        bool PipeStdout = false;
        bool Quiet = false; // output (other than a piped stdout) goes to /dev/null
        int PassFd = -1;    // handed to the program as descriptor 3
        int StdoutFd = -1;  // the program's output goes here (unless piped)
        int StderrFd = -1;  // the program's error output goes here
    };

    // Throws std::runtime_error when the program cannot be started.
    ChildProcess(const std::vector<std::string>& argv, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // The next line of its output without the newline; nothing when it ends
    // its output or stays silent for the timeout.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void WriteLine(const std::string& line);
    void CloseStdin();

    // Its exit code (or 128 + signal) once it ended within the timeout.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    bool Running();

    // SIGTERM, then SIGKILL when it does not end within two seconds.
    void Stop();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_buffer;
    std::optional<int> m_status;
};

// Runs a program to its end (killed after the timeout); its exit code, or -1.
int RunProgram(const std::vector<std::string>& argv,
               const std::vector<std::string>& environment,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

struct ProgramOutput
{
    int Status = -1; // as RunProgram gives it
    std::string Out;
    std::string Err;
};

// Runs a program to its end (killed after the timeout) with its output and
// error output kept apart.
ProgramOutput RunCapturing(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment,
                           std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace tally::test

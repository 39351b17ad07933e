// The Windows program end to end under Wine with its X11 graphics driver
// (scripts/windows-tests.sh runs it on a private Xvfb): real windows, real
// input, Wine's Notepad as the window a caption timer watches.
#include "model/time_model.h"
#include "platform/fake/fake_clock.h"
#include "platform/win32/win32_file_system.h"
#include "runlog/brisvale_log.h"
#include "storage/data_file.h"
#include "support/temp_dir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tally::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kSkinWidth = 465;
constexpr int kSkinHeight = 329;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 30s)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// A started program; killed with the object if it still runs.
class Process
{
public:
    explicit Process(std::string commandLine)
    {
        STARTUPINFOA startup {};
        startup.cb = sizeof startup;
        if (::CreateProcessA(
                nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info)) {
            ::CloseHandle(m_info.hThread);
        }
    }
    ~Process()
    {
        if (m_info.hProcess != nullptr) {
            if (Running()) {
                ::TerminateProcess(m_info.hProcess, 99);
                ::WaitForSingleObject(m_info.hProcess, 10000);
            }
            ::CloseHandle(m_info.hProcess);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool Running() const { return ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or -1 when it still runs after the timeout.
    long Wait(DWORD milliseconds) const
    {
        DWORD code = 0;
        if (::WaitForSingleObject(m_info.hProcess, milliseconds) != WAIT_OBJECT_0
            || !::GetExitCodeProcess(m_info.hProcess, &code)) {
            return -1;
        }
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION m_info {};
};

// The process's visible top-level windows whose caption holds the text.
std::vector<HWND> WindowsOf(DWORD process, const std::string& caption, bool visibleOnly = true)
{
    struct Search
    {
        DWORD Process;
        std::string Caption;
        bool VisibleOnly;
        std::vector<HWND> Found;
    } search {process, caption, visibleOnly, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            char text[256] = {};
            ::GetWindowTextA(window, text, sizeof text);
            if (owner == s.Process && std::string(text).find(s.Caption) != std::string::npos
                && (!s.VisibleOnly || ::IsWindowVisible(window))) {
                s.Found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

RECT Rect(HWND window)
{
    RECT rect {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// The skinned main window: its caption and the skin's size.
HWND MainWindow(DWORD process)
{
    for (HWND window : WindowsOf(process, "Tallyhour Zide")) {
        const RECT r = Rect(window);
        if (r.right - r.left == kSkinWidth && r.bottom - r.top == kSkinHeight) {
            return window;
        }
    }
    return nullptr;
}

// A left click at a point of the window, as the user's mouse would.
void Click(HWND window, int x, int y)
{
    const RECT r = Rect(window);
    ::SetCursorPos(r.left + x, r.top + y);
    std::this_thread::sleep_for(150ms);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &inputs[0], sizeof(INPUT));
    std::this_thread::sleep_for(80ms);
    ::SendInput(1, &inputs[1], sizeof(INPUT));
    std::this_thread::sleep_for(300ms);
}

bool BringToFront(HWND window)
{
    return WaitUntil(
        [&] {
            ::SetForegroundWindow(window);
            return ::GetForegroundWindow() == window;
        },
        10s);
}

// The screen's pixels under the window as a 24-bit BMP (the test script
// turns these into PNGs).
bool SaveBitmap(HWND window, const fs::path& file)
{
    const RECT r = Rect(window);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    ::SelectObject(memory, old);

    BITMAPINFOHEADER info {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    const bool read
        = copied
          && ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)
                 == height;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!read) {
        return false;
    }
    BITMAPFILEHEADER header {};
    header.bfType = 0x4d42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

class WineProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The data folder named in the environment, the started programs inherit it.
        ::SetEnvironmentVariableA("TALLYHOUR_DATA_DIR", dir.Path().string().c_str());
        ::SetEnvironmentVariableA("TALLYHOUR_PROBE_URL", "http://127.0.0.1:9/");
        // The program draws on Wine's desktop, not off the screen as the shell's tests do.
        ::SetEnvironmentVariableA("QT_QPA_PLATFORM", nullptr);
        WriteFile(dir.File("tallyhourlite.ini"),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n");
        fs::create_directories(artifacts);
    }

    // A Windows path of the build's folder (Wine's drive Z: is the Unix root):
    // Qt finds its plugins beside a program named so.
    static fs::path ProgramFolder() { return fs::path(std::string("Z:") + TALLY_PROGRAM_DIR).make_preferred(); }
    static std::string ProgramCommand() { return "\"" + (ProgramFolder() / "tallyhour-zide.exe").string() + "\""; }

    std::string Log() const
    {
        const fs::path log = dir.Path() / "log.txt";
        return fs::exists(log) ? ReadFile(log.string()) : std::string();
    }
    bool LogHas(const std::string& text, std::chrono::milliseconds timeout = 30s) const
    {
        return WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeout);
    }

    DataFilePaths Paths() const { return DataFilePaths::InDirectory(dir.Path()); }
    void Save(TimeModel& model)
    {
        DataFile data(model, quietLog, clock, files, Paths());
        data.Save(data.Paths().DataFile);
    }
    void Load(TimeModel& model)
    {
        DataFile data(model, quietLog, clock, files, Paths());
        ASSERT_EQ(data.Load(data.Paths().DataFile).State, LoadResult::Status::Loaded);
    }

    // A logoff as Windows does it: every top-level window of the program is
    // asked, then told; the process is ended after that if it still runs.
    void LogOff(Process& program)
    {
        for (UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
            for (HWND window : WindowsOf(program.Id(), "", false)) {
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutA(window,
                                      message,
                                      message == WM_ENDSESSION ? TRUE : 0,
                                      ENDSESSION_LOGOFF,
                                      SMTO_ABORTIFHUNG,
                                      10000,
                                      &answer);
            }
        }
        program.Wait(10000);
    }

    TempDir dir;
    fs::path artifacts = TALLY_WINE_ARTIFACT_DIR;
    FakeClock clock;
    TBrisvaleLog quietLog {clock};
    Win32FileSystem files;
};

TEST_F(WineProgramTest, WindowsTrayTimersAndLogoff)
{
    {
        TimeModel model;
        TMyTimer& manual = model.Timers.Create();
        manual.Name = "By hand";
        TMyTimer& caption = model.Timers.Create();
        caption.Name = "Notepad caption";
        caption.TimerType = ttCaption;
        caption.Identifiers = {"notepad"}; // any case, part of the caption
        caption.SetEnabled(true);
        Save(model);
    }
    Process program(ProgramCommand());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowA("TForm1", nullptr) != nullptr; }, 60s))
        << ProgramCommand() << " ended with " << program.Wait(0);
    ASSERT_TRUE(LogHas("Init->"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = MainWindow(program.Id())) != nullptr; }, 60s));

    // A second start finds the first by its window and ends at once.
    {
        Process second(ProgramCommand());
        EXPECT_EQ(second.Wait(20000), 0);
        EXPECT_TRUE(program.Running());
    }
    // The tray icon: Qt's notification-area window of the program.
    EXPECT_TRUE(WaitUntil([&] { return !WindowsOf(program.Id(), "QTrayIconMessageWindow", false).empty(); }));

    // The manual timer: selected in the list, started and stopped with the
    // buttons under it.
    ASSERT_TRUE(BringToFront(main));
    Click(main, 22 + 50, 94 + 20);
    Click(main, 22, 304);
    ASSERT_TRUE(LogHas("actStartTimerExecute->", 10s));
    std::this_thread::sleep_for(4s);
    Click(main, 41, 304);
    EXPECT_TRUE(LogHas("actStopTimerExecute->", 10s));

    // Notepad in front, then the program's window in front of it.
    Process notepad("notepad.exe");
    ASSERT_TRUE(notepad.Started());
    HWND pad = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const auto found = WindowsOf(notepad.Id(), "Notepad");
        return (pad = found.empty() ? nullptr : found[0]) != nullptr;
    }));
    ASSERT_TRUE(BringToFront(pad));
    std::this_thread::sleep_for(5s);
    ASSERT_TRUE(BringToFront(main));
    std::this_thread::sleep_for(5s);

    // The main and the statistics window, for a look by eye, with the
    // manual timer selected.
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(SaveBitmap(main, artifacts / "main_window.bmp"));
    HWND stat = nullptr;
    for (int attempt = 0; attempt < 3 && stat == nullptr; ++attempt) {
        Click(main, 448, 296);
        WaitUntil(
            [&] {
                const auto found = WindowsOf(program.Id(), "Statistic");
                return (stat = found.empty() ? nullptr : found[0]) != nullptr;
            },
            10s);
    }
    ASSERT_NE(stat, nullptr);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(SaveBitmap(stat, artifacts / "statistics_window.bmp"));

    LogOff(program);
    EXPECT_TRUE(LogHas("SaveForSession->", 1s));

    TimeModel model;
    ASSERT_NO_FATAL_FAILURE(Load(model));
    ASSERT_EQ(model.Timers.Count(), 2u);
    const TMyTimer& manual = *model.Timers.begin();
    const TMyTimer& caption = *std::next(model.Timers.begin());
    EXPECT_EQ(manual.Name, "By hand");
    EXPECT_GE(manual.ActivePeriods.Count(), 1u);
    EXPECT_GT(manual.ActiveTime, 2 * kOneSecond);
    EXPECT_LT(manual.ActiveTime, 30 * kOneSecond);
    EXPECT_GE(caption.ActivePeriods.Count(), 1u);
    EXPECT_GE(caption.BackgroundPeriods.Count(), 1u);
    EXPECT_GT(caption.ActiveTime, 2 * kOneSecond);
    EXPECT_GT(caption.BackgroundTime, 2 * kOneSecond);

    // What the Linux data tool is to find in the same file (the test script
    // compares its dump with this).
    fs::copy_file(Paths().DataFile, artifacts / "timers.dat", fs::copy_options::overwrite_existing);
    std::ofstream expected(artifacts / "timers.expected");
    for (const TMyTimer& timer : model.Timers) {
        expected << timer.Name << '\t' << timer.ActivePeriods.Count() << '\t' << timer.BackgroundPeriods.Count()
                 << '\n';
    }
}

// A data file the Linux program wrote (the test script names it) loads, and
// the program saves the same timers back at logoff.
TEST_F(WineProgramTest, LoadsAFileWrittenOnLinux)
{
    const char* linuxFile = std::getenv("TALLY_LINUX_DATA_FILE");
    if (linuxFile == nullptr || !fs::exists(linuxFile)) {
        GTEST_SKIP() << "no data file written on Linux named in TALLY_LINUX_DATA_FILE";
    }
    fs::copy_file(linuxFile, Paths().DataFile);
    TimeModel before;
    ASSERT_NO_FATAL_FAILURE(Load(before));
    ASSERT_GT(before.Timers.Count(), 0u);

    Process program(ProgramCommand());
    ASSERT_TRUE(WaitUntil([&] { return MainWindow(program.Id()) != nullptr; }, 60s));
    LogOff(program);
    EXPECT_TRUE(LogHas("SaveForSession->", 1s));
    EXPECT_EQ(Log().find("Invalid data file"), std::string::npos);

    TimeModel after;
    ASSERT_NO_FATAL_FAILURE(Load(after));
    ASSERT_EQ(after.Timers.Count(), before.Timers.Count());
    auto a = after.Timers.begin();
    for (const TMyTimer& timer : before.Timers) {
        EXPECT_EQ(a->Name, timer.Name);
        EXPECT_EQ(a->ActivePeriods.Count(), timer.ActivePeriods.Count());
        EXPECT_EQ(a->BackgroundPeriods.Count(), timer.BackgroundPeriods.Count());
        EXPECT_NEAR(a->ActiveTime, timer.ActiveTime, kOneSecond);
        ++a;
    }
}

} // namespace
} // namespace tally::test

#include "engine_fixture.h"
#include "support/temp_dir.h"

namespace tally::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(EngineTest, TickWritesItsEntryAndExitLinesAndSkipsSilently)
{
    lines.clear();
    engine.TimUpdateTimer();
    EXPECT_EQ(lines, Lines({"1 TimUpdateTimer->", "9 Mouse->", "9 Mouse-<", "1 Update-<"}));

    AddTimer(ttManual);
    lines.clear();
    engine.TimUpdateTimer();
    EXPECT_EQ(lines, Lines({"1 TimUpdateTimer->", "1 TimerTargetOk->", "9 Mouse->", "9 Mouse-<", "1 Update-<"}));

    session.SetLocked(true);
    lines.clear();
    engine.TimUpdateTimer();
    engine.TimTBarTimer();
    EXPECT_EQ(lines, Lines({"1 TimUpdateTimer->", "3 TimTBarTimer->"}));
}

TEST_F(EngineTest, LinesReachTheRunLogUpToItsDetailLevel)
{
    TempDir dir;
    const std::string path = dir.File("log.txt");
    log.SetLogFileName(path);
    log.SetInsertTime(false);
    log.SetActive(true);
    log.SetLogDetail(1);
    AddTimer(ttManual);
    engine.TimUpdateTimer();
    engine.TimTBarTimer();
    session.SendPower(PowerEvent::Suspend);
    EXPECT_EQ(ReadFile(path),
              "Tallyhour Zide run log\r\n\r\n"
              "TimUpdateTimer->\r\nTimerTargetOk->\r\nUpdate-<\r\n"
              "sleep->\r\nTimerTargetOk->\r\nAddToAllTimersOffEvents->\r\n");
}

// A log told to report its failures must still not cut a tick short.
TEST_F(EngineTest, UnwritableRunLogDoesNotStopTheTick)
{
    TempDir dir;
    log.SetLogFileName(dir.File("missing/log.txt"));
    log.SetRaiseFileError(true);
    log.SetActive(true);
    log.SetLogDetail(9);
    ASSERT_THROW(log.WriteLine(0, "probe"), RunLogFileError);
    desktop.SetFailing(FakeDesktop::Op::Foreground);
    desktop.AddWindow(100, "Editor", "ed");
    TMyTimer& first = AddTimer(ttCaption, {"editor"});
    TMyTimer& second = AddTimer(ttManual);
    const int& hides = observer.hintHides;
    observer.windowRect = [] { return ScreenRect {0, 0, 10, 10}; };
    desktop.SetCursor({50, 50});
    Tick();
    EXPECT_NE(first.BackgroundStart, kNoPeriod);
    EXPECT_NE(second.ActiveStart, kNoPeriod);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(hides, 1);
    EXPECT_EQ(lines.back(), "1 Update-<");
}

} // namespace
} // namespace tally::test

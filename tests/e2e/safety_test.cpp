#include "program_fixture.h"

#include <thread>

namespace tally::test {
namespace {

namespace fs = std::filesystem;

// Four timers in the data file, as a user who has used the program a while.
class SafetyTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        TimeModel model;
        for (const char* name : {"Writing", "Mail", "Reading", "Calls"}) {
            TMyTimer& timer = model.Timers.Create();
            timer.Name = name;
            timer.SetEnabled(true);
        }
        SaveData(model);
    }

    void ExpectFourTimers()
    {
        TimeModel model;
        ASSERT_NO_FATAL_FAILURE(LoadData(model));
        ASSERT_EQ(model.Timers.Count(), 4u);
        EXPECT_EQ(model.Timers[3].Name, "Calls");
    }

    // A message box of the program's own (smaller than the skin) is up.
    bool MessageBoxShown(std::chrono::milliseconds timeout = 60s)
    {
        return XRig::WaitUntil(
            [&] {
                for (const WindowInfo& w : rig->FindWindows(kTitle)) {
                    if (w.Viewable && w.Width > 64 && w.Width != kSkinWidth) {
                        return true;
                    }
                }
                return false;
            },
            timeout);
    }
};

TEST_F(SafetyTest, SessionEndWithTheTimerDialogOpenKeepsEveryTimer)
{
    WriteSettings("FirstLaunch=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("FirstLaunch"));
    ASSERT_TRUE(ClickNewTimerButton(*rig, [&] { return LogHas("actNewTimerExecute->", 20s); }));
    ASSERT_TRUE(XRig::WaitUntil([&] { return !rig->FindWindows("New timer").empty(); }, 30s));

    EXPECT_EQ(Terminate(*program), 0);
    ExpectFourTimers();
    // Nothing saved once the lists were released.
    const std::string log = Log();
    EXPECT_EQ(log.find("SafeSave->", log.rfind("Clear->")), std::string::npos) << log;
}

TEST_F(SafetyTest, SessionEndDuringTheSplashEndsTheProgramWithItsTimers)
{
    WriteSettings("SplashOn=1\n");
    auto program = StartProgram();
    ASSERT_TRUE(LogHas("SetAutoSave->"));
    std::this_thread::sleep_for(500ms);
    ::kill(program->Pid(), SIGTERM);
    // Before the splash's three seconds are up, and for good.
    EXPECT_EQ(program->Wait(20s), 0);
    ExpectFourTimers();
    EXPECT_EQ(Log().find("Update->"), std::string::npos);
}

TEST_F(SafetyTest, SettingsThatCannotBeWrittenLeaveTheProgramRunning)
{
    // A folder in the settings file's place: no user, root included, can
    // write it; and with no settings read, this is a first launch.
    fs::remove(dir.File("tallyhourlite.ini"));
    fs::create_directory(dir.File("tallyhourlite.ini"));
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 60s));
    EXPECT_EQ(Terminate(*program), 0);
    ExpectFourTimers();
}

TEST_F(SafetyTest, DataThatCannotBeReadEndsTheProgramAndStaysAsItWas)
{
    // A folder where the data file should be: not damage, so nothing is
    // copied aside, and no empty list may take its place.
    fs::remove(dir.File("timers.dat"));
    fs::create_directory(dir.File("timers.dat"));
    WriteFile(dir.File("timers.dat") + "/inside", "kept");
    auto program = StartProgram();
    ASSERT_TRUE(MessageBoxShown());
    EXPECT_NE(Log().find("The data file cannot be read"), std::string::npos);
    // Closing the message (here by the session's end) ends the program with
    // a failure status.
    EXPECT_EQ(Terminate(*program), 1);
    EXPECT_EQ(ReadFile(dir.File("timers.dat") + "/inside"), "kept");
    EXPECT_EQ(Log().find("SafeSave->"), std::string::npos);
}

TEST_F(SafetyTest, ADataFolderThatCannotBeMadeEndsTheProgramWithAMessage)
{
    WriteFile(dir.File("plain"), "a file, not a folder");
    ChildProcess::Options options;
    options.Environment = Environment();
    std::erase_if(options.Environment, [](const std::string& v) { return v.starts_with("TALLYHOUR_DATA_DIR="); });
    options.Environment.push_back("TALLYHOUR_DATA_DIR=" + dir.File("plain") + "/data");
    options.Quiet = true;
    ChildProcess program({Program()}, options);
    ASSERT_TRUE(MessageBoxShown());
    EXPECT_EQ(Terminate(program), 1);
    EXPECT_EQ(ReadFile(dir.File("plain")), "a file, not a folder");
}

} // namespace
} // namespace tally::test

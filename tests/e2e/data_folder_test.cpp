#include "program_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>

namespace tally::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A program started from a folder of its own that holds nothing else, as a
// build tree or an unpacked archive does: its data must outlive that folder.
class DataFolderTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        dataDir = dir.Path() / "share" / "tallyhour-zide";
        // A user who ran the program before: quiet, logging, the window
        // open on start so that its "+" button can be clicked.
        fs::create_directories(dataDir);
        WriteFile((dataDir / "tallyhourlite.ini").string(),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nFirstLaunch=1\nAutoRun=0\nSoundOn=0\n");
    }

    void TearDown() override
    {
        if (HasFailure()) {
            std::cout << "---- run log ----\n" << Log() << "---- end of run log ----\n";
        }
    }

    // Files beside PROGRAM other than it and its parts.
    static long WrittenBeside(const fs::path& program)
    {
        long count = 0;
        for (const auto& entry : fs::directory_iterator(program.parent_path())) {
            count += entry.path().filename().string().starts_with("tallyhour-zide") ? 0 : 1;
        }
        return count;
    }

    // A fresh copy of the built program in a new folder.
    fs::path CopyProgram(const std::string& folder) const
    {
        const fs::path program = dir.Path() / folder / "tallyhour-zide";
        fs::create_directories(program.parent_path());
        CopyBuiltProgram(program);
        return program;
    }
};

TEST_F(DataFolderTest, ATimerOutlivesTheFolderTheProgramRanFrom)
{
    const fs::path first = CopyProgram("first");
    {
        auto program = StartProgram(first.string());
        ASSERT_TRUE(LogHas("FirstLaunch"));
        ASSERT_TRUE(ClickNewTimerButton(*rig, [&] { return LogHas("actNewTimerExecute->"); }));
        // The name field has the focus; "Ok" is the default button.
        ASSERT_EQ(Xdo({"search", "--sync", "--onlyvisible", "--name", "^New timer$", "windowactivate", "--sync", "%1"}),
                  0);
        // It holds a proposed name: replace it.
        ASSERT_EQ(Xdo({"key", "ctrl+a"}), 0);
        ASSERT_EQ(Xdo({"type", "--delay", "80", "Wombat survey"}), 0);
        ASSERT_EQ(Xdo({"key", "Return"}), 0);
        ASSERT_TRUE(LogHas("FormNewTimerRelease-<"));
        ASSERT_EQ(Terminate(*program), 0);
    }
    // Nothing was written beside the program and its parts.
    EXPECT_EQ(WrittenBeside(first), 0);
    fs::remove_all(first.parent_path());

    {
        auto program = StartProgram(CopyProgram("second").string());
        ASSERT_TRUE(XRig::WaitUntil([&] { return Count(Log(), "Init->") >= 2; }, 60s));
        ASSERT_EQ(Terminate(*program), 0);
    }
    EXPECT_NE(Log().find("Installpath:" + (dataDir / "").string()), std::string::npos);

    // The second run read the timer and saved it again at its end.
    TimeModel model;
    LoadData(model);
    ASSERT_EQ(model.Timers.Count(), 1u);
    EXPECT_EQ(model.Timers[0].Name, "Wombat survey");
    EXPECT_EQ(WrittenBeside(dir.Path() / "second" / "tallyhour-zide"), 0);
}

} // namespace
} // namespace tally::test

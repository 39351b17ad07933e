#pragma once

#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "runlog/brisvale_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace tally::test {

inline const std::string kCaption = "Tallyhour Zide run log\r\n\r\n";

// An active log on log.txt in a fresh folder; the clock reads 5 March 2024
// 14:03:27, written 03/05/24 and 14:03:27 in the tests' C locale.
class RunLogTest : public ::testing::Test
{
protected:
    RunLogTest()
    {
        log.SetLogFileName(path);
        log.SetActive(true);
    }

    std::string Content() const { return ReadFile(path); }

    TempDir dir;
    FakeClock clock {EncodeDateTime(2024, 3, 5, 14, 3, 27)};
    TBrisvaleLog log {clock};
    std::string path = dir.File("log.txt");
};

} // namespace tally::test

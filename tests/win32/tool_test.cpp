// The census tool run as a program of its own, listing a window of ours.
#include "platform/win32/version_info.h"
#include "win32_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tally {
namespace {

std::string RunTool(const std::string& command)
{
    std::string output;
    FILE* pipe = ::_popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, got);
    }
    ::_pclose(pipe);
    return output;
}

TEST(CensusTool, ListsOurWindowWithCaptionAndExecutable)
{
    test::TestWindow window {"Tally tool window", true};
    std::string folder = ProgramFilePath();
    folder.resize(folder.find_last_of('\\') + 1);
    const std::string output = RunTool("\"" + folder + "tallyhour-windows.exe\"");

    EXPECT_NE(output.find("Version: 1.1.0.363"), std::string::npos) << output;
    // The row in the listing, not the foreground line above it.
    const auto line = output.find("\"Tally tool window\"", output.find("Top-level windows"));
    ASSERT_NE(line, std::string::npos) << output;
    const std::string row = output.substr(output.rfind('\n', line) + 1, line - output.rfind('\n', line) - 1);
    EXPECT_NE(row.find("visible"), std::string::npos) << row;
    EXPECT_NE(row.find("tests_win32.exe"), std::string::npos) << row;
    EXPECT_NE(output.find("Desktop locked: no"), std::string::npos) << output;
}

} // namespace
} // namespace tally

#include "storage_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

namespace tally::test {
namespace {

namespace fs = std::filesystem;

struct FixtureFile
{
    std::string Path; // below tests/data
    std::string Bytes;
};

// Every binary fixture, built by the hand-written layout helpers. The tool
// tests and the fuzzers' seed corpora use the files; this test keeps them
// equal to what the helpers build. TALLY_WRITE_FIXTURES=1 rewrites them.
std::vector<FixtureFile> AllFixtures()
{
    const LegacyMarkers all {true, true, true};
    std::vector<FixtureFile> files = {
        {"storage/current_rich.dat", CurrentImage(RichModel())},
        {"storage/current_empty.dat", CurrentImage(TimeModel())},
        {"storage/legacy_rich.dat", LegacyImage(RichModel(), {})},
        {"storage/legacy_all_markers/timers.dat", LegacyImage(RichModel(), all)},
        {"storage/legacy_all_markers/loadatime.txt", ""},
        {"storage/legacy_all_markers/notloadprojectid.txt", ""},
        {"storage/legacy_all_markers/notloadprojects.txt", ""},
        {"fuzz/load_fuzz/current_rich.dat", CurrentImage(RichModel())},
        {"fuzz/load_fuzz/current_empty.dat", CurrentImage(TimeModel())},
        {"fuzz/load_fuzz/legacy_rich.dat", LegacyImage(RichModel(), {})},
    };
    // The older-layout fuzzer takes its markers from the first byte.
    for (const LegacyMarkers& markers : AllMarkerCombinations()) {
        const auto bits = static_cast<char>((markers.LoadATime ? 1 : 0) | (markers.NotLoadProjectId ? 2 : 0)
                                            | (markers.NotLoadProjects ? 4 : 0));
        std::string path = "fuzz/load_old_fuzz/markers_";
        path.append(std::to_string(static_cast<int>(bits))).append(".dat");
        std::string image(1, bits);
        image.append(LegacyImage(RichModel(), markers));
        files.push_back({std::move(path), std::move(image)});
    }
    return files;
}

TEST(FixtureFiles, MatchTheBytesTheirHelpersBuild)
{
    const fs::path root = TALLY_TEST_DATA_DIR;
    const bool write = std::getenv("TALLY_WRITE_FIXTURES") != nullptr;
    for (const FixtureFile& file : AllFixtures()) {
        const fs::path path = root / file.Path;
        if (write) {
            fs::create_directories(path.parent_path());
            WriteFile(path.string(), file.Bytes);
            continue;
        }
        ASSERT_TRUE(fs::exists(path)) << path << " is missing; run with TALLY_WRITE_FIXTURES=1";
        EXPECT_EQ(ReadFile(path.string()), file.Bytes) << path;
    }
}

} // namespace
} // namespace tally::test

#include "program_fixture.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace tally::test {
namespace {

// Raw 8-bit RGB pixels of a picture file, through ImageMagick; empty on failure.
std::vector<std::uint8_t> RgbPixels(const std::string& picture, const std::string& crop, const std::string& rawFile)
{
    std::vector<std::string> argv {"convert", picture};
    if (!crop.empty()) {
        argv.insert(argv.end(), {"-crop", crop, "+repage"});
    }
    argv.insert(argv.end(), {"-depth", "8", "rgb:" + rawFile});
    if (RunProgram(argv, {}, 30s) != 0) {
        return {};
    }
    std::ifstream in(rawFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Rect
{
    int X, Y, W, H;
    bool Holds(int x, int y) const { return x >= X - 2 && x < X + W + 2 && y >= Y - 2 && y < Y + H + 2; }
};

// Parts of the window drawn over the skin: the timer list and the buttons.
const Rect kDrawnOver[] = {{22, 94, 419, 179},
                           {9, 61, 35, 14},
                           {13, 295, 18, 18},
                           {32, 295, 18, 18},
                           {60, 295, 18, 18},
                           {79, 295, 18, 18},
                           {439, 287, 18, 18},
                           {384, 19, 14, 13},
                           {426, 19, 14, 13},
                           {440, 19, 14, 13}};

struct SkinMatch
{
    int Compared = 0;
    int Equal = 0;
};

// Compares a grid of the skin's pixels (outside the cut-out key colour and
// the parts drawn over it) with the window's pixels on the screenshot.
SkinMatch CompareWithSkin(const std::vector<std::uint8_t>& window, const std::vector<std::uint8_t>& skin, int width)
{
    SkinMatch match;
    if (window.size() != skin.size() || skin.empty()) {
        return match;
    }
    const int height = static_cast<int>(skin.size() / 3 / static_cast<std::size_t>(width));
    for (int y = 1; y < height; y += 6) {
        for (int x = 1; x < width; x += 6) {
            const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
            const bool key = skin[at] == 8 && skin[at + 1] == 9 && skin[at + 2] == 13;
            const bool drawnOver = std::any_of(
                std::begin(kDrawnOver), std::end(kDrawnOver), [&](const Rect& r) { return r.Holds(x, y); });
            if (key || drawnOver) {
                continue;
            }
            ++match.Compared;
            bool equal = true;
            for (int c = 0; c < 3; ++c) {
                equal = equal && std::abs(int(window[at + c]) - int(skin[at + c])) <= 4;
            }
            match.Equal += equal ? 1 : 0;
        }
    }
    return match;
}

TEST_F(ProgramTest, FirstLaunchOpensTheWindowLaterOnesStayInTheTray)
{
    std::filesystem::remove(dir.File("tallyhourlite.ini"));
    {
        // No settings: the loading window shows first, then the main window.
        auto program = StartProgram();
        EXPECT_TRUE(XRig::WaitUntil([&] { return MainWindow() && TrayIcon(); }, 40s));
        EXPECT_EQ(Terminate(*program), 0);
    }
    EXPECT_NE(ReadFile(dir.File("tallyhourlite.ini")).find("FirstLaunch=0"), std::string::npos);
    // Starting with the session is on by default, for the program where it lies.
    const auto entry = dir.Path() / "config" / "autostart" / "tallyhour-zide.desktop";
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_NE(ReadFile(entry.string()).find("Exec=\"" + Program() + "\""), std::string::npos);

    auto program = StartProgram();
    // The tray icon shows in the step that opens the window on a first launch.
    ASSERT_TRUE(XRig::WaitUntil([&] { return TrayIcon().has_value(); }, 40s));
    EXPECT_FALSE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 2s));
    EXPECT_EQ(Terminate(*program), 0);
}

TEST_F(ProgramTest, TrayIconOpensTheSkinnedWindow)
{
    {
        TimeModel model;
        for (const char* name : {"Writing", "Reading", "Meetings"}) {
            model.Timers.Create().Name = name;
        }
        SaveData(model);
    }
    auto program = StartProgram();
    ASSERT_TRUE(XRig::WaitUntil([&] { return TrayIcon().has_value(); }, 30s));
    EXPECT_FALSE(MainWindow().has_value());

    const WindowInfo icon = *TrayIcon();
    ASSERT_EQ(rig->Xdotool({"mousemove",
                            std::to_string(icon.X + icon.Width / 2),
                            std::to_string(icon.Y + icon.Height / 2),
                            "click",
                            "1"}),
              0);
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 20s));
    EXPECT_TRUE(LogHas("TIconClick->"));
    EXPECT_TRUE(LogHas("actOpenExecute->"));

    // The screenshot stays in the build folder for a look by eye.
    const auto artifacts = std::filesystem::path(TALLY_E2E_ARTIFACT_DIR);
    std::filesystem::create_directories(artifacts);
    const std::string shot = (artifacts / "tray_opens_window.png").string();
    const std::vector<std::uint8_t> skin = RgbPixels(TALLY_SKIN_PICTURE, "", dir.File("skin.rgb"));
    ASSERT_EQ(skin.size(), std::size_t {kSkinWidth} * kSkinHeight * 3);

    // The window may take a moment to paint after it is mapped.
    SkinMatch match;
    XRig::WaitUntil(
        [&] {
            const auto window = MainWindow();
            if (!window || rig->Screenshot(shot) != 0) {
                return false;
            }
            const std::string crop = std::to_string(kSkinWidth) + "x" + std::to_string(kSkinHeight) + "+"
                                     + std::to_string(window->X) + "+" + std::to_string(window->Y);
            match = CompareWithSkin(RgbPixels(shot, crop, dir.File("window.rgb")), skin, kSkinWidth);
            return match.Compared > 0 && match.Equal == match.Compared;
        },
        20s);
    EXPECT_GT(match.Compared, 1000);
    EXPECT_EQ(match.Equal, match.Compared) << "see " << shot;
    EXPECT_EQ(Terminate(*program), 0);
}

} // namespace
} // namespace tally::test

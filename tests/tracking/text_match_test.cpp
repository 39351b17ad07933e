#include "engine_fixture.h"
#include "support/environment.h"
#include "tracking/text_match.h"

namespace tally::test {
namespace {

TEST(LowerCase, FoldsNonAsciiLettersByTheUsersLocale)
{
    ScopedLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.Ok());
    EXPECT_EQ(LowerCase("ÄRGER"), "ärger");
    EXPECT_EQ(LowerCase("Öl ÜBER Straße 12"), "öl über straße 12");
    EXPECT_EQ(LowerCase("ΣΟΦΊΑ"), "σοφία");
    // The Kelvin sign folds to a one-byte letter: lengths may change.
    EXPECT_EQ(LowerCase("\u212A"), "k");
}

// The folding follows the locale in force at each call, also for plain
// ASCII letters, which a locale may fold out of the ASCII range.
TEST(LowerCase, FollowsTheLocaleAsItChanges)
{
    {
        ScopedLocale locale("tr_TR.UTF-8");
        ASSERT_TRUE(locale.Ok());
        EXPECT_EQ(LowerCase("KAPI"), "kap\u0131");
        EXPECT_EQ(LowerCase("\u0130stanbul"), "istanbul");
    }
    {
        ScopedLocale locale("de_DE.UTF-8");
        ASSERT_TRUE(locale.Ok());
        EXPECT_EQ(LowerCase("KAPI"), "kapi");
    }
    ScopedLocale locale("tr_TR.UTF-8");
    ASSERT_TRUE(locale.Ok());
    EXPECT_EQ(LowerCase("I"), "\u0131");
}

TEST(LowerCase, KeepsBytesThatAreNotUtf8)
{
    ScopedLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.Ok());
    // A stray continuation byte, a lead byte without its tail, a latin-1
    // byte, an overlong form, an encoded surrogate, a cut-off sequence.
    EXPECT_EQ(LowerCase("A\x80"
                        "B"),
              "a\x80"
              "b");
    EXPECT_EQ(LowerCase("\xC3(X"), "\xC3(x");
    EXPECT_EQ(LowerCase("\xC4RGER"), "\xC4rger");
    EXPECT_EQ(LowerCase("\xC0\x81"
                        "A"),
              "\xC0\x81"
              "a");
    EXPECT_EQ(LowerCase("\xED\xA0\x80Z"), "\xED\xA0\x80z");
    EXPECT_EQ(LowerCase("Q\xE2\x82"), "q\xE2\x82");
    EXPECT_EQ(LowerCase(std::string_view("N\0M", 3)), std::string("n\0m", 3));
    EXPECT_EQ(LowerCase(""), "");
}

TEST(FileNamePart, TakesTheTextAfterTheLastDelimiter)
{
    EXPECT_EQ(FileNamePart("C:\\Tools\\Editor.EXE"), "Editor.EXE");
    EXPECT_EQ(FileNamePart("/usr/lib/app/bin/editor"), "editor");
    EXPECT_EQ(FileNamePart("C:editor.exe"), "editor.exe");
    EXPECT_EQ(FileNamePart("mixed/dir\\name"), "name");
    EXPECT_EQ(FileNamePart("plain.exe"), "plain.exe");
}

TEST_F(EngineTest, TimersMatchNonAsciiNamesWhateverTheirCase)
{
    ScopedLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.Ok());
    desktop.AddWindow(100, "Notizen", "notes");
    desktop.AddWindow(200, "ärger im Büro", "ÄRGER.EXE");
    desktop.SetForeground(200);
    TMyTimer& caption = AddTimer(ttCaption, {"ÄRGER"});
    TMyTimer& captionInner = AddTimer(ttCaption, {"IM BÜRO"});
    TMyTimer& app = AddTimer(ttApplication, {"C:\\Programme\\Ärger.exe"});
    Tick();
    for (const TMyTimer* timer : {&caption, &captionInner, &app}) {
        EXPECT_FALSE(timer->Suspended);
        EXPECT_NE(timer->ActiveStart, kNoPeriod);
    }
}

} // namespace
} // namespace tally::test

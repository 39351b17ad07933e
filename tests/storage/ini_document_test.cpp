#include "storage/ini_document.h"

#include "support/environment.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tally {
namespace {

TEST(IniDocument, ReadsKeysWhateverTheirCaseTrimmedAndUnquoted)
{
    const IniDocument doc("top=outside any section\r\n"
                          "  [ Main ]  ; trailing text\r\n"
                          "  AutoRun =  0  \r\n"
                          "; SoundOn=0\r\n"
                          "# ShowHints=0\r\n"
                          "a line that is no key\r\n"
                          "Proxy=\"host:8080\"\r\n"
                          "Quote='x\"\r\n"
                          "Empty=\r\n"
                          "=no name\r\n"
                          "IdleInterval=60\r\n"
                          "idleinterval=90\r\n"
                          "[view]\r\n"
                          "AutoRun=5\r\n"
                          "[MAIN]\r\n"
                          "LogDetail=3");
    EXPECT_EQ(doc.Get("main", "autorun"), "0");
    EXPECT_EQ(doc.Get("MAIN", "AUTORUN"), "0");
    EXPECT_EQ(doc.Get("view", "AutoRun"), "5");
    EXPECT_EQ(doc.Get("main", "SoundOn"), std::nullopt);
    EXPECT_EQ(doc.Get("main", "ShowHints"), std::nullopt);
    EXPECT_EQ(doc.Get("main", "Proxy"), "host:8080");
    EXPECT_EQ(doc.Get("main", "Quote"), "'x\"");
    EXPECT_EQ(doc.Get("main", "Empty"), "");
    EXPECT_EQ(doc.Get("main", "IdleInterval"), "60"); // the first one wins
    EXPECT_EQ(doc.Get("main", "LogDetail"), "3");     // a repeated section adds to the first
    EXPECT_EQ(doc.Get("main", "top"), std::nullopt);
    EXPECT_EQ(doc.Get("main", "a line that is no key"), std::nullopt);
    EXPECT_EQ(doc.Get("Statistic", "AutoRun"), std::nullopt);
}

TEST(IniDocument, ByteOrderMarkDoesNotHideTheFirstSection)
{
    const std::string text = "\xEF\xBB\xBF[main]\nFirstLaunch=0\n";
    IniDocument doc(text);
    EXPECT_EQ(doc.Get("main", "FirstLaunch"), "0");
    doc.Set("main", "FirstLaunch", "1");
    EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[main]\nFirstLaunch=1\n");
}

TEST(IniDocument, WritesChangeOnlyTheirLine)
{
    const std::string before = "; my settings\r\n"
                               "[Main]\r\n"
                               "  autorun = 1   ; not a comment here\r\n"
                               "junk without equals\r\n"
                               "\r\n"
                               "; statistics follow\r\n"
                               "[Statistic]\r\n"
                               "TimeFormat=1\r\n";
    IniDocument doc(before);
    EXPECT_EQ(doc.Get("main", "AutoRun"), "1   ; not a comment here");

    doc.Set("main", "AutoRun", "0");
    doc.Set("MAIN", "SoundOn", "1");
    doc.Set("statistic", "StatPage", "2");
    doc.Set("view", "ShowColor", "1");
    EXPECT_EQ(doc.Text(),
              "; my settings\r\n"
              "[Main]\r\n"
              "autorun=0\r\n"
              "SoundOn=1\r\n"
              "junk without equals\r\n"
              "\r\n"
              "; statistics follow\r\n"
              "[Statistic]\r\n"
              "TimeFormat=1\r\n"
              "StatPage=2\r\n"
              "\r\n"
              "[view]\r\n"
              "ShowColor=1\r\n");
}

TEST(IniDocument, NewAndUnterminatedTextsGetWholeLines)
{
    IniDocument empty;
    empty.Set("main", "FirstLaunch", "0");
    empty.Set("main", "AutoRun", "1");
    EXPECT_EQ(empty.Text(), "[main]\nFirstLaunch=0\nAutoRun=1\n");

    IniDocument header("[main]");
    header.Set("main", "AutoRun", "1");
    EXPECT_EQ(header.Text(), "[main]\nAutoRun=1\n");

    IniDocument key("[main]\r\nAutoRun=1");
    key.Set("view", "ShowColor", "0");
    EXPECT_EQ(key.Text(), "[main]\r\nAutoRun=1\r\n\r\n[view]\r\nShowColor=0\r\n");

    IniDocument replaced("[main]\nAutoRun=1");
    replaced.Set("main", "AutoRun", "0");
    EXPECT_EQ(replaced.Text(), "[main]\nAutoRun=0");
}

TEST(IniDocument, RefusesWhatWouldNotReadBack)
{
    IniDocument doc;
    EXPECT_THROW(doc.Set("main", "Proxy", "host\r\n[evil]"), std::invalid_argument);
    EXPECT_THROW(doc.Set("main", "a=b", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("main", " ", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("main", ";key", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("main", "[key", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("ma]in", "key", "1"), std::invalid_argument);
    EXPECT_THROW(doc.Set("ma\nin", "key", "1"), std::invalid_argument);
    EXPECT_EQ(doc.Text(), "");

    doc.Set(" main ", " Key ", "v=w");
    EXPECT_EQ(doc.Text(), "[main]\nKey=v=w\n");
    EXPECT_EQ(doc.Get("main", "key"), "v=w");
}

TEST(IniDocument, NamesFoldBeyondAscii)
{
    EXPECT_TRUE(EqualNoCase("ShowHints", "SHOWHINTS"));
    EXPECT_FALSE(EqualNoCase("ShowHint", "ShowHints"));
    EXPECT_FALSE(EqualNoCase("ShowHints", "ShowHint"));
    // Stray bytes are no letters: equal only to themselves.
    EXPECT_TRUE(EqualNoCase("a\xC3", "A\xC3"));
    EXPECT_FALSE(EqualNoCase("a\xC3", "a\xE3"));
    EXPECT_FALSE(EqualNoCase("\xC3\x84", "\xC3"));

    test::ScopedLocale german("de_DE.UTF-8");
    EXPECT_TRUE(EqualNoCase("\xC3\x84rger", "\xC3\xA4RGER")); // Ärger, äRGER
    const IniDocument doc("[\xC3\x9C"
                          "bersicht]\nZ\xC3\x84HLER=4\n"); // [Übersicht] ZÄHLER
    EXPECT_EQ(doc.Get("\xC3\xBC"
                      "bersicht",
                      "z\xC3\xA4hler"),
              "4");
}

} // namespace
} // namespace tally

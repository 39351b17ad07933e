#include "model/settings_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tally {
namespace {

TEST(SettingsStore, IntegersReadDecimalOrHexElseTheDefault)
{
    MemorySettings s;
    const std::pair<const char*, std::int32_t> cases[] = {
        {"42", 42},
        {" -17 ", -17},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0xFFFFFFFF", -1},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, expected] : cases) {
        s.WriteString("main", "k", text);
        EXPECT_EQ(s.ReadInteger("main", "k", 7), expected) << text;
    }
    for (const char* text : {"", "abc", "12abc", "1.5", "2147483648", "0x", "0x123456789", "--1"}) {
        s.WriteString("main", "k", text);
        EXPECT_EQ(s.ReadInteger("main", "k", 7), 7) << text;
    }
    EXPECT_EQ(s.ReadInteger("main", "missing", 300), 300);
}

TEST(SettingsStore, BooleansAreIntegers)
{
    MemorySettings s;
    EXPECT_TRUE(s.ReadBool("main", "AutoRun", true));
    s.WriteBool("main", "AutoRun", false);
    EXPECT_EQ(s.ReadString("main", "AutoRun", ""), "0");
    EXPECT_FALSE(s.ReadBool("main", "AutoRun", true));
    s.WriteString("main", "AutoRun", "2");
    EXPECT_TRUE(s.ReadBool("main", "AutoRun", false));
    s.WriteString("main", "AutoRun", "yes");
    EXPECT_FALSE(s.ReadBool("main", "AutoRun", false));
}

TEST(SettingsStore, WriteFailureNamesTheStore)
{
    MemorySettings s;
    s.SetReadOnly(true);
    try {
        s.WriteInteger("main", "PrjIdCounter", 1);
        FAIL() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_STREQ(e.what(), "Unable to write to memory settings");
    }
}

TEST(KeptSettings, RefusedWritesAreKeptForTheRunAndReportedOnce)
{
    auto store = std::make_unique<MemorySettings>();
    MemorySettings* memory = store.get();
    memory->WriteString("main", "SoundOn", "1");
    memory->SetReadOnly(true);
    std::vector<std::string> reports;
    KeptSettings kept(std::move(store), [&](const std::string& error) { reports.push_back(error); });

    kept.WriteBool("main", "SoundOn", false);
    kept.WriteBool("main", "FirstLaunch", false);
    EXPECT_FALSE(kept.ReadBool("main", "SoundOn", true));
    EXPECT_FALSE(kept.ReadBool("main", "FirstLaunch", true));
    EXPECT_EQ(reports, std::vector<std::string> {"Unable to write to memory settings"});

    // Once the store takes writes again, it holds what is written.
    memory->SetReadOnly(false);
    kept.WriteBool("main", "SoundOn", true);
    memory->WriteString("main", "SoundOn", "0");
    EXPECT_FALSE(kept.ReadBool("main", "SoundOn", true));
    EXPECT_EQ(reports.size(), 1U);
}

} // namespace
} // namespace tally

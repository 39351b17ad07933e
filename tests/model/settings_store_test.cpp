#include "model/settings_store.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tally

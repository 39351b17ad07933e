// The autorun value and the system proxy in Wine's registry.
#include "platform/win32/registry.h"

#include <gtest/gtest.h>

#include <string>

namespace tally {
namespace {

constexpr const char* kTestRoot = "Software\\tallyhour-zide-test";

std::string ReadValue(HKEY root, const std::string& path, const std::string& name)
{
    char data[512] = {};
    DWORD size = sizeof data;
    if (::RegGetValueA(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
        return "(none)";
    }
    return data;
}

class RegistryTest : public ::testing::Test
{
protected:
    ~RegistryTest() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }

    const std::string program = "C:\\Program Files\\Tally\\tallytest.exe";
};

TEST(AutoRunName, FileNameUpToItsExtension)
{
    struct Case
    {
        const char* Path;
        const char* Name;
    };
    const Case cases[] = {
        {"C:\\Tally\\tallyhour.exe", "tallyhour"},
        {"C:\\Tally\\tally.exe.exe", "tally"},
        {"C:\\my.tools\\tally", "tally"},
        {"tally.exe", "tally"},
        {"C:/Tally/x.y.exe", "x.y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AutoRunValueName(c.Path), c.Name) << c.Path;
    }
}

TEST_F(RegistryTest, MachineRunValueWrittenAndRemoved)
{
    RegistryAutoStart autoStart(program);
    ASSERT_TRUE(autoStart.SetAutoStart(true));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "tallytest"), program);
    EXPECT_TRUE(autoStart.IsAutoStart());

    ASSERT_TRUE(autoStart.SetAutoStart(false));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kRunKey, "tallytest"), "(none)");
    EXPECT_FALSE(autoStart.IsAutoStart());
    // Removing what is not there is no failure.
    EXPECT_TRUE(autoStart.SetAutoStart(false));
}

TEST_F(RegistryTest, UserRunValueWhenTheMachineKeyCannotBeOpened)
{
    RegistryAutoStart::Keys keys;
    keys.MachinePath = std::string(kTestRoot) + "\\missing\\run";
    keys.UserPath = std::string(kTestRoot) + "\\run";
    RegistryAutoStart autoStart(program, keys);

    // The machine key is only ever opened, never created.
    ASSERT_TRUE(autoStart.SetAutoStart(true));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, keys.UserPath, "tallytest"), program);
    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys.MachinePath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_TRUE(autoStart.IsAutoStart());

    ASSERT_TRUE(autoStart.SetAutoStart(false));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, keys.UserPath, "tallytest"), "(none)");
    EXPECT_FALSE(autoStart.IsAutoStart());
}

TEST_F(RegistryTest, SystemProxyFromInternetSettings)
{
    const std::string path = std::string(kTestRoot) + "\\Internet Settings";
    RegistrySystemProxy proxy(HKEY_CURRENT_USER, path);
    EXPECT_FALSE(proxy.Read().Enabled) << "missing key";

    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char server[] = "http=proxy.local:8080;https=proxy.local:8443";
    ::RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server), sizeof server);
    EXPECT_FALSE(proxy.Read().Enabled) << "missing ProxyEnable";
    EXPECT_EQ(proxy.Read().Server, server);

    struct Case
    {
        DWORD Flag;
        bool Enabled;
    };
    for (const Case c : {Case {1, true}, Case {0, false}, Case {2, true}}) {
        ::RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.Flag), sizeof c.Flag);
        EXPECT_EQ(proxy.Read().Enabled, c.Enabled) << c.Flag;
    }
    ::RegCloseKey(key);
}

} // namespace
} // namespace tally

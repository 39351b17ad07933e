#include "tracking/proxy_setup.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

struct SplitCase
{
    const char* Text;
    const char* Host;
    std::int32_t Port;
};

// Host and port start as "old" and 3128, so an untouched port shows.
TEST(SplitProxyText, SplitsAtTheFirstColon)
{
    const SplitCase cases[] = {
        {"proxy.lan:8080", "proxy.lan", 8080},
        {"proxy.lan:web", "proxy.lan", 3128},   // host set, port unchanged
        {"proxy.lan:", "proxy.lan", 3128},      // empty port part
        {"proxy.lan:80:90", "proxy.lan", 3128}, // the rest is not a number
        {"proxy.lan", "", 3128},                // no colon: direct
        {"8080", "", 8080},                     // no colon: the whole text is the port part
        {":8080", "", 8080},
        {"http=one.lan:80;https=two.lan:443", "http=one.lan", 3128},
        {"http=one.lan:80", "http=one.lan", 80},
    };
    for (const SplitCase& c : cases) {
        std::string host = "old";
        std::int32_t port = 3128;
        SplitProxyText(c.Text, host, port);
        EXPECT_EQ(host, c.Host) << c.Text;
        EXPECT_EQ(port, c.Port) << c.Text;
    }
}

TEST(SplitProxyText, ReadsAtMost9999CharactersOfThePort)
{
    std::string host;
    std::int32_t port = 0;
    SplitProxyText("h:" + std::string(9990, '0') + "8080x", host, port);
    EXPECT_EQ(port, 0);
    SplitProxyText("h:" + std::string(9995, '0') + "8080x", host, port);
    EXPECT_EQ(port, 8080);
}

class FixedSystemProxy final : public SystemProxy
{
public:
    SystemProxySetting Setting;
    SystemProxySetting Read() const override { return Setting; }
};

TEST(ProxyText, SettingsFirstThenTheSystemProxy)
{
    MemorySettings settings;
    FixedSystemProxy system;
    system.Setting = {true, "sys.lan:3128"};

    // "Proxy" alone does nothing while "ProxyEnable" is off.
    settings.WriteString("main", "Proxy", "file.lan:8080");
    EXPECT_EQ(ProxyText(settings, system), "sys.lan:3128");

    settings.WriteBool("main", "ProxyEnable", true);
    EXPECT_EQ(ProxyText(settings, system), "file.lan:8080");

    // Enabled but empty falls back to the system.
    settings.WriteString("main", "Proxy", "");
    EXPECT_EQ(ProxyText(settings, system), "sys.lan:3128");

    system.Setting.Enabled = false;
    EXPECT_EQ(ProxyText(settings, system), "");
    system.Setting = {true, ""};
    EXPECT_EQ(ProxyText(settings, system), "");
}

} // namespace
} // namespace tally

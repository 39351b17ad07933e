#pragma once

#include "platform/autostart.h"
#include "platform/system_proxy.h"

#include <windows.h>

#include <string>

namespace tally {

inline constexpr const char* kInternetSettingsKey = "Software\\Microsoft\\windows\\CurrentVersion\\Internet Settings";
inline constexpr const char* kRunKey = "software\\microsoft\\windows\\currentversion\\run";

// The user's system proxy: "ProxyEnable" and "ProxyServer" of the Internet
// Settings key. A missing key or value reads as not enabled.
class RegistrySystemProxy final : public SystemProxy
{
public:
    explicit RegistrySystemProxy(HKEY root = HKEY_CURRENT_USER, std::string keyPath = kInternetSettingsKey);
    SystemProxySetting Read() const override;

private:
    HKEY m_root;
    std::string m_keyPath;
};

// The name of the autorun value: the program's file name up to the first
// occurrence of its extension.
std::string AutoRunValueName(const std::string& programPath);

// Start with Windows through the Run key: the machine's, which is opened
// (never created) with full access, and the user's when the machine's cannot
// be opened, so that switching the option on never fails silently. Switching
// it off removes the value from both.
class RegistryAutoStart final : public AutoStart
{
public:
    struct Keys
    {
        HKEY MachineRoot = HKEY_LOCAL_MACHINE;
        std::string MachinePath = kRunKey;
        HKEY UserRoot = HKEY_CURRENT_USER;
        std::string UserPath = kRunKey;
    };

    explicit RegistryAutoStart(std::string programPath);
    RegistryAutoStart(std::string programPath, Keys keys);

    bool SetAutoStart(bool on) override;
    bool IsAutoStart() const override;

private:
    std::string m_programPath;
    std::string m_valueName;
    Keys m_keys;
};

} // namespace tally

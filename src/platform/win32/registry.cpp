#include "platform/win32/registry.h"

#include <utility>
#include <vector>

namespace tally {

namespace {

// Closes a key when it goes.
class Key
{
public:
    Key() = default;
    ~Key()
    {
        if (m_key != nullptr) {
            ::RegCloseKey(m_key);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool Open(HKEY root, const std::string& path, REGSAM access)
    {
        return ::RegOpenKeyExA(root, path.c_str(), 0, access, &m_key) == ERROR_SUCCESS;
    }
    bool OpenOrCreate(HKEY root, const std::string& path)
    {
        return ::RegCreateKeyExA(
                   root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_key, nullptr)
               == ERROR_SUCCESS;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool ReadText(HKEY key, const char* name, std::string& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    std::vector<char> data(size + 1, '\0');
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return false;
    }
    text.assign(data.data());
    return true;
}

// A boolean as Windows stores it: a DWORD, or a few bytes, not zero.
bool ReadFlag(HKEY key, const char* name)
{
    DWORD type = 0;
    BYTE data[8] = {};
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        return false;
    }
    if (type == REG_DWORD || type == REG_BINARY || type == REG_QWORD) {
        for (DWORD i = 0; i < size; ++i) {
            if (data[i] != 0) {
                return true;
            }
        }
    }
    return false;
}

bool HasValue(HKEY root, const std::string& path, const std::string& name)
{
    Key key;
    return key.Open(root, path, KEY_READ)
           && ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const std::string& name)
{
    const LONG result = ::RegDeleteValueA(key, name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace

RegistrySystemProxy::RegistrySystemProxy(HKEY root, std::string keyPath)
    : m_root(root)
    , m_keyPath(std::move(keyPath))
{ }

SystemProxySetting RegistrySystemProxy::Read() const
{
    SystemProxySetting setting;
    Key key;
    if (!key.Open(m_root, m_keyPath, KEY_READ)) {
        return setting;
    }
    setting.Enabled = ReadFlag(key.Get(), "ProxyEnable");
    ReadText(key.Get(), "ProxyServer", setting.Server);
    return setting;
}

std::string AutoRunValueName(const std::string& programPath)
{
    const auto slash = programPath.find_last_of("\\/");
    const std::string fileName = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return fileName;
    }
    return fileName.substr(0, fileName.find(fileName.substr(dot)));
}

RegistryAutoStart::RegistryAutoStart(std::string programPath)
    : RegistryAutoStart(std::move(programPath), Keys {})
{ }

RegistryAutoStart::RegistryAutoStart(std::string programPath, Keys keys)
    : m_programPath(std::move(programPath))
    , m_valueName(AutoRunValueName(m_programPath))
    , m_keys(std::move(keys))
{ }

bool RegistryAutoStart::SetAutoStart(bool on)
{
    Key machine;
    const bool haveMachine = machine.Open(m_keys.MachineRoot, m_keys.MachinePath, KEY_ALL_ACCESS);
    if (on) {
        const auto* data = reinterpret_cast<const BYTE*>(m_programPath.c_str());
        const auto size = static_cast<DWORD>(m_programPath.size() + 1);
        if (haveMachine) {
            return ::RegSetValueExA(machine.Get(), m_valueName.c_str(), 0, REG_SZ, data, size) == ERROR_SUCCESS;
        }
        Key user;
        return user.OpenOrCreate(m_keys.UserRoot, m_keys.UserPath)
               && ::RegSetValueExA(user.Get(), m_valueName.c_str(), 0, REG_SZ, data, size) == ERROR_SUCCESS;
    }
    bool removed = true;
    if (haveMachine) {
        removed = DeleteValue(machine.Get(), m_valueName);
    } else if (HasValue(m_keys.MachineRoot, m_keys.MachinePath, m_valueName)) {
        // Registered for the whole machine, and we may not change that.
        removed = false;
    }
    Key user;
    if (user.Open(m_keys.UserRoot, m_keys.UserPath, KEY_ALL_ACCESS)) {
        removed = DeleteValue(user.Get(), m_valueName) && removed;
    }
    return removed;
}

bool RegistryAutoStart::IsAutoStart() const
{
    return HasValue(m_keys.MachineRoot, m_keys.MachinePath, m_valueName)
           || HasValue(m_keys.UserRoot, m_keys.UserPath, m_valueName);
}

} // namespace tally

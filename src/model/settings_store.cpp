#include "model/settings_store.h"
#include "model/text_trim.h"

#include <cctype>
#include <limits>

namespace tally {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<std::int32_t> ParseSettingsInteger(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.size() > 8) {
            return std::nullopt;
        }
        for (char c : text) {
            const int digit = HexValue(c);
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + digit;
        }
        auto bits = static_cast<std::uint32_t>(value);
        if (negative) {
            bits = 0u - bits;
        }
        return static_cast<std::int32_t>(bits);
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string
SettingsStore::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    auto value = Read(section, key);
    return value ? *value : std::string(defaultValue);
}

std::int32_t SettingsStore::ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const
{
    auto value = Read(section, key);
    if (!value) {
        return defaultValue;
    }
    return ParseSettingsInteger(*value).value_or(defaultValue);
}

void SettingsStore::WriteInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

bool SettingsStore::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

std::optional<std::string> MemorySettings::Read(std::string_view section, std::string_view key) const
{
    auto it = m_values.find(std::pair<std::string, std::string>(section, key));
    if (it == m_values.end()) {
        return std::nullopt;
    }
    return it->second;
}

void MemorySettings::Erase(std::string_view section, std::string_view key)
{
    if (auto it = m_values.find(std::pair<std::string, std::string>(section, key)); it != m_values.end()) {
        m_values.erase(it);
    }
}

void MemorySettings::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    if (m_readOnly) {
        throw SettingsWriteError("memory settings");
    }
    m_values[std::pair<std::string, std::string>(section, key)] = std::string(value);
}

KeptSettings::KeptSettings(std::unique_ptr<SettingsStore> store,
                           std::function<void(const std::string& error)> onFirstRefusal)
    : m_store(std::move(store))
    , m_onFirstRefusal(std::move(onFirstRefusal))
{ }

std::optional<std::string> KeptSettings::Read(std::string_view section, std::string_view key) const
{
    if (m_refused) {
        if (auto kept = m_kept.Read(section, key)) {
            return kept;
        }
    }
    return m_store->Read(section, key);
}

void KeptSettings::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    try {
        m_store->WriteString(section, key, value);
        if (m_refused) {
            // The store holds it now; a kept copy would hide later changes
            // that other programs make to the file.
            m_kept.Erase(section, key);
        }
    } catch (const SettingsWriteError& e) {
        m_kept.WriteString(section, key, value);
        if (!m_refused) {
            m_refused = true;
            if (m_onFirstRefusal) {
                m_onFirstRefusal(e.what());
            }
        }
    }
}

} // namespace tally

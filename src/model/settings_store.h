#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tally {

// Raised when a value cannot be written; the text names the settings file.
class SettingsWriteError : public std::runtime_error
{
public:
    explicit SettingsWriteError(const std::string& path)
        : std::runtime_error("Unable to write to " + path)
    { }
};

// Key=value settings in named sections. Every write reaches the store at once.
// The typed readers fall back to the default for a missing value and for one
// that does not read as that type.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The value, or nothing when the key is missing.
    virtual std::optional<std::string> Read(std::string_view section, std::string_view key) const = 0;
    // Throws SettingsWriteError when the value cannot be stored.
    virtual void WriteString(std::string_view section, std::string_view key, std::string_view value) = 0;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X" (up to 32 bits, taken as a
    // signed value so colours round-trip).
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Any integer other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value);
};

// The integer reading rules on their own.
std::optional<std::int32_t> ParseSettingsInteger(std::string_view text);

// Settings held in memory, for tests and for running without a settings file.
class MemorySettings : public SettingsStore
{
public:
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override;
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;

    void Erase(std::string_view section, std::string_view key);
    // Makes every following write fail, as a read-only file would.
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

private:
    std::map<std::pair<std::string, std::string>, std::string, std::less<>> m_values;
    bool m_readOnly = false;
};

// A store that may refuse writes (a read-only or unwritable settings file),
// made safe to run on: a refused write is kept in memory, so the rest of this
// run sees what the user chose, and the first refusal is reported once.
// Later writes still try the store, in case it became writable.
class KeptSettings : public SettingsStore
{
public:
    KeptSettings(std::unique_ptr<SettingsStore> store, std::function<void(const std::string& error)> onFirstRefusal);

    std::optional<std::string> Read(std::string_view section, std::string_view key) const override;
    // Never throws SettingsWriteError.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) override;

    bool Refused() const { return m_refused; }

private:
    std::unique_ptr<SettingsStore> m_store;
    std::function<void(const std::string&)> m_onFirstRefusal;
    MemorySettings m_kept;
    bool m_refused = false;
};

} // namespace tally

#include "storage/settings_file.h"

#include "storage/file_io.h"
#include "storage/storage_error.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

namespace {

struct Contents
{
    std::string Text;
    bool Readable = false;
};

Contents ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return {text.str(), !in.bad()};
}

} // namespace

std::string SettingsFilePath(const std::string& installPath)
{
    return installPath + kSettingsFileName;
}

std::string CutText(std::string text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) {
        return text;
    }
    auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t cut = maxBytes;
    std::size_t back = cut;
    while (back > 0 && maxBytes - back < 3 && (byte(back) & 0xC0u) == 0x80u) {
        --back;
    }
    if (back != cut && byte(back) >= 0xC0u) {
        cut = back;
    }
    text.resize(cut);
    return text;
}

IniSettings::IniSettings(FileSystem& files, fs::path path)
    : m_files(files)
    , m_path(std::move(path))
{ }

std::optional<IniSettings::Stamp> IniSettings::StampOf(const fs::path& path)
{
    std::error_code error;
    Stamp stamp;
    stamp.Modified = fs::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    stamp.Size = fs::file_size(path, error);
    if (error) {
        return std::nullopt;
    }
    return stamp;
}

void IniSettings::Refresh() const
{
    auto stamp = StampOf(m_path);
    if (m_loaded && stamp == m_stamp) {
        return;
    }
    // Taken before the text, so that a change while reading is seen as a
    // change by the next call.
    const Contents contents = stamp ? ReadWhole(m_path) : Contents {};
    m_document = IniDocument(contents.Text);
    m_stamp = stamp;
    m_readable = !stamp || contents.Readable;
    m_loaded = true;
}

std::optional<std::string> IniSettings::Read(std::string_view section, std::string_view key) const
{
    Refresh();
    auto value = m_document.Get(section, key);
    if (value) {
        *value = CutText(std::move(*value), kMaxSettingsValueLength);
    }
    return value;
}

void IniSettings::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Refresh();
    // A file that exists but cannot be read would lose its other keys.
    if (!m_readable) {
        throw SettingsWriteError(m_path.string());
    }
    IniDocument changed = m_document;
    changed.Set(section, key, value);
    const std::string text = changed.Text();
    try {
        // Not flushed to the disk: a setting is cheap to lose in a crash,
        // and the program writes one at every start.
        WriteFileAtomically(
            m_files, m_path.string(), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, false);
    } catch (const DataFileError&) {
        throw SettingsWriteError(m_path.string());
    }
    m_document = std::move(changed);
    m_stamp = StampOf(m_path);
}

} // namespace tally

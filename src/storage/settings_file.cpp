#include "storage/settings_file.h"

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

// Where a write has to go: through a symbolic link to the file it names, so
// that the link survives the rename.
fs::path WriteTarget(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_symlink(path, error)) {
        return path;
    }
    auto resolved = fs::canonical(path, error);
    if (!error) {
        return resolved;
    }
    const auto link = fs::read_symlink(path, error);
    if (error) {
        return path;
    }
    return link.is_absolute() ? link : path.parent_path() / link;
}

bool ReplaceFile(const fs::path& path, const std::string& text)
{
    const fs::path target = WriteTarget(path);
    std::error_code error;
    const bool exists = fs::exists(target, error);
    if (error) {
        return false;
    }
    if (exists) {
        // The rename below would replace a read-only file too; refuse, as
        // writing the file in place would.
        std::ofstream probe(target, std::ios::binary | std::ios::app);
        if (!probe) {
            return false;
        }
    }

    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    if (exists) {
        const auto status = fs::status(target, error);
        if (!error) {
            fs::permissions(temporary, status.permissions(), fs::perm_options::replace, error);
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
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

IniSettings::IniSettings(fs::path path)
    : m_path(std::move(path))
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
    if (!ReplaceFile(m_path, changed.Text())) {
        throw SettingsWriteError(m_path.string());
    }
    m_document = std::move(changed);
    m_stamp = StampOf(m_path);
}

} // namespace tally

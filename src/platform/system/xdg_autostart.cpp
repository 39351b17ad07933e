#include "platform/system/xdg_autostart.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExecKey = "Exec=";

bool WriteWhole(const fs::path& path, const std::string& text)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        return false;
    }
    fs::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out << text;
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

std::string DesktopExecValue(std::string_view path)
{
    // Inside a quoted argument '"', '`', '$' and '\' take a backslash; '%'
    // would start a field code and is doubled.
    std::string argument = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            argument += '\\';
        } else if (c == '%') {
            argument += '%';
        }
        argument += c;
    }
    argument += '"';

    // The string escapes come on top, since readers undo them first.
    std::string value;
    for (char c : argument) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\r':
                value += "\\r";
                break;
            case '\t':
                value += "\\t";
                break;
            default:
                value += c;
        }
    }
    return value;
}

XdgAutoStart::XdgAutoStart(fs::path programPath, const UserDirs& dirs)
    : m_programPath(std::move(programPath))
    , m_entryPath(dirs.ConfigHome / "autostart" / (m_programPath.filename().string() + ".desktop"))
{ }

std::string XdgAutoStart::EntryText() const
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tallyhour Zide\n"
           "Comment=Time tracker\n"
           + std::string(kExecKey) + DesktopExecValue(m_programPath.string())
           + "\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutoStart::SetAutoStart(bool on)
{
    try {
        if (on) {
            return WriteWhole(m_entryPath, EntryText());
        }
        std::error_code error;
        fs::remove(m_entryPath, error);
        return !error;
    } catch (const std::exception&) {
        return false;
    }
}

bool XdgAutoStart::IsAutoStart() const
{
    std::ifstream in(m_entryPath, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string expected = std::string(kExecKey) + DesktopExecValue(m_programPath.string());
    bool exec = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "Hidden=true") {
            return false;
        }
        exec = exec || line == expected;
    }
    return exec;
}

} // namespace tally

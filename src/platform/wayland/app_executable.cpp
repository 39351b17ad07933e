#include "platform/wayland/app_executable.h"

#include "platform/x11/process_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tally {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Words of an Exec value, with double quotes and backslash escapes undone.
std::vector<std::string> ExecWords(const std::string& value)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == '\\' && i + 1 < value.size()) {
            word += value[++i];
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::string ReadEntry(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string DesktopEntryExecutable(const std::string& entryText)
{
    std::istringstream lines(entryText);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || !line.starts_with("Exec")) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || line.find_first_not_of(" \t", 4) != equals) {
            continue; // Exec[xx]= or ExecSomething=
        }
        std::vector<std::string> words = ExecWords(line.substr(equals + 1));
        std::size_t first = 0;
        if (first < words.size() && std::filesystem::path(words[first]).filename() == "env") {
            ++first;
            while (first < words.size() && words[first].find('=') != std::string::npos) {
                ++first;
            }
        }
        if (first >= words.size() || words[first].starts_with('%')) {
            return {};
        }
        return std::filesystem::path(words[first]).filename().string();
    }
    return {};
}

std::vector<std::filesystem::path> ApplicationDirs()
{
    std::vector<std::filesystem::path> dirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && *dataHome != '\0') {
        dirs.emplace_back(std::filesystem::path(dataHome) / "applications");
    } else if (home != nullptr && *home != '\0') {
        dirs.emplace_back(std::filesystem::path(home) / ".local/share/applications");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    std::istringstream parts(list);
    std::string part;
    while (std::getline(parts, part, ':')) {
        if (!part.empty()) {
            dirs.emplace_back(std::filesystem::path(part) / "applications");
        }
    }
    return dirs;
}

std::set<std::string> RunningExecutables(const std::filesystem::path& procRoot)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); })) {
            continue;
        }
        std::string name = x11::ProcessExecutableName(std::atoi(pid.c_str()), procRoot);
        if (!name.empty()) {
            names.insert(std::move(name));
        }
    }
    return names;
}

std::string ExecutableForAppId(const std::string& appId,
                               const std::vector<std::filesystem::path>& applicationDirs,
                               const std::set<std::string>& running)
{
    if (appId.empty() || appId.find('/') != std::string::npos) {
        return {};
    }
    const std::string lower = Lower(appId);
    for (const auto& dir : applicationDirs) {
        for (const std::string& name : {appId, lower}) {
            std::error_code ec;
            const std::filesystem::path file = dir / (name + ".desktop");
            if (std::filesystem::is_regular_file(file, ec)) {
                if (std::string exe = DesktopEntryExecutable(ReadEntry(file)); !exe.empty()) {
                    return exe;
                }
            }
        }
    }
    const auto dot = lower.rfind('.');
    for (const std::string& name : {appId, lower, dot == std::string::npos ? lower : lower.substr(dot + 1)}) {
        if (running.contains(name)) {
            return name;
        }
    }
    return {};
}

} // namespace tally

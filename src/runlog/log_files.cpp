#include "runlog/log_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tally {

namespace fs = std::filesystem;

std::vector<std::string> SplitLogLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(begin));
            break;
        }
        lines.emplace_back(text.substr(begin, end - begin));
        begin = end + 1;
        if (text[end] == '\r' && begin < text.size() && text[begin] == '\n') {
            ++begin;
        }
    }
    return lines;
}

bool ShiftLogFile(const std::string& path, int count) noexcept
{
    try {
        std::string content;
        {
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                return false;
            }
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) {
                return false;
            }
        }
        std::vector<std::string> lines = SplitLogLines(content);
        constexpr std::size_t kKept = 2;
        if (lines.size() > kKept) {
            const std::size_t removed = std::min(lines.size() - kKept, static_cast<std::size_t>(std::max(count, 0)));
            lines.erase(lines.begin() + kKept, lines.begin() + static_cast<std::ptrdiff_t>(kKept + removed));
        }

        const std::string temp = path + ".shift~";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            for (const std::string& line : lines) {
                out << line << "\r\n";
            }
            out.close();
            if (out.fail()) {
                std::error_code ignored;
                fs::remove(temp, ignored);
                return false;
            }
        }
        std::error_code ec;
        fs::rename(temp, path, ec);
        if (ec) {
            fs::remove(temp, ec);
            return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<std::string> NextLogFileName(const std::string& path, int digits) noexcept
{
    try {
        const fs::path current(path);
        const std::string name = current.filename().string();
        const auto width = static_cast<std::size_t>(digits);

        // A continued log is recognised by four digits and "_", whatever the
        // prefix width: a name of another width is a stem of its own.
        constexpr std::size_t kRecognised = 4;
        long number = 0;
        std::string stem = name;
        const bool numbered = name.size() > kRecognised && name[kRecognised] == '_'
                              && std::all_of(name.begin(), name.begin() + kRecognised, [](unsigned char c) {
                                     return std::isdigit(c) != 0;
                                 });
        if (numbered) {
            number = std::stol(name.substr(0, kRecognised)) + 1;
            stem = name.substr(kRecognised + 1);
        }

        long modulus = 1;
        for (int i = 0; i < digits; ++i) {
            modulus *= 10;
        }
        // Every number is tried at most once, so a folder that holds all of
        // them ends the search instead of looping for ever.
        for (long tried = 0; tried < modulus; ++tried, ++number) {
            std::string prefix = std::to_string(number % modulus);
            prefix.insert(0, width - prefix.size(), '0');
            const fs::path candidate = current.parent_path() / (prefix + "_" + stem);
            std::error_code ec;
            const bool taken = fs::exists(candidate, ec);
            if (ec) {
                return std::nullopt;
            }
            if (!taken) {
                return candidate.string();
            }
        }
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace tally

// Feeds arbitrary bytes to the settings-file reader as the text of a file,
// then edits it and checks that nothing but the edited key changes.
#include "storage/ini_document.h"
#include "storage/ini_values.h"
#include "storage/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using tally::IniDocument;

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

constexpr std::string_view kBlanks = " \t\r\f\v";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

const std::pair<std::string_view, std::string_view> kKeys[] = {
    {"main", "AutoRun"},
    {"main", "FirstLaunch"},
    {"MAIN", "idleinterval"},
    {"main", "LastRunDate"},
    {"main", "Proxy"},
    {"view", "ShowColor"},
    {"Statistic", "TimeFormat"},
    {"Projects", "SelectedIndex"},
    {"", ""},
};

std::vector<std::optional<std::string>> ReadAll(const IniDocument& doc)
{
    std::vector<std::optional<std::string>> values;
    for (const auto& [section, key] : kKeys) {
        values.push_back(doc.Get(section, key));
    }
    return values;
}

// Sets one key and checks that it reads back, also from the written text,
// and that every other key reads as before.
void SetAndCheck(IniDocument& doc, std::string_view section, std::string_view key, std::string_view value)
{
    const auto before = ReadAll(doc);
    const std::string textBefore = doc.Text();
    try {
        doc.Set(section, key, value);
    } catch (const std::invalid_argument&) {
        Check(doc.Text() == textBefore);
        return;
    }
    const std::string expected(Unquote(Trim(value)));
    Check(doc.Get(section, key) == expected);
    const IniDocument reread(doc.Text());
    Check(reread.Get(section, key) == expected);
    const auto after = ReadAll(reread);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool same = tally::EqualNoCase(Trim(kKeys[i].first), Trim(section))
                          && tally::EqualNoCase(Trim(kKeys[i].second), Trim(key));
        Check(same ? after[i] == expected : after[i] == before[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    IniDocument doc(text);
    Check(doc.Text() == text);

    for (const auto& value : ReadAll(doc)) {
        if (value) {
            const std::string cut = tally::CutText(*value, tally::kMaxSettingsValueLength);
            Check(cut.size() <= tally::kMaxSettingsValueLength && value->compare(0, cut.size(), cut) == 0);
            static_cast<void>(tally::ParseSettingsDate(*value));
        }
    }

    SetAndCheck(doc, "main", "FirstLaunch", "0");

    // The text's last line, read as section|key|value, names a further edit.
    const auto lastBreak = text.find_last_of('\n');
    const std::string_view last = std::string_view(text).substr(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    const auto bar1 = last.find('|');
    const auto bar2 = bar1 == std::string_view::npos ? bar1 : last.find('|', bar1 + 1);
    if (bar2 != std::string_view::npos) {
        SetAndCheck(doc, last.substr(0, bar1), last.substr(bar1 + 1, bar2 - bar1 - 1), last.substr(bar2 + 1));
    }
    return 0;
}

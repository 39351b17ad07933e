#include "report.h"

#include "model/duration.h"
#include "stats/csv_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tally::datatool {

namespace {

bool Digits(std::string_view text, int& value)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
}

bool LeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

std::string DayText(std::int64_t day)
{
    return IsoDay(day).value_or("day " + std::to_string(day));
}

// A name on one line of the table: line breaks and other control bytes
// become blanks.
std::string OneLine(const std::string& name)
{
    if (name.empty()) {
        return "(no name)";
    }
    std::string line = name;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return line;
}

// Columns are padded by characters, not bytes, so that UTF-8 names line up.
std::size_t Width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string PadRight(std::string text, std::size_t width)
{
    const std::size_t has = Width(text);
    return has < width ? text.append(width - has, ' ') : text;
}

std::string PadLeft(const std::string& text, std::size_t width)
{
    const std::size_t has = Width(text);
    return has < width ? std::string(width - has, ' ') + text : text;
}

struct Line
{
    std::string Date; // empty after a day's first line
    std::string Name;
    std::string Active;
    std::string Background;
};

} // namespace

std::optional<std::int64_t> ParseIsoDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!Digits(text.substr(0, 4), year) || !Digits(text.substr(5, 2), month) || !Digits(text.substr(8, 2), day)) {
        return std::nullopt;
    }
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return DayOf(EncodeDate(year, month, day));
}

namespace {

struct NamedRow
{
    std::int64_t Day = 0;
    std::string Name;
    TDateTime Active = 0.0;
    TDateTime Background = 0.0;
};

std::string TableText(const std::vector<NamedRow>& rows, const std::string* projectTotal)
{
    std::vector<Line> lines;
    lines.push_back({"Date", "Timer", "Active", "Background"});
    for (std::size_t i = 0; i < rows.size();) {
        const std::int64_t day = rows[i].Day;
        TDateTime active = 0.0;
        TDateTime background = 0.0;
        bool first = true;
        for (; i < rows.size() && rows[i].Day == day; ++i) {
            const NamedRow& row = rows[i];
            lines.push_back({first ? DayText(day) : std::string(),
                             OneLine(row.Name),
                             FormatDuration(row.Active),
                             FormatDuration(row.Background)});
            active += row.Active;
            background += row.Background;
            first = false;
        }
        if (projectTotal) {
            lines.push_back({std::string(),
                             "Total of " + OneLine(*projectTotal),
                             FormatDuration(active),
                             FormatDuration(background)});
        }
    }
    std::size_t widths[4] = {};
    for (const Line& line : lines) {
        widths[0] = std::max(widths[0], Width(line.Date));
        widths[1] = std::max(widths[1], Width(line.Name));
        widths[2] = std::max(widths[2], Width(line.Active));
        widths[3] = std::max(widths[3], Width(line.Background));
    }
    std::string out;
    for (const Line& line : lines) {
        out += PadRight(line.Date, widths[0]) + "  " + PadRight(line.Name, widths[1]) + "  "
               + PadLeft(line.Active, widths[2]) + "  " + PadLeft(line.Background, widths[3]) + '\n';
    }
    if (rows.empty()) {
        out += "No time on any day.\n";
    }
    return out;
}

} // namespace

std::string ReportText(const std::vector<DayReportRow>& rows, const std::string* projectTotal)
{
    std::vector<NamedRow> named;
    named.reserve(rows.size());
    for (const DayReportRow& row : rows) {
        named.push_back({row.Day, row.Timer->Name, row.Active, row.Background});
    }
    return TableText(named, projectTotal);
}

std::string ComputersReportText(const std::vector<ComputerDayRow>& rows,
                                const std::vector<ComputerModel>& computers,
                                const std::string* projectTotal)
{
    // Rows come by day, then timer, then computer: a timer's computers are
    // neighbours.
    std::vector<NamedRow> named;
    std::vector<TDateTime> own(computers.size(), 0.0);
    TDateTime twice = 0.0;
    TDateTime all = 0.0;
    for (const ComputerDayRow& row : rows) {
        if (named.empty() || named.back().Day != row.Day || named.back().Name != row.Timer) {
            named.push_back({row.Day, row.Timer, 0.0, 0.0});
        }
        named.back().Active += row.Active;
        named.back().Background += row.Background;
        const TDateTime overlap = row.OverlapActive + row.OverlapBackground;
        own[row.Computer] += row.Active + row.Background + overlap;
        twice += overlap;
        all += row.Active + row.Background + overlap;
    }
    std::string out = TableText(named, projectTotal);
    std::vector<std::array<std::string, 3>> table {{"Computer", "Time", "Share"}};
    for (std::size_t c = 0; c < computers.size(); ++c) {
        if (computers[c].Model != nullptr) {
            const long percent = all > 0.0 ? std::lround(own[c] / all * 100.0) : 0L;
            table.push_back({OneLine(computers[c].Name), FormatDuration(own[c]), std::to_string(percent) + "%"});
        }
    }
    std::size_t widths[3] = {};
    for (const auto& line : table) {
        for (std::size_t i = 0; i < 3; ++i) {
            widths[i] = std::max(widths[i], Width(line[i]));
        }
    }
    out += '\n';
    for (const auto& line : table) {
        out += PadRight(line[0], widths[0]) + "  " + PadLeft(line[1], widths[1]) + "  " + PadLeft(line[2], widths[2])
               + '\n';
    }
    if (twice > 0.0) {
        out += "Ran on two computers at once, counted once: " + FormatDuration(twice) + '\n';
    }
    return out;
}

std::string ComputersReportCsv(const std::vector<ComputerDayRow>& rows, const std::vector<ComputerModel>& computers)
{
    std::string out = "date,timer,project,computer,active_seconds,background_seconds\r\n";
    for (const ComputerDayRow& row : rows) {
        out += DayText(row.Day);
        out += ',';
        out += CsvField(row.Timer);
        out += ',';
        out += row.Project.empty() ? std::string() : CsvField(row.Project);
        out += ',';
        out += CsvField(computers[row.Computer].Name);
        out += ',';
        out += DurationSecondsText(row.Active);
        out += ',';
        out += DurationSecondsText(row.Background);
        out += "\r\n";
    }
    return out;
}

std::string ReportCsv(const std::vector<DayReportRow>& rows)
{
    std::string out = "date,timer,project,active_seconds,background_seconds\r\n";
    for (const DayReportRow& row : rows) {
        out += DayText(row.Day);
        out += ',';
        out += CsvField(row.Timer->Name);
        out += ',';
        out += row.Project ? CsvField(row.Project->Name) : std::string();
        out += ',';
        out += DurationSecondsText(row.Active);
        out += ',';
        out += DurationSecondsText(row.Background);
        out += "\r\n";
    }
    return out;
}

} // namespace tally::datatool

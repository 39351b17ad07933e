#include "data_tool.h"
#include "platform/system/posix_file_system.h"

#include "data_text.h"
#include "model/datetime.h"
#include "model/version.h"
#include "platform/clock.h"
#include "platform/system/system_clock.h"
#include "report.h"
#include "runlog/brisvale_log.h"
#include "stats/day_figures.h"
#include "stats/period_export.h"
#include "storage/file_io.h"
#include "storage/shared_folder.h"
#include "storage/storage_error.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace tally::datatool {

namespace {

using Json = nlohmann::ordered_json;

// The run log wants a clock even while it is off.
class NoClock final : public Clock
{
public:
    ClockReading Read() const override { return {}; }
};

const char* TypeName(std::uint8_t type)
{
    static constexpr const char* kNames[]
        = {"Manual", "Application", "Caption", "Typing", "Internet", "WorkTime", "IdleTime"};
    return type < std::size(kNames) ? kNames[type] : nullptr;
}

const char* ScopeName(std::uint8_t scope)
{
    static constexpr const char* kNames[] = {"MainOnly", "WithOwned", "WithHidden"};
    return scope < std::size(kNames) ? kNames[scope] : nullptr;
}

Json NameOrNull(const char* name)
{
    return name != nullptr ? Json(name) : Json(nullptr);
}

Json Instant(TDateTime t)
{
    const auto local = IsoLocalTime(t);
    return Json {{"local", local ? Json(*local) : Json(nullptr)}, {"raw", t}};
}

Json Periods(const PeriodList& periods)
{
    Json list = Json::array();
    for (const TWorkPeriod& period : periods) {
        list.push_back(Json {{"start", Instant(period.Start)}, {"stop", Instant(period.Stop)}});
    }
    return list;
}

Json TimerJson(const TMyTimer& timer)
{
    return Json {
        {"name", timer.Name},
        {"identifiers", timer.Identifiers},
        {"enabled", timer.Enabled},
        {"timer_type", timer.TimerType},
        {"timer_type_name", NameOrNull(TypeName(timer.TimerType))},
        {"window_scope", timer.WindowScope},
        {"window_scope_name", NameOrNull(ScopeName(timer.WindowScope))},
        {"active_time_days", timer.ActiveTime},
        {"background_time_days", timer.BackgroundTime},
        {"creation_date", Instant(timer.CreationDate)},
        {"color", timer.Color},
        {"color_hex", ColorHex(timer.Color)},
        {"project_id", timer.ProjectId},
        {"active_periods", Periods(timer.ActivePeriods)},
        {"background_periods", Periods(timer.BackgroundPeriods)},
    };
}

Json ProjectJson(const TTimeProject& project)
{
    return Json {
        {"id", project.Id},
        {"name", project.Name},
        {"description", project.Description},
        {"start_date", Instant(project.StartDate)},
        {"end_date", Instant(project.EndDate)},
        {"creation_date", Instant(project.CreationDate)},
        {"color", project.Color},
        {"color_hex", ColorHex(project.Color)},
        {"reserved_amount", MoneyText(project.ReservedAmount)},
        {"total_price", MoneyText(project.TotalPrice)},
    };
}

constexpr const char* kUsage
    = "usage: tallyhour-data dump FILE\n"
      "       tallyhour-data export FILE --csv\n"
      "       tallyhour-data report FILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--project NAME] [--csv]\n"
      "       tallyhour-data report [--folder DIR] [FILE...] [options as above]\n"
      "       tallyhour-data --help | --version\n"
      "Reads a timers data file (current or older layout) and writes to standard output:\n"
      "  dump    all of it as JSON\n"
      "  export  one CSV row per work period\n"
      "  report  per day and timer the active and the background time; a period counts\n"
      "          whole on the day it started. --from and --to limit the days (local\n"
      "          dates, both included), --project keeps that project's timers and adds\n"
      "          its total of each day, --csv writes the rows\n"
      "          date,timer,project,active_seconds,background_seconds\n"
      "          (seconds rounded to the millisecond, always with three decimals).\n"
      "          With --folder (every computer's file in a shared folder) or several\n"
      "          FILEs, timers of the same name are summed over the computers, a\n"
      "          stretch that ran on two at once counted once, the table ends with\n"
      "          each computer's share, and --csv writes\n"
      "          date,timer,project,computer,active_seconds,background_seconds\n"
      "          with such a stretch counted for the first computer listed.\n"
      "The file is only read. Exit status: 0 done, 1 the file cannot be read,\n"
      "2 wrong arguments, a date that does not exist or an unknown project.\n";

constexpr const char* kProgram = "tallyhour-data";

// The command line, split into the command, its file and its options.
struct CommandLine
{
    std::vector<std::string> Plain;
    bool Csv = false;
    std::optional<std::string> From;
    std::optional<std::string> To;
    std::optional<std::string> Project;
    std::optional<std::string> Folder;
    // Set when the line cannot be understood.
    std::string Error;
};

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    for (std::size_t i = 0; i < args.size() && line.Error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--csv") {
            line.Csv = true;
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            line.Plain.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::optional<std::string>* target = name == "--from"      ? &line.From
                                             : name == "--to"      ? &line.To
                                             : name == "--project" ? &line.Project
                                             : name == "--folder"  ? &line.Folder
                                                                   : nullptr;
        if (target == nullptr) {
            line.Error = "unknown option: " + arg;
        } else if (target->has_value()) {
            line.Error = name + " given twice";
        } else if (equals != std::string::npos) {
            *target = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            *target = args[++i];
        } else {
            line.Error = name + " needs a value";
        }
    }
    return line;
}

bool HasReportOptions(const CommandLine& line)
{
    return line.From || line.To || line.Project || line.Folder;
}

// The day a --from or --to names; an error on err otherwise.
std::optional<std::int64_t> OptionDay(const char* name, const std::optional<std::string>& text, std::ostream& err)
{
    const std::optional<std::int64_t> day = ParseIsoDay(*text);
    if (!day) {
        err << kProgram << ": " << name << " " << *text << ": not a date of the form YYYY-MM-DD that exists\n";
    }
    return day;
}

int Report(
    const DataFileContent& content, const CommandLine& line, DayRange range, std::ostream& out, std::ostream& err)
{
    const TimeModel& model = content.Model;
    std::vector<const TMyTimer*> timers;
    if (line.Project) {
        // Names need not be unique: every project of the name counts.
        std::vector<std::int32_t> ids;
        for (std::size_t i = 0; i < model.Projects.Count(); ++i) {
            if (model.Projects[i].Name == *line.Project) {
                ids.push_back(model.Projects[i].Id);
            }
        }
        if (ids.empty()) {
            err << kProgram << ": " << content.Path << ": no project named \"" << *line.Project << "\"\n";
            return 2;
        }
        timers = TimersOfProjects(model.Timers, ids);
    } else {
        for (const TMyTimer& timer : model.Timers) {
            timers.push_back(&timer);
        }
    }
    const std::vector<DayReportRow> rows = DayReport(timers, model.Projects, range, SystemClock().Read().Now);
    out << (line.Csv ? ReportCsv(rows) : ReportText(rows, line.Project ? &*line.Project : nullptr));
    return 0;
}

// The report over several computers' files.
int ComputersReport(const CommandLine& line, DayRange range, std::ostream& out, std::ostream& err)
{
    std::vector<DataFileContent> files;
    for (std::size_t i = 1; i < line.Plain.size(); ++i) {
        const std::string& path = line.Plain[i];
        try {
            std::error_code ec;
            if (!std::filesystem::exists(path, ec)) {
                err << kProgram << ": " << path << ": no such file\n";
                return 1;
            }
            files.push_back(ReadDataFileContent(path));
        } catch (const std::exception& e) {
            err << kProgram << ": " << path << ": not a readable data file: " << e.what() << '\n';
            return 1;
        }
    }
    std::vector<ComputerModel> computers;
    for (const DataFileContent& file : files) {
        computers.push_back({ComputerOfFile(std::filesystem::path(file.Path).filename().string()), &file.Model});
    }
    std::optional<SharedFolderReader> folder;
    if (line.Folder) {
        std::error_code ec;
        if (!std::filesystem::is_directory(*line.Folder, ec)) {
            err << kProgram << ": " << *line.Folder << ": no such folder\n";
            return 1;
        }
        folder.emplace(SystemFiles(), *line.Folder, std::string());
        folder->Refresh();
        // Damaged or half-synced files are left out, and said so.
        for (const std::string& notice : folder->Notices()) {
            err << kProgram << ": " << notice << '\n';
        }
        for (const ComputerData* data : folder->Computers()) {
            computers.push_back({data->Computer, data->Model.get()});
        }
    }
    if (line.Project) {
        bool known = false;
        for (const ComputerModel& computer : computers) {
            for (std::size_t i = 0; i < computer.Model->Projects.Count(); ++i) {
                known = known || computer.Model->Projects[i].Name == *line.Project;
            }
        }
        if (!known) {
            err << kProgram << ": no project named \"" << *line.Project << "\" on any computer\n";
            return 2;
        }
    }
    const ComputerAccount account({}, computers);
    const std::vector<ComputerDayRow> rows
        = account.DayRows(range, SystemClock().Read().Now, line.Project ? &*line.Project : nullptr);
    out << (line.Csv ? ComputersReportCsv(rows, account.Computers())
                     : ComputersReportText(rows, account.Computers(), line.Project ? &*line.Project : nullptr));
    return 0;
}

} // namespace

DataFileContent ReadDataFileContent(const std::string& path)
{
    DataFileContent content;
    content.Path = path;
    NoClock clock;
    TBrisvaleLog quiet(clock);
    TMemFileStream stream = ReadWholeFile(SystemFiles(), path);
    if (ReadDataHeader(stream)) {
        content.Format = DataFormat::Current;
        ReadDataBody(stream, content.Model.Timers, content.Model.Projects, quiet, content.Version);
        return content;
    }
    content.Format = DataFormat::Legacy;
    content.Markers = FindLegacyMarkers(std::filesystem::path(path).parent_path());
    stream.Rewind();
    try {
        ReadLegacyData(stream, content.Markers, content.Model.Timers, content.Model.Projects);
    } catch (const DataFileError& e) {
        throw DataFileError(std::string("no current header, and as an older file: ") + e.what());
    }
    return content;
}

nlohmann::ordered_json DumpJson(const DataFileContent& content)
{
    Json json;
    json["file"] = content.Path;
    if (content.Format == DataFormat::Current) {
        json["format"] = "current";
        json["version"] = content.Version;
    } else {
        json["format"] = "legacy";
        json["legacy_markers"] = Json {
            {std::string(kMarkerLoadATime), content.Markers.LoadATime},
            {std::string(kMarkerNotLoadProjectId), content.Markers.NotLoadProjectId},
            {std::string(kMarkerNotLoadProjects), content.Markers.NotLoadProjects},
        };
    }
    Json timers = Json::array();
    for (const TMyTimer& timer : content.Model.Timers) {
        timers.push_back(TimerJson(timer));
    }
    json["timers"] = std::move(timers);
    Json projects = Json::array();
    for (std::size_t i = 0; i < content.Model.Projects.Count(); ++i) {
        projects.push_back(ProjectJson(content.Model.Projects[i]));
    }
    json["projects"] = std::move(projects);
    return json;
}

std::string ExportCsv(const DataFileContent& content)
{
    std::vector<const TMyTimer*> timers;
    for (const TMyTimer& timer : content.Model.Timers) {
        timers.push_back(&timer);
    }
    return WorkPeriodsCsv(timers, content.Model.Projects);
}

int RunDataTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << kProgram << ' ' << kProgramVersion << '\n';
            return 0;
        }
    }
    const CommandLine line = ParseCommandLine(args);
    const std::string command = line.Plain.empty() ? std::string() : line.Plain[0];
    const bool fileGiven = line.Plain.size() == 2;
    const bool dump = fileGiven && command == "dump" && !line.Csv && !HasReportOptions(line);
    const bool exportCsv = fileGiven && command == "export" && line.Csv && !HasReportOptions(line);
    const bool report = fileGiven && command == "report" && !line.Folder;
    const bool computersReport
        = command == "report" && !report && (line.Folder ? line.Plain.size() >= 1 : line.Plain.size() > 2);
    if (!line.Error.empty() || (!dump && !exportCsv && !report && !computersReport)) {
        if (!line.Error.empty()) {
            err << kProgram << ": " << line.Error << '\n';
        }
        err << kUsage;
        return 2;
    }
    DayRange range;
    if (line.From) {
        const auto day = OptionDay("--from", line.From, err);
        if (!day) {
            return 2;
        }
        range.From = *day;
    }
    if (line.To) {
        const auto day = OptionDay("--to", line.To, err);
        if (!day) {
            return 2;
        }
        range.To = *day;
    }
    if (range.From > range.To) {
        err << kProgram << ": --from " << *line.From << " is after --to " << *line.To << '\n';
        return 2;
    }
    if (computersReport) {
        const int status = ComputersReport(line, range, out, err);
        out.flush();
        if (status == 0 && !out) {
            err << kProgram << ": cannot write the output\n";
            return 1;
        }
        return status;
    }
    const std::string& path = line.Plain[1];
    try {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            err << kProgram << ": " << path << ": no such file\n";
            return 1;
        }
        const DataFileContent content = ReadDataFileContent(path);
        if (dump) {
            // Texts are bytes; any that are not UTF-8 show as U+FFFD.
            out << DumpJson(content).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        } else if (exportCsv) {
            out << ExportCsv(content);
        } else if (const int status = Report(content, line, range, out, err); status != 0) {
            return status;
        }
        out.flush();
        if (!out) {
            err << kProgram << ": cannot write the output\n";
            return 1;
        }
    } catch (const std::exception& e) {
        err << kProgram << ": " << path << ": not a readable data file: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace tally::datatool

#include "data_tool.h"
#include "platform/system/posix_file_system.h"

#include "data_text.h"
#include "model/datetime.h"
#include "platform/clock.h"
#include "runlog/brisvale_log.h"
#include "storage/file_io.h"
#include "storage/storage_error.h"

#include <cmath>
#include <filesystem>
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

std::string ProjectName(const ProjectList& projects, std::int32_t id)
{
    const TTimeProject* project = projects.FindById(id);
    return project != nullptr ? project->Name : std::string();
}

void CsvRows(std::string& out,
             const TMyTimer& timer,
             const std::string& project,
             const PeriodList& periods,
             std::string_view kind)
{
    for (const TWorkPeriod& period : periods) {
        out += CsvField(timer.Name);
        out += ',';
        out += CsvField(project);
        out += ',';
        out += kind;
        out += ',';
        out += IsoLocalTime(period.Start).value_or("");
        out += ',';
        out += IsoLocalTime(period.Stop).value_or("");
        out += ',';
        out += SecondsText(std::round((period.Stop - period.Start) * kMsPerDay) / 1000.0);
        out += "\r\n";
    }
}

constexpr const char* kUsage = "usage: tallyhour-data dump FILE\n"
                               "       tallyhour-data export FILE --csv\n"
                               "Reads a timers data file (current or older layout) and writes it to standard\n"
                               "output: all of it as JSON (dump), or one CSV row per work period (export).\n"
                               "The file is only read.\n";

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
    std::string out = "timer,project,kind,start,stop,duration_seconds\r\n";
    for (const TMyTimer& timer : content.Model.Timers) {
        const std::string project = ProjectName(content.Model.Projects, timer.ProjectId);
        CsvRows(out, timer, project, timer.ActivePeriods, "active");
        CsvRows(out, timer, project, timer.BackgroundPeriods, "background");
    }
    return out;
}

int RunDataTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    std::vector<std::string> plain;
    bool csv = false;
    for (const std::string& arg : args) {
        if (arg == "--csv") {
            csv = true;
        } else {
            plain.push_back(arg);
        }
    }
    const bool dump = plain.size() == 2 && plain[0] == "dump" && !csv;
    const bool exportCsv = plain.size() == 2 && plain[0] == "export" && csv;
    if (!dump && !exportCsv) {
        err << kUsage;
        return 2;
    }
    const std::string& path = plain[1];
    try {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            err << "tallyhour-data: " << path << ": no such file\n";
            return 1;
        }
        const DataFileContent content = ReadDataFileContent(path);
        if (dump) {
            // Texts are bytes; any that are not UTF-8 show as U+FFFD.
            out << DumpJson(content).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        } else {
            out << ExportCsv(content);
        }
        out.flush();
        if (!out) {
            err << "tallyhour-data: cannot write the output\n";
            return 1;
        }
    } catch (const std::exception& e) {
        err << "tallyhour-data: " << path << ": not a readable data file: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace tally::datatool

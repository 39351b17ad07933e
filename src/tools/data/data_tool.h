#pragma once

#include "model/time_model.h"
#include "storage/data_format.h"
#include "storage/legacy_format.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace tally::datatool {

// Everything a data file holds, and how it was read.
struct DataFileContent
{
    std::string Path;
    TimeModel Model;
    DataFormat Format = DataFormat::Current;
    // Version text of a current-format file.
    std::string Version;
    // Markers found beside an older file.
    LegacyMarkers Markers;
};

// Reads the file as the program would at start-up, but changes nothing on
// disk. A file that cannot be read whole throws DataFileError.
DataFileContent ReadDataFileContent(const std::string& path);

nlohmann::ordered_json DumpJson(const DataFileContent& content);

// One row per work period: timer, project, kind, start, stop, seconds.
std::string ExportCsv(const DataFileContent& content);

// The command line without the program name; returns the exit status.
int RunDataTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tally::datatool

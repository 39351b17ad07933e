#pragma once

#include "model/project.h"
#include "model/timer_list.h"
#include "storage/mem_file_stream.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tally {

// Files of older versions carry no header and do not record which of three
// layouts they have; the user picks it with empty marker files beside the
// data file.
inline constexpr std::string_view kMarkerLoadATime = "loadatime.txt";
inline constexpr std::string_view kMarkerNotLoadProjectId = "notloadprojectid.txt";
inline constexpr std::string_view kMarkerNotLoadProjects = "notloadprojects.txt";

struct LegacyMarkers
{
    // Each timer record ends with 16 more bytes, read and dropped.
    bool LoadATime = false;
    // Timer records hold no project id.
    bool NotLoadProjectId = false;
    // The file has no project section.
    bool NotLoadProjects = false;

    friend bool operator==(const LegacyMarkers&, const LegacyMarkers&) = default;
};

// Looks for the marker files in dir, by name only.
LegacyMarkers FindLegacyMarkers(const std::filesystem::path& dir);

// Reads an older file from the start of the stream: big-endian integers,
// doubles split into two integers, texts for booleans and money as whole
// units and hundredths. Every timer and project joins its list as soon as
// it is begun, so a damaged file throws DataFileError and leaves the item
// being read in the list with the fields read so far.
void ReadLegacyData(TMemFileStream& stream, const LegacyMarkers& markers, TimerList& timers, ProjectList& projects);

// The amount of a money pair (whole units, hundredths).
Money LegacyMoney(std::int32_t whole, std::int32_t hundredths);

} // namespace tally

#pragma once

#include "model/project.h"
#include "model/timer_list.h"
#include "storage/mem_file_stream.h"

#include <string>
#include <string_view>

namespace tally {

class TBrisvaleLog;

// The first text of every data file in the current layout; anything else is
// an older file without a header.
inline constexpr std::string_view kDataFileHeader = "Tallyhour Zide timers data file v1.1";
static_assert(kDataFileHeader.size() == 36);

// The sign before the item numbers in the load log ("Load №3"), in UTF-8 as
// every text of the run log.
inline constexpr std::string_view kNumeroSign = "\xE2\x84\x96";

enum class DataFormat {
    Current,
    Legacy,
};

// The complete file image: header, version text, every timer and every
// project in list order.
TMemFileStream WriteDataImage(const TimerList& timers, const ProjectList& projects, std::string_view programVersion);

// Whether the stream starts with the header text (a file too short for it
// does not). On a match the position is after it, otherwise unchanged.
bool ReadDataHeader(TMemFileStream& stream);

// Reads the rest of a current-format file, from the version text on, logging
// each step; version receives the version text as soon as it is read. Timers and projects are appended
// only once read whole. A damaged file throws DataFileError naming the item
// and offset; what was read completely before stays in the lists.
void ReadDataBody(
    TMemFileStream& stream, TimerList& timers, ProjectList& projects, TBrisvaleLog& log, std::string& version);

// Whether WriteLine at this level would write anything, so that the load
// loops build no text for a filtered line.
bool LogWants(const TBrisvaleLog& log, int level);

} // namespace tally

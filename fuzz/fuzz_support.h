#pragma once

#include "model/time_model.h"
#include "platform/clock.h"
#include "storage/data_format.h"
#include "storage/mem_file_stream.h"
#include "storage/storage_error.h"

#include <cstdlib>
#include <string>

namespace tally::fuzz {

// The run log wants a clock even while it is off.
class NoClock final : public Clock
{
public:
    ClockReading Read() const override { return {}; }
};

inline std::string ImageText(const TMemFileStream& stream)
{
    const auto bytes = stream.Bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Whatever was read must save into a file that reads back to the same data:
// saving it again gives the same bytes.
inline void CheckRoundTrip(const TimeModel& model, TBrisvaleLog& log)
{
    const TMemFileStream first = WriteDataImage(model.Timers, model.Projects, "fuzz");
    TMemFileStream reread(first.Bytes());
    TimeModel again;
    std::string version;
    if (!ReadDataHeader(reread)) {
        std::abort();
    }
    try {
        ReadDataBody(reread, again.Timers, again.Projects, log, version);
    } catch (const DataFileError&) {
        std::abort();
    }
    const TMemFileStream second = WriteDataImage(again.Timers, again.Projects, version);
    if (ImageText(first) != ImageText(second)) {
        std::abort();
    }
}

} // namespace tally::fuzz

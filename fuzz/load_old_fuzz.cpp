// The older-layout import on arbitrary bytes; the first byte picks the marker
// files (bit 0 loadatime, bit 1 notloadprojectid, bit 2 notloadprojects).

#include "fuzz_support.h"
#include "runlog/brisvale_log.h"
#include "storage/legacy_format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tally;
    static fuzz::NoClock clock;
    static TBrisvaleLog log(clock);
    if (size == 0) {
        return 0;
    }
    const LegacyMarkers markers {(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};

    TMemFileStream stream(std::span<const std::uint8_t>(data + 1, size - 1));
    TimeModel model;
    try {
        ReadLegacyData(stream, markers, model.Timers, model.Projects);
    } catch (const DataFileError&) {
        // Damaged input: what was begun stays and must still save.
    }
    if (markers.NotLoadProjectId) {
        for (const TMyTimer& timer : model.Timers) {
            if (timer.ProjectId != 0) {
                std::abort();
            }
        }
    }
    fuzz::CheckRoundTrip(model, log);
    return 0;
}

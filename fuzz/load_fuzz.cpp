// The data file reader on arbitrary bytes: header test, then the current
// layout or the older one, as the program's start-up does.

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

    TMemFileStream stream(std::span<const std::uint8_t>(data, size));
    TimeModel model;
    std::string version;
    try {
        if (ReadDataHeader(stream)) {
            ReadDataBody(stream, model.Timers, model.Projects, log, version);
        } else {
            stream.Rewind();
            ReadLegacyData(stream, {}, model.Timers, model.Projects);
        }
    } catch (const DataFileError&) {
        // Damaged input: what was read stays and must still save.
    }
    fuzz::CheckRoundTrip(model, log);
    return 0;
}

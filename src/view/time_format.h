#pragma once

#include <string>
#include <string_view>

namespace tally {

// The display format of a time field (hours "H"/"HH"/"h"/"hh", "mm", "ss",
// "AP"/"ap", other text quoted) that shows a time as the C library's time
// pattern does (the locale's long time, "%X", e.g. "%I:%M:%S %p"). Parts with
// no equivalent (time zones, weekdays) are left out.
std::string TimeEditFormat(std::string_view strftimePattern);

} // namespace tally

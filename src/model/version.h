#pragma once

#include <string_view>

namespace tally {

// The program's version text. Windows builds read the same value from the
// executable's version resource; elsewhere this constant is the only source.
inline constexpr std::string_view kProgramVersion = "1.1.0.363";

} // namespace tally

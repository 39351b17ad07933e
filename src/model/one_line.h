#pragma once

#include <string>
#include <string_view>

namespace tally {

// A name takes one line: each line break (CR, LF or CR LF) and tab of a
// pasted text becomes one space.
std::string OneLine(std::string_view text);

} // namespace tally

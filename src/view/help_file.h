#pragma once

#include <string>

namespace tally {

// The manual "Help" opens, for the folder that holds the program file: a
// "help.chm" there when one exists, else our own manual installed beside the
// program (help/index.html).
std::string HelpFile(const std::string& programFolder);

} // namespace tally

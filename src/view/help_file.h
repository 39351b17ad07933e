#pragma once

#include <string>

namespace tally {

// The manual "Help" opens, for the folder that holds the program file: a
// "help.chm" there when one exists, else our own manual: beside the program
// (help/index.html, as in a build tree or a portable folder) or, for a program
// installed into <prefix>/bin, in <prefix>/share/tallyhour-zide/help/. When
// neither exists the path beside the program is returned.
std::string HelpFile(const std::string& programFolder);

} // namespace tally

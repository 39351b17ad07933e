#pragma once

#include <QString>

#include <string>
#include <vector>

namespace tally {

// The program's loadable parts (the statistics window, the click sound):
// each is loaded when first needed, so that its libraries are not mapped
// by a program that lives in the tray without it. A part is looked for
// beside the program (a build tree, a portable folder), then in the
// installed program's library folder; it must come from the program's own
// build, and is never unloaded.
class PartModule
{
public:
    // Where FILE_NAME is looked for, first found wins.
    static std::vector<std::string> Candidates(const std::string& programFile, const char* fileName);

    // The part's function SYMBOL, or null with PROBLEM saying why.
    static void* Open(const std::string& programFile, const char* fileName, const char* symbol, QString& problem);
};

} // namespace tally

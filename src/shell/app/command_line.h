#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tally {

inline constexpr const char* kProgramName = "tallyhour-zide";

enum class CommandLineAction { Run, Help, Version, Refuse };

// Reads the command line before the toolkit starts, so that --help and
// --version work without a display. Only the toolkit's options the program
// passes on are accepted: a mistyped option is reported instead of silently
// ignored. On Refuse, problem says why.
CommandLineAction ReadCommandLine(int argc, char** argv, std::string& problem);

// The usage text, with where this system keeps the data.
void PrintUsage(std::ostream& out);

// "tallyhour-zide 1.2.3.4" and a line end.
void PrintVersion(std::ostream& out);

// The value given to a toolkit option that takes one ("display" for
// "-display :1"), the last one when given twice; nothing when not given.
// Call on a command line that ReadCommandLine accepted.
std::optional<std::string> ToolkitOptionValue(int argc, char** argv, std::string_view option);

// Answers --help, --version and a wrong command line on the standard
// streams. Returns the exit status when the program ends here, nothing when
// it should run. beforeOutput runs before anything is printed (a program
// without a console of its own finds its parent's).
std::optional<int> AnswerCommandLine(int argc, char** argv, const std::function<void()>& beforeOutput = {});

} // namespace tally

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tally {

// Splits text into lines at CR LF, a lone LF or a lone CR. A final line break
// ends the last line and does not start an empty one.
std::vector<std::string> SplitLogLines(std::string_view text);

// Drops up to `count` lines from index 2 on (the caption and the empty line
// after it stay) and writes the rest back with CR LF ends. The new content
// goes to a temporary file beside the log first and replaces it by rename, so
// an interrupted shift leaves the old log whole. Returns false on failure
// without touching the log.
bool ShiftLogFile(const std::string& path, int count) noexcept;

// The file to continue a full log in: a `digits`-digit number, "_" and the
// stem, in the log's folder. A name that begins with four digits and "_" is
// followed by the next number (kept to `digits` digits); existing files are
// skipped. Empty when every
// number is taken or the folder cannot be probed.
std::optional<std::string> NextLogFileName(const std::string& path, int digits) noexcept;

} // namespace tally

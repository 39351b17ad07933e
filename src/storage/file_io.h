#pragma once

#include "storage/mem_file_stream.h"

#include <cstdint>
#include <span>
#include <string>

namespace tally {

// Whole-file reads and writes for the data file. Failures throw
// DataFileError naming the file and the reason.

// Reads the whole file in one go, positioned at 0.
TMemFileStream ReadWholeFile(const std::string& path);

// Replaces the file at path with bytes so that a crash at any moment leaves
// either the old or the new content: the bytes go to a temporary file beside
// it, are flushed to the disk and renamed over the target. A target that
// exists but cannot be opened for writing is refused, as it would be by an
// in-place rewrite. A symbolic link is followed, and the replaced file keeps
// its permission bits.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes bytes to a new file; false when the name is taken.
bool WriteNewFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace tally

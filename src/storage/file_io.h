#pragma once

#include "platform/file_system.h"
#include "storage/mem_file_stream.h"

#include <cstdint>
#include <span>
#include <string>

namespace tally {

// Whole-file reads and writes for the data file, through the file-system
// interface. Failures throw DataFileError naming the file and the reason.

// Reads the whole file in one go, positioned at 0.
TMemFileStream ReadWholeFile(FileSystem& files, const std::string& path);

// Replaces the file at path with bytes so that a crash at any moment leaves
// either the old or the new content: the bytes go to a temporary file beside
// it, are flushed to the disk and renamed over the target. A target that
// exists but cannot be opened for writing is refused, as it would be by an
// in-place rewrite. A symbolic link is followed, and the replaced file keeps
// its permission bits. A failed step leaves the old file and no temporary
// file. Without durable the bytes are not flushed to the disk (a crash may
// then lose the change, never the old content's wholeness).
void WriteFileAtomically(FileSystem& files,
                         const std::string& path,
                         std::span<const std::uint8_t> bytes,
                         bool durable = true);

// Writes bytes to a new file; false when the name is taken.
bool WriteNewFile(FileSystem& files, const std::string& path, std::span<const std::uint8_t> bytes);

// Removes the temporary file a save killed part-way left beside path.
void RemoveStaleTemporary(FileSystem& files, const std::string& path);

} // namespace tally

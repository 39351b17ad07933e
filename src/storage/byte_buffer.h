#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tally {

class FileSystem;

struct FreeBytes
{
    void operator()(std::uint8_t* bytes) const noexcept;
};

using ByteBuffer = std::unique_ptr<std::uint8_t[], FreeBytes>;

// Uninitialised bytes; throws std::bad_alloc. With an adviser, a large
// buffer is aligned and offered to the system for huge pages where it has
// them: a heavy user's data file is tens of megabytes, and on some machines
// (virtual ones above all) faulting that in page by page costs more than
// reading the file.
ByteBuffer AllocateBytes(std::size_t size, FileSystem* adviser = nullptr);

} // namespace tally

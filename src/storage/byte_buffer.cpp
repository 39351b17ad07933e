#include "storage/byte_buffer.h"

#include "platform/file_system.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace tally {

namespace {

constexpr std::size_t kHugePage = std::size_t {2} << 20;
constexpr std::size_t kHugeThreshold = std::size_t {4} << 20;

} // namespace

void FreeBytes::operator()(std::uint8_t* bytes) const noexcept
{
    std::free(bytes);
}

ByteBuffer AllocateBytes(std::size_t size, [[maybe_unused]] FileSystem* adviser)
{
    void* bytes = nullptr;
#ifndef _WIN32 // the Windows C library has no aligned_alloc
    if (adviser != nullptr && size >= kHugeThreshold && size <= SIZE_MAX - kHugePage) {
        const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        bytes = std::aligned_alloc(kHugePage, rounded);
        if (bytes != nullptr) {
            adviser->AdviseHugePages(bytes, rounded);
        }
    }
#endif
    if (bytes == nullptr) {
        bytes = std::malloc(size > 0 ? size : 1);
    }
    if (bytes == nullptr) {
        throw std::bad_alloc();
    }
    return ByteBuffer(static_cast<std::uint8_t*>(bytes));
}

} // namespace tally

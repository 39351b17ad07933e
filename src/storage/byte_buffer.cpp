#include "storage/byte_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tally {

namespace {

#ifdef __linux__
constexpr std::size_t kHugePage = std::size_t {2} << 20;
constexpr std::size_t kHugeThreshold = std::size_t {4} << 20;
#endif

} // namespace

void FreeBytes::operator()(std::uint8_t* bytes) const noexcept
{
    std::free(bytes);
}

ByteBuffer AllocateBytes(std::size_t size)
{
    void* bytes = nullptr;
#ifdef __linux__
    if (size >= kHugeThreshold && size <= SIZE_MAX - kHugePage) {
        const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        bytes = std::aligned_alloc(kHugePage, rounded);
        if (bytes != nullptr) {
            // Only advice: without huge pages the buffer works the same.
            ::madvise(bytes, rounded, MADV_HUGEPAGE);
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

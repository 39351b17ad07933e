#include "byte_writer.h"
#include "storage/mem_file_stream.h"

#include <gtest/gtest.h>

namespace tally::test {
namespace {

// The older import keeps fields read before a failure, so a failed read
// must consume nothing, not even the length of a text.
TEST(MemFileStream, FailedReadsConsumeNothing)
{
    TMemFileStream stream(ByteWriter().Int(5).Raw("abc").Bytes());
    EXPECT_THROW(stream.ReadDouble(), StreamReadError);
    try {
        stream.ReadString();
        FAIL() << "read past the end";
    } catch (const StreamReadError& e) {
        EXPECT_EQ(e.Offset(), 0U);
    }
    EXPECT_EQ(stream.Position(), 0U);

    TMemFileStream split(std::string("\0\0\0\0\x3F\xF0\0", 7));
    EXPECT_THROW(split.ReadSplitDoubleBE(), StreamReadError);
    EXPECT_EQ(split.Position(), 0U);
}

TEST(MemFileStream, GrowsIntoLargeBuffers)
{
    // Past the size at which buffers are placed for huge pages.
    constexpr int kCount = 2'000'000;
    TMemFileStream stream;
    for (int i = 0; i < kCount; ++i) {
        stream.WriteInteger(i);
    }
    EXPECT_EQ(stream.Size(), 4U * kCount);
    stream.Rewind();
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(stream.ReadInteger(), i);
    }
    EXPECT_THROW(stream.ReadByte(), StreamReadError);
}

} // namespace
} // namespace tally::test

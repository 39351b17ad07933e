#include "byte_writer.h"
#include "storage/mem_file_stream.h"

#include <gtest/gtest.h>

#include <string>

namespace tally::test {
namespace {

std::string Content(const TMemFileStream& stream)
{
    const auto bytes = stream.Bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

TEST(MemFileStream, PrimitivesAreLittleEndian)
{
    TMemFileStream stream;
    stream.WriteInteger(-2);
    stream.WriteByte(1);
    stream.WriteDouble(1.0);
    stream.WriteString("");
    stream.WriteString("ab");
    EXPECT_EQ(Content(stream),
              std::string("\xFE\xFF\xFF\xFF"
                          "\x01"
                          "\0\0\0\0\0\0\xF0\x3F"
                          "\0\0\0\0"
                          "\x02\0\0\0ab",
                          4 + 1 + 8 + 4 + 6));

    stream.Rewind();
    EXPECT_EQ(stream.ReadInteger(), -2);
    EXPECT_EQ(stream.ReadByte(), 1);
    EXPECT_EQ(stream.ReadDouble(), 1.0);
    EXPECT_EQ(stream.ReadString(), "");
    EXPECT_EQ(stream.ReadString(), "ab");
    EXPECT_EQ(stream.Remaining(), 0U);
}

TEST(MemFileStream, ReadsNeverPassTheEndAndLeaveThePosition)
{
    TMemFileStream stream(std::string("\x01\x02\x03", 3));
    EXPECT_THROW(stream.ReadInteger(), StreamReadError);
    EXPECT_THROW(stream.ReadDouble(), StreamReadError);
    EXPECT_THROW(stream.Skip(4), StreamReadError);
    EXPECT_EQ(stream.Position(), 0U);
    stream.Skip(3);
    EXPECT_THROW(stream.ReadByte(), StreamReadError);

    // A text announcing more bytes than are left.
    TMemFileStream text(ByteWriter().Int(5).Raw("abcd").Bytes());
    try {
        text.ReadString();
        FAIL() << "read past the end";
    } catch (const StreamReadError& e) {
        EXPECT_EQ(e.Offset(), 0U);
    }
    EXPECT_EQ(text.Position(), 0U);
}

TEST(MemFileStream, TextLengthsOutsideTheBufferSizeAreInvalid)
{
    const std::string longest(65556, 'x');
    TMemFileStream ok(ByteWriter().Text(longest).Bytes());
    EXPECT_EQ(ok.ReadString(), longest);

    for (const std::int64_t length : {65557LL, -1LL, -2147483648LL}) {
        TMemFileStream bad(ByteWriter().Int(length).Raw(std::string(70000, 'x')).Bytes());
        EXPECT_THROW(bad.ReadString(), StreamReadError) << length;
        TMemFileStream badBE(ByteWriter().IntBE(length).Raw(std::string(70000, 'x')).Bytes());
        EXPECT_THROW(badBE.ReadStringBE(), StreamReadError) << length;
    }
}

TEST(MemFileStream, OlderLayoutReadsBigEndianAndSplitDoubles)
{
    // 1.0 is 00 00 00 00 00 00 F0 3F in memory and 00 00 00 00 3F F0 00 00 in the older file.
    TMemFileStream stream(std::string("\0\0\0\0\x3F\xF0\0\0"
                                      "\xFF\xFF\xFF\xFE"
                                      "\0\0\0\x03xyz",
                                      8 + 4 + 7));
    EXPECT_EQ(stream.ReadSplitDoubleBE(), 1.0);
    EXPECT_EQ(stream.ReadIntegerBE(), -2);
    EXPECT_EQ(stream.ReadStringBE(), "xyz");

    TMemFileStream half(std::string("\0\0\0\0\x3F\xF0\0", 7));
    EXPECT_THROW(half.ReadSplitDoubleBE(), StreamReadError);
    EXPECT_EQ(half.Position(), 0U);
}

TEST(MemFileStream, OverlongTextIsCutAtACharacterBoundary)
{
    EXPECT_EQ(StoredTextLength(std::string(70000, 'x')), 65556U);
    // A three-byte character starting at 65555 would end at 65558.
    const std::string text = std::string(65555, 'x') + "\xE2\x84\x96" + "tail";
    EXPECT_EQ(StoredTextLength(text), 65555U);
    TMemFileStream stream;
    stream.WriteString(text);
    stream.Rewind();
    EXPECT_EQ(stream.ReadString(), std::string(65555, 'x'));
}

TEST(MemFileStream, GrowsAcrossManyWritesIntoLargeBuffers)
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

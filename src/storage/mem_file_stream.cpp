#include "storage/mem_file_stream.h"

#include <algorithm>
#include <cstring>

namespace tally {

namespace {

std::string OffsetText(std::size_t offset)
{
    return "offset " + std::to_string(offset);
}

} // namespace

TMemFileStream::TMemFileStream(std::span<const std::uint8_t> bytes)
{
    WriteBytes(bytes.data(), bytes.size());
    Rewind();
}

TMemFileStream::TMemFileStream(std::string_view bytes)
{
    WriteBytes(bytes.data(), bytes.size());
    Rewind();
}

TMemFileStream::TMemFileStream(ByteBuffer data, std::size_t size)
    : m_data(std::move(data))
    , m_size(size)
    , m_capacity(size)
{ }

void TMemFileStream::Reserve(std::size_t capacity)
{
    if (capacity <= m_capacity) {
        return;
    }
    ByteBuffer data = AllocateBytes(capacity);
    if (m_size > 0) {
        std::memcpy(data.get(), m_data.get(), m_size);
    }
    m_data = std::move(data);
    m_capacity = capacity;
}

void TMemFileStream::Expand(std::size_t count)
{
    const std::size_t needed = m_position + count;
    Reserve(std::max({needed, m_capacity * 2, std::size_t {256}}));
}

void TMemFileStream::FailEnd(std::size_t count, const char* what) const
{
    throw StreamReadError("unexpected end of data reading " + std::string(what) + " at " + OffsetText(m_position) + ": "
                              + std::to_string(count) + " bytes needed, " + std::to_string(Remaining()) + " left",
                          m_position);
}

void TMemFileStream::WriteBytes(const void* bytes, std::size_t count)
{
    if (count == 0) {
        return;
    }
    std::memcpy(Grow(count), bytes, count);
}

void TMemFileStream::WriteString(std::string_view text)
{
    const std::size_t length = StoredTextLength(text);
    WriteInteger(static_cast<std::int32_t>(length));
    WriteBytes(text.data(), length);
}

void TMemFileStream::ReadBytes(void* bytes, std::size_t count)
{
    Require(count, "bytes");
    if (count > 0) {
        std::memcpy(bytes, m_data.get() + m_position, count);
    }
    m_position += count;
}

void TMemFileStream::Skip(std::size_t count)
{
    Require(count, "bytes");
    m_position += count;
}

std::string TMemFileStream::ReadText(std::int32_t length, std::size_t lengthOffset)
{
    if (length < 0 || length > kMaxTextLength) {
        m_position = lengthOffset;
        throw StreamReadError("invalid text length " + std::to_string(length) + " at " + OffsetText(lengthOffset),
                              lengthOffset);
    }
    const auto count = static_cast<std::size_t>(length);
    if (!Has(count)) {
        const std::size_t left = Remaining();
        m_position = lengthOffset;
        throw StreamReadError("unexpected end of data in a text of " + std::to_string(length) + " bytes at "
                                  + OffsetText(lengthOffset) + ", " + std::to_string(left) + " left",
                              lengthOffset);
    }
    std::string text(reinterpret_cast<const char*>(m_data.get() + m_position), count);
    m_position += count;
    return text;
}

std::string TMemFileStream::ReadString()
{
    const std::size_t at = m_position;
    return ReadText(ReadInteger(), at);
}

std::int32_t TMemFileStream::ReadIntegerBE()
{
    Require(4, "integer");
    const std::uint8_t* p = m_data.get() + m_position;
    m_position += 4;
    const std::uint32_t v
        = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
    return static_cast<std::int32_t>(v);
}

double TMemFileStream::ReadSplitDoubleBE()
{
    Require(8, "double");
    const auto low = static_cast<std::uint32_t>(ReadIntegerBE());
    const auto high = static_cast<std::uint32_t>(ReadIntegerBE());
    return std::bit_cast<double>(std::uint64_t(high) << 32 | low);
}

std::string TMemFileStream::ReadStringBE()
{
    const std::size_t at = m_position;
    return ReadText(ReadIntegerBE(), at);
}

std::size_t StoredTextLength(std::string_view text)
{
    if (text.size() <= static_cast<std::size_t>(kMaxTextLength)) {
        return text.size();
    }
    std::size_t length = kMaxTextLength;
    // Back off continuation bytes so no character is split.
    for (int i = 0; i < 3 && length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80; ++i) {
        --length;
    }
    return length;
}

} // namespace tally

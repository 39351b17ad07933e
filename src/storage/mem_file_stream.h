#pragma once

#include "storage/byte_buffer.h"
#include "storage/storage_error.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tally {

// Longest text either file format holds: the read buffer of the older
// program versions. A longer or negative length marks a damaged file.
inline constexpr std::int32_t kMaxTextLength = 65556;

// A growable byte buffer with a read/write position. Its typed operations
// are the data file's primitive encodings: little-endian integers, IEEE 754
// doubles and texts as a 32-bit length followed by the bytes. The big-endian
// readers serve the older file layout.
//
// Every read checks the bytes left first and throws StreamReadError rather
// than pass the end; a failed read leaves the position where it was.
class TMemFileStream
{
public:
    TMemFileStream() = default;
    explicit TMemFileStream(std::span<const std::uint8_t> bytes);
    explicit TMemFileStream(std::string_view bytes);
    // Takes over a buffer of which the first size bytes are valid.
    TMemFileStream(ByteBuffer data, std::size_t size);

    TMemFileStream(TMemFileStream&&) noexcept = default;
    TMemFileStream& operator=(TMemFileStream&&) noexcept = default;

    std::size_t Size() const { return m_size; }
    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_size - m_position; }
    std::span<const std::uint8_t> Bytes() const { return {m_data.get(), m_size}; }
    void Rewind() { m_position = 0; }
    void Reserve(std::size_t capacity);

    void WriteBytes(const void* bytes, std::size_t count);
    void WriteByte(std::uint8_t value);
    void WriteInteger(std::int32_t value);
    void WriteDouble(double value);
    // Texts longer than kMaxTextLength are cut there (at a character
    // boundary) so that everything written reads back.
    void WriteString(std::string_view text);

    void ReadBytes(void* bytes, std::size_t count);
    void Skip(std::size_t count);
    std::uint8_t ReadByte();
    std::int32_t ReadInteger();
    double ReadDouble();
    std::string ReadString();

    std::int32_t ReadIntegerBE();
    // Two big-endian integers: the low 32 bits of the double, then the high.
    double ReadSplitDoubleBE();
    std::string ReadStringBE();

    // Whether the next count bytes are there.
    bool Has(std::size_t count) const { return count <= m_size - m_position; }

    // Throws StreamReadError naming what unless the next count bytes are there.
    void Require(std::size_t count, const char* what) const
    {
        if (!Has(count)) {
            FailEnd(count, what);
        }
    }

private:
    [[noreturn]] void FailEnd(std::size_t count, const char* what) const;
    std::uint8_t* Grow(std::size_t count)
    {
        if (count > m_capacity - m_position) {
            Expand(count);
        }
        std::uint8_t* at = m_data.get() + m_position;
        m_position += count;
        if (m_position > m_size) {
            m_size = m_position;
        }
        return at;
    }
    void Expand(std::size_t count);
    std::string ReadText(std::int32_t length, std::size_t lengthOffset);

    ByteBuffer m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_position = 0;
};

// The hot paths (periods are millions of doubles) stay inline. Values are
// assembled byte by byte so that the code does not depend on the host's
// byte order; compilers turn this into single loads and stores.

inline std::uint8_t TMemFileStream::ReadByte()
{
    Require(1, "byte");
    return m_data[m_position++];
}

inline std::int32_t TMemFileStream::ReadInteger()
{
    Require(4, "integer");
    const std::uint8_t* p = m_data.get() + m_position;
    m_position += 4;
    const std::uint32_t v
        = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(v);
}

inline double TMemFileStream::ReadDouble()
{
    Require(8, "double");
    const std::uint8_t* p = m_data.get() + m_position;
    m_position += 8;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return std::bit_cast<double>(v);
}

inline void TMemFileStream::WriteByte(std::uint8_t value)
{
    *Grow(1) = value;
}

inline void TMemFileStream::WriteInteger(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    std::uint8_t* p = Grow(4);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void TMemFileStream::WriteDouble(double value)
{
    auto v = std::bit_cast<std::uint64_t>(value);
    std::uint8_t* p = Grow(8);
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<std::uint8_t>(v);
        v >>= 8;
    }
}

// Length of text once cut to kMaxTextLength without splitting a UTF-8 sequence.
std::size_t StoredTextLength(std::string_view text);

} // namespace tally

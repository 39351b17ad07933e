#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace tally::test {

// Builds file images byte by byte, independently of the code under test.
class ByteWriter
{
public:
    ByteWriter& Byte(std::uint8_t value)
    {
        m_bytes.push_back(static_cast<char>(value));
        return *this;
    }
    ByteWriter& Raw(std::string_view bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }

    // Little-endian (the current layout).
    ByteWriter& Int(std::int64_t value)
    {
        const auto v = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            Byte(static_cast<std::uint8_t>(v >> shift));
        }
        return *this;
    }
    ByteWriter& Double(double value)
    {
        const auto v = std::bit_cast<std::uint64_t>(value);
        for (int shift = 0; shift < 64; shift += 8) {
            Byte(static_cast<std::uint8_t>(v >> shift));
        }
        return *this;
    }
    ByteWriter& Text(std::string_view text)
    {
        Int(static_cast<std::int64_t>(text.size()));
        return Raw(text);
    }

    // Big-endian (the older layout).
    ByteWriter& IntBE(std::int64_t value)
    {
        const auto v = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8) {
            Byte(static_cast<std::uint8_t>(v >> shift));
        }
        return *this;
    }
    // Low 32 bits first, then the high ones.
    ByteWriter& SplitDoubleBE(double value)
    {
        const auto v = std::bit_cast<std::uint64_t>(value);
        IntBE(static_cast<std::uint32_t>(v));
        return IntBE(static_cast<std::uint32_t>(v >> 32));
    }
    ByteWriter& TextBE(std::string_view text)
    {
        IntBE(static_cast<std::int64_t>(text.size()));
        return Raw(text);
    }

    const std::string& Bytes() const { return m_bytes; }
    std::size_t Size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};

} // namespace tally::test

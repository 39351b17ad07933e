#include "platform/x11/x11_text.h"

#include <cstdint>

namespace tally::x11 {

namespace {

void AppendCodePoint(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// Reads one code point at pos and advances pos; malformed input (overlong
// forms, surrogates, truncated sequences) gives U+FFFD for one byte.
std::uint32_t NextUtf8(std::string_view s, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    std::uint32_t cp = 0;
    std::uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

} // namespace

std::string DecodeText(std::string_view bytes, TextEncoding encoding, std::size_t maxCharacters)
{
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) {
        bytes = bytes.substr(0, nul);
    }
    std::string out;
    out.reserve(bytes.size());
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < bytes.size() && count < maxCharacters) {
        std::uint32_t cp = 0;
        if (encoding == TextEncoding::Latin1) {
            cp = static_cast<unsigned char>(bytes[pos++]);
        } else {
            cp = NextUtf8(bytes, pos);
        }
        AppendCodePoint(out, cp);
        ++count;
    }
    return out;
}

} // namespace tally::x11

#include "tracking/text_match.h"

#include <array>
#include <clocale>
#include <cstdint>
#include <cwchar>
#include <cwctype>

namespace tally {

namespace {

// Decodes one UTF-8 sequence at text[pos]; returns its length, or 0 when the
// bytes there are not a valid, shortest-form sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void EncodeUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t LowerCodePoint(char32_t cp)
{
    // wchar_t cannot hold every code point where it is 16 bits wide; those
    // outside its range stay as they are.
    if (cp > static_cast<char32_t>(WCHAR_MAX)) {
        return cp;
    }
    const std::wint_t lower = std::towlower(static_cast<std::wint_t>(cp));
    const auto result = static_cast<char32_t>(lower);
    // Keep the text valid UTF-8 whatever the locale's table says.
    if (result > 0x10FFFF || (result >= 0xD800 && result <= 0xDFFF)) {
        return cp;
    }
    return result;
}

// The locale's folding of the ASCII range, rebuilt when the C locale's
// character classes change. Names are nearly all ASCII, and asking towlower
// for every character costs more than the rest of a census together.
struct AsciiFold
{
    std::array<char32_t, 0x80> Lower {};
    std::array<bool, 0x80> StaysAscii {}; // folds to one ASCII byte
};

const AsciiFold& AsciiLowerTable()
{
    struct Table
    {
        std::string Locale;
        AsciiFold Fold;
        bool Filled = false;
    };
    thread_local Table table;
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    if (!table.Filled || locale == nullptr || table.Locale != locale) {
        for (char32_t cp = 0; cp < 0x80; ++cp) {
            table.Fold.Lower[cp] = LowerCodePoint(cp);
            table.Fold.StaysAscii[cp] = table.Fold.Lower[cp] < 0x80;
        }
        table.Locale = locale != nullptr ? locale : "";
        table.Filled = locale != nullptr;
    }
    return table.Fold;
}

} // namespace

std::string LowerCase(std::string_view text)
{
    const AsciiFold& ascii = AsciiLowerTable();
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A run of ASCII that stays ASCII is folded byte for byte.
        std::size_t end = pos;
        while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80
               && ascii.StaysAscii[static_cast<unsigned char>(text[end])]) {
            ++end;
        }
        if (end > pos) {
            const std::size_t at = out.size();
            out.resize(at + (end - pos));
            for (std::size_t i = pos; i < end; ++i) {
                out[at + (i - pos)] = static_cast<char>(ascii.Lower[static_cast<unsigned char>(text[i])]);
            }
            pos = end;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            // A locale may fold a letter out of the range (I to dotless i).
            EncodeUtf8(ascii.Lower[byte], out);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            out += text[pos];
            ++pos;
            continue;
        }
        EncodeUtf8(LowerCodePoint(cp), out);
        pos += length;
    }
    return out;
}

std::string_view FileNamePart(std::string_view path)
{
    const std::size_t last = path.find_last_of("/\\:");
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

} // namespace tally

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tally::x11 {

// How the bytes of a text property are to be read.
enum class TextEncoding {
    Utf8,   // UTF8_STRING, and anything we do not know
    Latin1, // STRING and COMPOUND_TEXT without charset switches
};

// Window captions are cut like a fixed caption buffer would cut them.
inline constexpr std::size_t kMaxCaptionCharacters = 1024;

// Valid UTF-8 from property bytes: the text ends at the first NUL, bytes that
// are not valid UTF-8 become U+FFFD, and at most maxCharacters code points
// are kept.
std::string
DecodeText(std::string_view bytes, TextEncoding encoding, std::size_t maxCharacters = kMaxCaptionCharacters);

} // namespace tally::x11

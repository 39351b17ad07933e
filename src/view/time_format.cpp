#include "view/time_format.h"

#include <cctype>

namespace tally {

namespace {

void AppendLiteral(std::string& out, char c)
{
    // Letters and quotes mean something in a display format; quote them.
    if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
        out += '\'';
        out += c;
        out += '\'';
    } else if (c == '\'') {
        out += "''";
    } else {
        out += c;
    }
}

void Convert(std::string_view pattern, std::string& out, int depth)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            AppendLiteral(out, pattern[i]);
            continue;
        }
        ++i;
        bool unpadded = false;
        // Flags and the E/O modifiers (alternative eras and digits).
        while (i + 1 < pattern.size() && std::string_view("-_0^#EO").find(pattern[i]) != std::string_view::npos) {
            unpadded = unpadded || pattern[i] == '-';
            ++i;
        }
        switch (pattern[i]) {
            case 'H':
                out += unpadded ? "H" : "HH";
                break;
            case 'k':
                out += "H";
                break;
            case 'I':
                out += unpadded ? "h" : "hh";
                break;
            case 'l':
                out += "h";
                break;
            case 'M':
                out += unpadded ? "m" : "mm";
                break;
            case 'S':
                out += unpadded ? "s" : "ss";
                break;
            case 'p':
                out += "AP";
                break;
            case 'P':
                out += "ap";
                break;
            case 'T':
                out += "HH:mm:ss";
                break;
            case 'R':
                out += "HH:mm";
                break;
            case 'r':
            case 'X':
                // Nested patterns one level deep only; "%X" inside "%X" is
                // not a pattern a locale gives.
                if (depth == 0) {
                    Convert(pattern[i] == 'r' ? "%I:%M:%S %p" : "%H:%M:%S", out, depth + 1);
                }
                break;
            case 'n':
            case 't':
                out += ' ';
                break;
            case '%':
                out += '%';
                break;
            default:
                break;
        }
    }
}

} // namespace

std::string TimeEditFormat(std::string_view strftimePattern)
{
    std::string out;
    Convert(strftimePattern, out, 0);
    return out;
}

} // namespace tally

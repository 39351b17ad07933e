#include "model/one_line.h"

namespace tally {

std::string OneLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
    }
    return out;
}

} // namespace tally

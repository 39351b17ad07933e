#include "storage/ini_document.h"

#include "model/text_trim.h"

#include <cwchar>
#include <locale>
#include <stdexcept>
#include <utility>

namespace tally {

namespace {

// For a file that has no line end yet; one that has keeps its own.
constexpr std::string_view kDefaultNewLine = "\n";

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// The name of a section header line.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    line = TrimLeft(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    return Trim(line.substr(0, line.find(']')));
}

struct KeyLine
{
    std::string_view Key;
    std::string_view Value;
};

bool StartsLikeNoKey(std::string_view trimmed)
{
    return trimmed.empty() || trimmed.front() == '[' || trimmed.front() == ';' || trimmed.front() == '#';
}

std::optional<KeyLine> KeyOf(std::string_view line)
{
    line = Trim(line);
    if (StartsLikeNoKey(line)) {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const auto key = Trim(line.substr(0, equals));
    if (key.empty()) {
        return std::nullopt;
    }
    return KeyLine {key, Trim(line.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// One character of UTF-8 text: its code point, or for a byte that does not
// start a well-formed sequence a value above the Unicode range, so that such
// bytes only ever equal themselves.
struct Character
{
    char32_t Code;
    std::size_t Length;
    bool Valid;
};

Character DecodeAt(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const Character invalid {0x110000u + lead, 1, false};
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return invalid;
    }
    if (text.size() - at < length) {
        return invalid;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u) {
            return invalid;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return invalid;
    }
    return {code, length, true};
}

char32_t AsciiLower(char32_t c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

} // namespace

bool EqualNoCase(std::string_view a, std::string_view b)
{
    // ASCII folds the same in every locale (no dotless i for "IdleInterval"
    // in a Turkish locale); other letters follow the user's locale.
    const std::ctype<wchar_t>* ctype = nullptr;
    auto fold = [&ctype](const Character& c) -> char32_t {
        if (c.Code < 0x80) {
            return AsciiLower(c.Code);
        }
        if (!c.Valid || c.Code > static_cast<char32_t>(WCHAR_MAX)) {
            return c.Code;
        }
        if (ctype == nullptr) {
            ctype = &std::use_facet<std::ctype<wchar_t>>(std::locale());
        }
        return static_cast<char32_t>(ctype->tolower(static_cast<wchar_t>(c.Code)));
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Character ca = DecodeAt(a, i);
        const Character cb = DecodeAt(b, j);
        if (ca.Code != cb.Code && fold(ca) != fold(cb)) {
            return false;
        }
        i += ca.Length;
        j += cb.Length;
    }
    return i == a.size() && j == b.size();
}

IniDocument::IniDocument()
    : IniDocument(std::string_view())
{ }

IniDocument::IniDocument(std::string_view text)
{
    if (text.substr(0, kBom.size()) == kBom) {
        m_bom = kBom;
        text.remove_prefix(kBom.size());
    }
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) {
            m_lines.push_back({std::string(text), std::string()});
            break;
        }
        const bool crlf = end > 0 && text[end - 1] == '\r';
        const auto length = crlf ? end - 1 : end;
        m_lines.push_back({std::string(text.substr(0, length)), crlf ? "\r\n" : "\n"});
        if (m_newLine.empty()) {
            m_newLine = m_lines.back().End;
        }
        text.remove_prefix(end + 1);
    }
    if (m_newLine.empty()) {
        // Built, then moved: GCC 12 at -O3 warns of a false overlap when a
        // string is assigned from a short constant in place.
        m_newLine = std::string(kDefaultNewLine);
    }
}

std::optional<std::size_t> IniDocument::FindKey(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string& line = m_lines[i].Text;
        if (const auto name = SectionOf(line)) {
            inSection = EqualNoCase(*name, section);
        } else if (inSection) {
            const auto found = KeyOf(line);
            if (found && EqualNoCase(found->Key, key)) {
                return i;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const
{
    const auto index = FindKey(Trim(section), Trim(key));
    if (!index) {
        return std::nullopt;
    }
    return std::string(Unquote(KeyOf(m_lines[*index].Text)->Value));
}

void IniDocument::InsertLine(std::size_t index, std::string text)
{
    if (index > 0 && m_lines[index - 1].End.empty()) {
        m_lines[index - 1].End = m_newLine;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), Line {std::move(text), m_newLine});
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    if (key.empty() || StartsLikeNoKey(key) || key.find('=') != std::string_view::npos || HasLineBreak(key)) {
        throw std::invalid_argument("settings key cannot be stored: " + std::string(key));
    }
    if (section.find(']') != std::string_view::npos || HasLineBreak(section)) {
        throw std::invalid_argument("settings section cannot be stored: " + std::string(section));
    }
    if (HasLineBreak(value)) {
        throw std::invalid_argument("settings value for " + std::string(key) + " holds a line break");
    }

    if (const auto index = FindKey(section, key)) {
        // Keep the spelling of the name as the file has it.
        Line& line = m_lines[*index];
        line.Text = std::string(KeyOf(line.Text)->Key) + "=" + std::string(value);
        return;
    }
    const std::string entry = std::string(key) + "=" + std::string(value);

    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionOf(m_lines[i].Text);
        if (!name || !EqualNoCase(*name, section)) {
            continue;
        }
        // After the section's last key, so that comments and blank lines
        // ahead of the next section stay with it.
        std::size_t at = i + 1;
        for (std::size_t j = i + 1; j < m_lines.size() && !SectionOf(m_lines[j].Text); ++j) {
            if (KeyOf(m_lines[j].Text)) {
                at = j + 1;
            }
        }
        InsertLine(at, entry);
        return;
    }

    if (!m_lines.empty() && !Trim(m_lines.back().Text).empty()) {
        InsertLine(m_lines.size(), std::string());
    }
    std::string header(1, '[');
    header.append(section).push_back(']');
    InsertLine(m_lines.size(), std::move(header));
    InsertLine(m_lines.size(), entry);
}

std::string IniDocument::Text() const
{
    std::string text = m_bom;
    for (const Line& line : m_lines) {
        text += line.Text;
        text += line.End;
    }
    return text;
}

} // namespace tally

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tally {

// The text of a settings file of the INI kind, edited line by line so that
// everything a write does not touch (comments, blank lines, lines that are
// neither headers nor keys, the order and the line endings) stays as it was.
//
// Reading: "[name]" starts a section; "key=value" inside a section is a key;
// lines starting with ';' or '#' are comments. Section and key names match
// whatever their case; names and values are trimmed, and a value enclosed in
// a pair of matching quotes loses them. When a name occurs more than once,
// the first occurrence in the file wins, and sections of the same name count
// as one.
class IniDocument
{
public:
    IniDocument();
    explicit IniDocument(std::string_view text);

    // The value, or nothing when the section or key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces the key's line, or adds the key at the end of its section, or
    // adds the section at the end of the text. Names are trimmed. Throws
    // std::invalid_argument for a name or value that would not read back as
    // written: an empty key, a line break anywhere, '=' in a key, ']' in a
    // section name, a key starting with '[', ';' or '#'.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

private:
    struct Line
    {
        std::string Text;
        std::string End; // "\r\n", "\n" or empty for a last line without one
    };

    // The index of the key's line, if any.
    std::optional<std::size_t> FindKey(std::string_view section, std::string_view key) const;
    void InsertLine(std::size_t index, std::string text);

    std::string m_bom;
    std::vector<Line> m_lines;
    // Taken from the text's first line end; new lines use it.
    std::string m_newLine;
};

// Whether two names are equal ignoring case, by the global locale's rules
// for UTF-8 text (bytes that are not UTF-8 compare exactly, ASCII folded).
bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace tally

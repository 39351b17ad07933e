#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QRect>

#include <array>
#include <optional>
#include <string_view>

class QPainter;

namespace tally {

// Draws clock readings ("12:05:09", "-0:00:01") from glyphs shaped once, as
// the general text path would draw them: the list repaints several of them
// every second, and shaping each anew is most of a repaint's cost. Used only
// when this font shapes every pair of these characters as the characters
// alone (no kerning, no ligatures); otherwise Draw always declines.
class ClockTextPainter
{
public:
    explicit ClockTextPainter(const QFont& font);

    // Draws text at the top left of rect, as QPainter::drawText with
    // Qt::AlignLeft | Qt::TextSingleLine would. False, with nothing drawn,
    // when the text has another character or is wider than rect: the caller
    // draws it the general way.
    bool Draw(QPainter& painter, const QRect& rect, std::string_view text) const;
    bool Usable() const { return m_usable; }

    // Where a line that Draw drew in rect changes when its text goes from
    // before to after: from the first glyph that differs to the end of the
    // longer text, and from the top to the bottom of this font's ink for
    // these characters, widened by the ink's reach beyond the glyphs'
    // advances; within rect. Empty when Draw would decline either text (the
    // whole line may change then); an empty rectangle when nothing changes.
    std::optional<QRect> ChangedRect(std::string_view before, std::string_view after, const QRect& rect) const;

private:
    static constexpr std::string_view kCharacters = "0123456789:-";
    static constexpr std::size_t kMaxLength = 24;

    // The text laid out from the glyphs shaped once; empty when Draw would
    // decline it for its characters or its length.
    struct Laid
    {
        std::array<quint32, kMaxLength> Glyphs {};
        std::array<QPointF, kMaxLength> At {}; // where each glyph starts
        std::size_t Count = 0;
        qreal Width = 0;
    };
    std::optional<Laid> Lay(std::string_view text) const;

    bool m_usable = false;
    QRawFont m_rawFont;
    qreal m_baseline = 0;
    std::array<quint32, kCharacters.size()> m_glyphs {};
    std::array<qreal, kCharacters.size()> m_advances {};
    // How far any glyph's ink reaches left of its origin and right of its
    // advance, and its rows from the line's top, in whole pixels.
    int m_reachLeft = 0;
    int m_reachRight = 0;
    int m_inkTop = 0;
    int m_inkBottom = 0; // one past
};

} // namespace tally

#include "shell/clock_text.h"

#include <QPainter>
#include <QRect>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tally {

namespace {

// One line of text laid out as the painter lays it out; empty when it does
// not come out as one run of one glyph per character.
std::optional<QGlyphRun> LaidOut(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs.front().glyphIndexes().size() != text.size()) {
        return std::nullopt;
    }
    return runs.front();
}

} // namespace

ClockTextPainter::ClockTextPainter(const QFont& font)
{
    const QString all = QString::fromLatin1(kCharacters.data(), static_cast<qsizetype>(kCharacters.size()));
    // Each character's advance is measured before a character of the set,
    // where the layout places the next glyph.
    const std::optional<QGlyphRun> reference = LaidOut(all + all.front(), font);
    if (!reference) {
        return;
    }
    const QList<QPointF> at = reference->positions();
    for (std::size_t i = 0; i < kCharacters.size(); ++i) {
        m_glyphs[i] = reference->glyphIndexes()[static_cast<qsizetype>(i)];
        m_advances[i] = at[static_cast<qsizetype>(i) + 1].x() - at[static_cast<qsizetype>(i)].x();
        if (at[static_cast<qsizetype>(i)].y() != at.front().y()) {
            return;
        }
    }
    if (at.front().x() != 0) {
        return;
    }
    // Every pair must come out as its two characters side by side; a kerned
    // or joined pair would look different from the general path.
    for (std::size_t a = 0; a < kCharacters.size(); ++a) {
        for (std::size_t b = 0; b < kCharacters.size(); ++b) {
            const QString pair = QString(QLatin1Char(kCharacters[a])) + QLatin1Char(kCharacters[b]);
            const std::optional<QGlyphRun> run = LaidOut(pair, font);
            if (!run || run->glyphIndexes()[0] != m_glyphs[a] || run->glyphIndexes()[1] != m_glyphs[b]
                || run->positions()[0] != QPointF(0, at.front().y())
                || run->positions()[1] != QPointF(m_advances[a], at.front().y())) {
                return;
            }
        }
    }
    m_rawFont = reference->rawFont();
    m_baseline = at.front().y();
    qreal left = 0;
    qreal right = 0;
    qreal top = 0;
    qreal bottom = 0;
    for (std::size_t i = 0; i < kCharacters.size(); ++i) {
        const QRectF ink = m_rawFont.boundingRect(m_glyphs[i]);
        left = std::max(left, -ink.left());
        right = std::max(right, ink.right() - m_advances[i]);
        top = std::min(top, ink.top());
        bottom = std::max(bottom, ink.bottom());
    }
    // One pixel more each side for the antialiased edge of a glyph placed at
    // a fraction of a pixel.
    m_reachLeft = static_cast<int>(std::ceil(left)) + 1;
    m_reachRight = static_cast<int>(std::ceil(right)) + 1;
    m_inkTop = static_cast<int>(std::floor(m_baseline + top)) - 1;
    m_inkBottom = static_cast<int>(std::ceil(m_baseline + bottom)) + 1;
    m_usable = true;
}

int ClockTextPainter::Slot(char c) const
{
    const std::size_t at = kCharacters.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::optional<qreal> ClockTextPainter::Advance(std::string_view text, std::size_t length) const
{
    if (!m_usable || text.empty() || text.size() > kMaxLength) {
        return std::nullopt;
    }
    qreal x = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int slot = Slot(text[i]);
        if (slot < 0) {
            return std::nullopt;
        }
        if (i < length) {
            x += m_advances[static_cast<std::size_t>(slot)];
        }
    }
    return x;
}

std::optional<QRect>
ClockTextPainter::ChangedRect(std::string_view before, std::string_view after, const QRect& rect) const
{
    const std::optional<qreal> wholeBefore = Advance(before, before.size());
    const std::optional<qreal> wholeAfter = Advance(after, after.size());
    // Too wide, a text is cut by the general path: anything may change.
    if (!wholeBefore || !wholeAfter || *wholeBefore > rect.width() || *wholeAfter > rect.width()) {
        return std::nullopt;
    }
    const auto differ = std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    const auto same = static_cast<std::size_t>(differ.first - before.begin());
    if (same == before.size() && same == after.size()) {
        return QRect();
    }
    const qreal from = *Advance(before, same);
    const int left = static_cast<int>(std::floor(from)) - m_reachLeft;
    const int right = static_cast<int>(std::ceil(std::max(*wholeBefore, *wholeAfter))) + m_reachRight;
    return QRect(rect.left() + left, rect.top() + m_inkTop, right - left, m_inkBottom - m_inkTop).intersected(rect);
}

bool ClockTextPainter::Draw(QPainter& painter, const QRect& rect, std::string_view text) const
{
    if (!m_usable || text.empty() || text.size() > kMaxLength) {
        return false;
    }
    std::array<quint32, kMaxLength> glyphs {};
    std::array<QPointF, kMaxLength> positions {};
    qreal x = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int slot = Slot(text[i]);
        if (slot < 0) {
            return false;
        }
        glyphs[i] = m_glyphs[static_cast<std::size_t>(slot)];
        positions[i] = QPointF(x, m_baseline);
        x += m_advances[static_cast<std::size_t>(slot)];
    }
    // Wider than the rectangle, the general path cuts it with an ellipsis.
    if (x > rect.width()) {
        return false;
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    const auto count = static_cast<qsizetype>(text.size());
    run.setRawData(glyphs.data(), positions.data(), count);
    painter.drawGlyphRun(rect.topLeft(), run);
    return true;
}

} // namespace tally

#include "shell/main_window/clock_text.h"

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

std::optional<ClockTextPainter::Laid> ClockTextPainter::Lay(std::string_view text) const
{
    if (!m_usable || text.empty() || text.size() > kMaxLength) {
        return std::nullopt;
    }
    Laid laid;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t slot = kCharacters.find(text[i]);
        if (slot == std::string_view::npos) {
            return std::nullopt;
        }
        laid.Glyphs[i] = m_glyphs[slot];
        laid.At[i] = QPointF(laid.Width, m_baseline);
        laid.Width += m_advances[slot];
    }
    laid.Count = text.size();
    return laid;
}

std::optional<QRect>
ClockTextPainter::ChangedRect(std::string_view before, std::string_view after, const QRect& rect) const
{
    const std::optional<Laid> was = Lay(before);
    const std::optional<Laid> is = Lay(after);
    // Too wide, a text is cut by the general path: anything may change.
    if (!was || !is || was->Width > rect.width() || is->Width > rect.width()) {
        return std::nullopt;
    }
    const auto differ = std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    const auto same = static_cast<std::size_t>(differ.first - before.begin());
    if (same == before.size() && same == after.size()) {
        return QRect();
    }
    const qreal from = same < was->Count ? was->At[same].x() : was->Width;
    const int left = static_cast<int>(std::floor(from)) - m_reachLeft;
    const int right = static_cast<int>(std::ceil(std::max(was->Width, is->Width))) + m_reachRight;
    return QRect(rect.left() + left, rect.top() + m_inkTop, right - left, m_inkBottom - m_inkTop).intersected(rect);
}

bool ClockTextPainter::Draw(QPainter& painter, const QRect& rect, std::string_view text) const
{
    const std::optional<Laid> laid = Lay(text);
    // Wider than the rectangle, the general path cuts it with an ellipsis.
    if (!laid || laid->Width > rect.width()) {
        return false;
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setRawData(laid->Glyphs.data(), laid->At.data(), static_cast<qsizetype>(laid->Count));
    painter.drawGlyphRun(rect.topLeft(), run);
    return true;
}

} // namespace tally

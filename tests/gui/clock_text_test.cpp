#include "shell/main_window/clock_text.h"
#include "shell/main_window/timer_list_view.h"

#include <QImage>
#include <QPainter>

#include "gui_fixture.h"

#include <gtest/gtest.h>

namespace tally {
namespace {

class ClockText : public test::GuiTest
{
protected:
    ClockText() { font.setPointSize(8); }

    QImage Blank(QImage::Format format) const
    {
        QImage image(120, 20, format);
        image.fill(Qt::black);
        return image;
    }

    QFont font {QStringLiteral("Arial")};
    const QRect rect {3, 2, 96, 14};
};

TEST_F(ClockText, DrawsClockReadingsAsTheGeneralTextPathDoes)
{
    const ClockTextPainter clock(font);
    // Fonts that kern digits leave the general path to draw everything.
    if (!clock.Usable()) {
        GTEST_SKIP() << "this machine's font kerns clock characters";
    }
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const char* text : {"0:00:00", "12:34:56", "-1:02:03", "100:59:59", "7:11:11", "596523:14:07"}) {
            QImage fast = Blank(format);
            QImage general = Blank(format);
            {
                QPainter p(&fast);
                p.setFont(font);
                p.setPen(QColor(0xA6, 0xCA, 0xF0));
                ASSERT_TRUE(clock.Draw(p, rect, text)) << text;
            }
            {
                QPainter p(&general);
                p.setFont(font);
                p.setPen(QColor(0xA6, 0xCA, 0xF0));
                p.drawText(rect, Qt::AlignLeft | Qt::TextSingleLine, QString::fromLatin1(text));
            }
            EXPECT_NE(fast, Blank(format)) << text;
            EXPECT_EQ(fast, general) << text << " in format " << format;
        }
    }
}

// A tick repaints only the span of a time line that changes; every pixel
// that differs between the two readings must lie inside it.
TEST_F(ClockText, ChangedRectHoldsEveryChangedPixelAndLittleMore)
{
    const ClockTextPainter clock(font);
    if (!clock.Usable()) {
        GTEST_SKIP() << "this machine's font kerns clock characters";
    }
    const auto drawn = [&](const char* text) {
        QImage image = Blank(QImage::Format_RGB32);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        EXPECT_TRUE(clock.Draw(p, rect, text));
        return image;
    };
    const std::pair<const char*, const char*> steps[] = {
        {"0:00:22", "0:00:23"},
        {"0:00:09", "0:00:10"},
        {"0:59:59", "1:00:00"},
        {"9:59:59", "10:00:00"},
        {"13:59:59", "0:00:01"},
        {"-0:00:01", "0:00:00"},
    };
    for (const auto& [before, after] : steps) {
        const auto changed = clock.ChangedRect(before, after, rect);
        ASSERT_TRUE(changed) << before;
        EXPECT_TRUE(rect.contains(*changed)) << before;
        const QImage a = drawn(before);
        const QImage b = drawn(after);
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    EXPECT_TRUE(changed->contains(x, y)) << before << " to " << after << " at " << x << "," << y;
                }
            }
        }
    }
    // One digit changing repaints about one digit, and not the rows of the
    // line that a neighbouring line's rectangle shares.
    const auto second = clock.ChangedRect("0:00:22", "0:00:23", rect);
    EXPECT_LT(second->width(), 16);
    EXPECT_LT(second->height(), rect.height());
    EXPECT_TRUE(clock.ChangedRect("1:00:00", "1:00:00", rect)->isEmpty());
    // Text drawn the general way may change anywhere.
    EXPECT_FALSE(clock.ChangedRect("0:00:22", "Mail", rect));
    EXPECT_FALSE(clock.ChangedRect("0:00:22", "0:00:23", QRect(0, 0, 20, 14)));
}

TEST_F(ClockText, DeclinesOtherTextAndTextTooWideWithoutDrawing)
{
    const ClockTextPainter clock(font);
    QImage image = Blank(QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    for (const char* text : {"", "Mail", "1 h", "12:34:56 ", "1:00:00\n", "0:00:00:00:00:00:00:00:00:00"}) {
        EXPECT_FALSE(clock.Draw(p, rect, text)) << text;
    }
    // Wider than its rectangle, a reading is cut by the general path.
    EXPECT_FALSE(clock.Draw(p, QRect(0, 0, 20, 14), "12:34:56"));
    p.end();
    EXPECT_EQ(image, Blank(QImage::Format_RGB32));
}

} // namespace
} // namespace tally

namespace tally {
namespace {

// The name line is laid out once and drawn again on every tick; it must look
// as the general path draws it, and follow renames and a narrower width.
TEST_F(ClockText, NameLineLooksAsTheGeneralPathAndFollowsItsName)
{
    TMyTimer timer;
    TimerListView list;
    list.SetTimers({&timer});
    const QFontMetrics& metrics = list.RowMetrics();
    const auto compare = [&](const std::string& name, int width) {
        QImage cached = Blank(QImage::Format_RGB32);
        QImage general = Blank(QImage::Format_RGB32);
        const QRect r(rect.topLeft(), QSize(width, rect.height()));
        {
            QPainter p(&cached);
            p.setFont(list.RowFont());
            p.setPen(Qt::white);
            p.drawStaticText(r.topLeft(), list.NameLine(0, name, width));
        }
        {
            QPainter p(&general);
            p.setFont(list.RowFont());
            p.setPen(Qt::white);
            p.drawText(r,
                       Qt::AlignLeft | Qt::TextSingleLine,
                       metrics.elidedText(QString::fromStdString(name), Qt::ElideRight, width));
        }
        EXPECT_NE(cached, Blank(QImage::Format_RGB32)) << name;
        EXPECT_EQ(cached, general) << name << " at width " << width;
    };
    compare("Mail & calendar", 96);
    compare("Mail & calendar", 96);
    compare("Ünïcödé 名前 and a name far too long for its line", 96);
    compare("Ünïcödé 名前 and a name far too long for its line", 40);
    compare("Editor", 40);
}

} // namespace
} // namespace tally

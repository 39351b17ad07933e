#include "model/datetime.h"
#include "model/settings_store.h"
#include "shell/app/application.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "shell/statistics/period_dialog.h"
#include "shell/statistics/stat_controller.h"
#include "shell/statistics/stat_window.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QWheelEvent>
#include <QtCharts/QValueAxis>

#include "gui_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tally {
namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;
// The fixture's clock: 2026-07-01 10:00.
const TDateTime kToday = EncodeDate(2026, 7, 1);

bool Near(QRgb pixel, const QColor& colour)
{
    const QColor p(pixel);
    return std::abs(p.red() - colour.red()) < 40 && std::abs(p.green() - colour.green()) < 40
           && std::abs(p.blue() - colour.blue()) < 40;
}

// The statistics window opened on its histogram page three days back, with
// two timers selected: "Write" (red) 2 h two days back and 1 h today,
// "Read" (blue) 1 h two days back.
class HistogramTest : public test::AppTest
{
protected:
    void SetUp() override
    {
        auto memory = std::make_unique<MemorySettings>();
        WriteQuietSettings(*memory);
        memory->WriteString("Statistic", "StatPage", "1");
        memory->WriteString("Statistic", "Position", "364");
        memory->WriteString("Statistic", "ScaleX", "7");
        StartApp(std::move(memory));
        write = &AddTimer("Write", kRed);
        read = &AddTimer("Read", kBlue);
        Worked(*write, kToday - 2, 2);
        Worked(*write, kToday, 1);
        Worked(*read, kToday - 2, 1);
        app->Window().MainWindowShown = true;
        app->Window().show();
        app->Window().Draw();
        TimerListView& list = app->Window().List();
        list.item(0)->setSelected(true);
        list.item(1)->setSelected(true);
        Stat().actShowHideStatExecute();
        ASSERT_TRUE(Stat().Exists());
        ASSERT_EQ(Form().ShownPage(), StatPage::Histogram);
    }

    TMyTimer& AddTimer(const std::string& name, std::uint32_t colour)
    {
        TMyTimer& t = app->Model().Timers.Create();
        t.Name = name;
        t.Color = colour;
        return t;
    }

    static void Worked(TMyTimer& t, TDateTime day, double hours)
    {
        t.AddPeriod(day + 9 * kOneHour, day + (9 + hours) * kOneHour);
        t.ActiveTime += hours * kOneHour;
    }

    QRgb PixelAt(const QImage& image, int series, TDateTime day, double value)
    {
        return image.pixel(Page().BarPoint(series, day, value));
    }

    StatController& Stat() { return static_cast<StatController&>(*app->Statistics()); }
    TFormStat& Form() { return *Stat().Form(); }
    THistogramPage& Page() { return Form().ChartPage(); }

    TMyTimer* write = nullptr;
    TMyTimer* read = nullptr;
};

TEST_F(HistogramTest, BarsStandOnTheirDaysInTheTimersColours)
{
    ASSERT_EQ(Page().SeriesCount(), 2);
    EXPECT_TRUE(Page().DayLabels().contains(QStringLiteral("29.06.26")));
    EXPECT_GT(Stat().Chart().BarWidth, 0);

    // The legend is laid out by a posted event.
    QCoreApplication::processEvents();
    const QImage image = Page().View().grab().toImage();
    // Two days back the two bars stand side by side in selection order.
    EXPECT_TRUE(Near(PixelAt(image, 0, kToday - 2, 1.0), Qt::red));
    EXPECT_TRUE(Near(PixelAt(image, 1, kToday - 2, 0.5), Qt::blue));
    EXPECT_LT(Page().BarPoint(0, kToday - 2, 1).x(), Page().BarPoint(1, kToday - 2, 1).x());
    // Nothing yesterday; today only "Write".
    EXPECT_TRUE(Near(PixelAt(image, 0, kToday - 1, 0.5), Qt::black));
    EXPECT_TRUE(Near(PixelAt(image, 0, kToday, 0.5), Qt::red));
    EXPECT_TRUE(Near(PixelAt(image, 1, kToday, 0.5), Qt::black));
    // The red bar two days back is twice as tall as today's.
    EXPECT_TRUE(Near(PixelAt(image, 0, kToday - 2, 1.8), Qt::red));
    EXPECT_TRUE(Near(PixelAt(image, 0, kToday, 1.6), Qt::black));
    const QStringList marks = Page().VisibleMarks();
    EXPECT_EQ(marks.count(QStringLiteral("1:00:00")), 2);
    EXPECT_EQ(marks.count(QStringLiteral("2:00:00")), 1);

    // In seconds the bars keep their place, and the visible period and the
    // fixed width are applied again at once.
    Form().UnitItem(ChartUnit::Seconds).trigger();
    EXPECT_DOUBLE_EQ(Stat().Chart().AxisMin, Stat().Dates().StatDate - 1);
    EXPECT_GT(Stat().Chart().BarWidth, 0);
    const QImage seconds = Page().View().grab().toImage();
    EXPECT_TRUE(Near(PixelAt(seconds, 0, kToday - 2, 6000), Qt::red));
    EXPECT_TRUE(Near(PixelAt(seconds, 0, kToday, 6000), Qt::black));
    EXPECT_TRUE(Page().VisibleMarks().contains(QStringLiteral("2:00:00")));

    // Dragging to the right pans to earlier days; the wheel zooms nothing.
    auto* axis = qobject_cast<QValueAxis*>(Page().Chart().axes(Qt::Horizontal).front());
    ASSERT_NE(axis, nullptr);
    const double span = axis->max() - axis->min();
    const double min = axis->min();
    QWidget* viewport = Page().View().viewport();
    const auto send = [viewport](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, {100, 80}, Qt::LeftButton);
    send(QEvent::MouseMove, {180, 80}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {180, 80}, Qt::NoButton);
    EXPECT_LT(axis->min(), min - 1);
    EXPECT_NEAR(axis->max() - axis->min(), span, 1e-6);
    QWheelEvent wheel({100, 80},
                      viewport->mapToGlobal(QPointF(100, 80)),
                      {},
                      {0, 120},
                      Qt::NoButton,
                      Qt::NoModifier,
                      Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_NEAR(axis->max() - axis->min(), span, 1e-6);

    // No marks, and no object at all: no series left.
    Form().Tick(ViewTick::Marks).trigger();
    EXPECT_TRUE(Page().VisibleMarks().isEmpty());
    Stat().SetStatObject({});
    EXPECT_EQ(Page().SeriesCount(), 0);
}

TEST_F(HistogramTest, PeriodDialogMovesTheTrackBarsAndRefusesAnEmptyPeriod)
{
    std::vector<QString> refusals;
    bool stayedOpen = false;
    Stat().PeriodDialogOpening = [&](TFormSetDate& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select statistic period"));
        EXPECT_EQ(dialog.StartDate(), kToday - 3);
        EXPECT_EQ(dialog.EndDate(), kToday + 4);
        dialog.ShowMessage = [&](const QString& text) { refusals.push_back(text); };
        QTimer::singleShot(0, &dialog, [&dialog, &stayedOpen] {
            dialog.SetDates(kToday - 5, kToday - 5);
            dialog.OkButton().click();
            stayedOpen = dialog.isVisible();
            dialog.reject();
        });
    };
    Form().Command(StatCommand::SetPeriod).trigger();
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], QStringLiteral("End Date must be greater than Start Date!"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Form().DateBar().value(), 364);

    Stat().PeriodDialogOpening = [](TFormSetDate& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.SetDates(kToday - 10, kToday);
            dialog.OkButton().click();
        });
    };
    Form().Command(StatCommand::SetPeriod).trigger();
    EXPECT_EQ(Form().DateBar().value(), 357);
    EXPECT_EQ(Form().VisibleDaysBar().value(), 10);
    EXPECT_DOUBLE_EQ(Stat().Chart().AxisMin, Stat().Dates().StatDate - 1);
    EXPECT_DOUBLE_EQ(Stat().Chart().AxisMax, Stat().Dates().StatDate + 10);
}

TEST_F(HistogramTest, PrintsOneLandscapePageOnWhiteAndTurnsBlackAgain)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) {
        GTEST_SKIP() << "pdftoppm is not installed";
    }
    const QString pdf = QString::fromStdString(dir.File("chart.pdf"));
    int asked = 0;
    Stat().ChoosePrinter = [&](QPrinter& printer) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    Form().Command(StatCommand::Print).trigger();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(std::filesystem::exists(pdf.toStdString()));

    const QString prefix = QString::fromStdString(dir.File("page"));
    QProcess convert;
    convert.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"), pdf, prefix});
    ASSERT_TRUE(convert.waitForFinished(60000));
    ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
    // One page only.
    ASSERT_TRUE(std::filesystem::exists(prefix.toStdString() + "-1.png"));
    EXPECT_FALSE(std::filesystem::exists(prefix.toStdString() + "-2.png"));
    const QImage page(prefix + QStringLiteral("-1.png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height());

    int white = 0;
    int red = 0;
    int blue = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            white += Near(p, Qt::white) ? 1 : 0;
            red += Near(p, Qt::red) ? 1 : 0;
            blue += Near(p, Qt::blue) ? 1 : 0;
        }
    }
    const int all = page.width() * page.height();
    EXPECT_GT(white, all * 8 / 10);
    EXPECT_GT(red, 30);
    EXPECT_GT(blue, 15);
    EXPECT_GT(red, blue); // 3 h of red against 1 h of blue

    // Back on screen: black again.
    const QImage screen = Page().View().grab().toImage();
    EXPECT_TRUE(Near(PixelAt(screen, 0, kToday - 1, 0.5), Qt::black));
}

} // namespace
} // namespace tally

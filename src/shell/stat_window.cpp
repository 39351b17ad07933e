#include "shell/stat_window.h"

#include "shell/qt_colors.h"
#include "shell/skin_images.h"
#include "stats/stat_window.h"

#include <QActionGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QToolBar>
#include <QVBoxLayout>

namespace tally {

namespace {

constexpr int kCaptionHeight = 17;
constexpr int kTabHeight = 18;
constexpr int kBarHeight = 22;
constexpr int kLogColumnWidth = 88;
const QColor kBarGrey(230, 230, 230);
const QColor kTabGrey(207, 207, 207);
// Pixels of this colour are cut out of the window: the strip beside the tabs.
const QColor kTransparentKey(1, 1, 1);

void Paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QLabel* Label(const QString& text, QWidget* parent, const QColor& colour, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QToolButton* BarButton(const QString& picture, const QString& hint, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(SkinPixmap(picture, QSize(12, 12))));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

QSlider* TrackBar(const QString& name, const QString& hint, int min, int max, int value, QWidget* parent)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setToolTip(hint);
    bar->setRange(min, max);
    bar->setValue(value);
    return bar;
}

} // namespace

TextStatPage::TextStatPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("tsInfo"));
    Paint(this, Qt::black, Qt::white);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(1);
    const QColor lime(0, 255, 0);
    const auto value = [this](const char* name) {
        QLabel* label = Label(QString::fromLatin1(kNoValue), this, Qt::white);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    lbOnDate = value("lbOnDate");
    lbtodayact = value("lbtodayact");
    lbtodayBack = value("lbtodayBack");
    lbtodaySumm = value("lbtodaySumm");
    lbtotalAct = value("lbtotalAct");
    lbtotalBack = value("lbtotalBack");
    lbtotalSumm = value("lbtotalSumm");
    lbCreation = value("lbCreation");
    lbOnDate->setFont(Label(QString(), this, lime, true)->font());
    int row = 0;
    auto* header = new QHBoxLayout;
    header->setSpacing(4);
    header->addWidget(Label(QStringLiteral("Statistic on"), this, lime, true));
    header->addWidget(lbOnDate);
    header->addStretch();
    grid->addLayout(header, row++, 0, 1, 2);
    const auto line = [&](const char* caption, QLabel* label) {
        grid->addWidget(Label(QString::fromLatin1(caption), this, lime), row, 0);
        grid->addWidget(label, row++, 1);
    };
    line("Active work time:", lbtodayact);
    line("Background work time:", lbtodayBack);
    line("Summary:", lbtodaySumm);
    grid->addWidget(Label(QStringLiteral("Total:"), this, lime, true), row++, 0, 1, 2);
    line("Active work time:", lbtotalAct);
    line("Background work time:", lbtotalBack);
    line("Summary:", lbtotalSumm);
    grid->setRowStretch(row++, 1);
    auto* created = new QHBoxLayout;
    created->addStretch();
    created->addWidget(Label(QStringLiteral("Created:"), this, lime));
    created->addWidget(lbCreation);
    grid->addLayout(created, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void TextStatPage::Show(const TextStat& page)
{
    lbOnDate->setText(QString::fromStdString(page.OnDate));
    lbtodayact->setText(QString::fromStdString(page.TodayAct));
    lbtodayBack->setText(QString::fromStdString(page.TodayBack));
    lbtodaySumm->setText(QString::fromStdString(page.TodaySumm));
    lbtotalAct->setText(QString::fromStdString(page.TotalAct));
    lbtotalBack->setText(QString::fromStdString(page.TotalBack));
    lbtotalSumm->setText(QString::fromStdString(page.TotalSumm));
    if (page.Creation) {
        lbCreation->setText(QString::fromStdString(*page.Creation));
    }
}

LogStatPage::LogStatPage(QWidget* parent)
    : QWidget(parent)
    , lbLog(nullptr)
    , lvLog(new QTreeWidget(this))
    , pMenuLog(new QMenu(this))
{
    setObjectName(QStringLiteral("tsLog"));
    Paint(this, Qt::black, Qt::white);
    const QColor lime(0, 255, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QWidget(this);
    Paint(header, Qt::black, lime);
    auto* headerLayout = new QGridLayout(header);
    headerLayout->setContentsMargins(4, 2, 4, 2);
    lbLog = Label(QString::fromLatin1(kNoTimerLogTitle), header, lime, true);
    lbLog->setObjectName(QStringLiteral("lbLog"));
    headerLayout->addWidget(lbLog, 0, 0, 1, 4);
    int column = 0;
    for (const char* caption : {"Start time", "Stop time", "Duration"}) {
        QLabel* label = Label(QString::fromLatin1(caption), header, lime, true);
        label->setFixedWidth(kLogColumnWidth);
        headerLayout->addWidget(label, 1, column++);
    }
    headerLayout->setColumnStretch(3, 1);
    layout->addWidget(header);

    lvLog->setObjectName(QStringLiteral("lvLog"));
    lvLog->setColumnCount(3);
    lvLog->setHeaderHidden(true);
    lvLog->setRootIsDecorated(false);
    lvLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLog->setFrameShape(QFrame::NoFrame);
    lvLog->setUniformRowHeights(true);
    for (int i = 0; i < 3; ++i) {
        lvLog->setColumnWidth(i, kLogColumnWidth);
    }
    Paint(lvLog, Qt::black, Qt::white);
    lvLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvLog, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        pMenuLog->popup(lvLog->viewport()->mapToGlobal(pos));
    });
    layout->addWidget(lvLog, 1);
}

void LogStatPage::Show(const tally::LogPage& page)
{
    lbLog->setText(QString::fromStdString(page.Title));
    lvLog->setUpdatesEnabled(false);
    lvLog->clear();
    for (const LogRow& row : page.Rows) {
        auto* item = new QTreeWidgetItem(lvLog);
        item->setText(0, QString::fromStdString(row.StartText));
        item->setText(1, QString::fromStdString(row.StopText));
        item->setText(2, QString::fromStdString(row.DurationText));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Period)));
    }
    lvLog->setUpdatesEnabled(true);
}

std::vector<const TWorkPeriod*> LogStatPage::SelectedPeriods() const
{
    std::vector<const TWorkPeriod*> periods;
    for (int i = 0; i < lvLog->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvLog->topLevelItem(i);
        if (item->isSelected()) {
            periods.push_back(reinterpret_cast<const TWorkPeriod*>(item->data(0, Qt::UserRole).value<quintptr>()));
        }
    }
    return periods;
}

TFormStat::TFormStat(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool)
{
    setObjectName(QStringLiteral("TFormStat"));
    setWindowTitle(QStringLiteral("Statistic"));
    resize(kStatWidth, kStatHeight);
    Paint(this, Qt::black, Qt::white);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_panCapt = new QLabel(QStringLiteral("  Work time statistic"), this);
    m_panCapt->setProperty("wholeCaption", m_panCapt->text());
    m_panCapt->setObjectName(QStringLiteral("panCapt"));
    m_panCapt->setFixedHeight(kCaptionHeight);
    m_panCapt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A long caption is elided (SetCaption), never widens the window.
    m_panCapt->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Paint(m_panCapt, kBarGrey, Qt::black);
    m_panCapt->installEventFilter(this);
    auto* captionLayout = new QHBoxLayout(m_panCapt);
    captionLayout->setContentsMargins(0, 0, 2, 0);
    captionLayout->setSpacing(4);
    captionLayout->addStretch();
    m_Image1 = new QLabel(m_panCapt);
    m_Image1->setObjectName(QStringLiteral("Image1"));
    m_Image1->setPixmap(SkinPixmap(QStringLiteral("stat_maximise"), QSize(11, 11)));
    m_Image1->setCursor(Qt::PointingHandCursor);
    m_Image1->installEventFilter(this);
    captionLayout->addWidget(m_Image1);
    m_Label14 = Label(QStringLiteral("x"), m_panCapt, Qt::black, true);
    m_Label14->setObjectName(QStringLiteral("Label14"));
    m_Label14->setToolTip(QStringLiteral("Close statistic"));
    m_Label14->setCursor(Qt::PointingHandCursor);
    m_Label14->installEventFilter(this);
    captionLayout->addWidget(m_Label14);
    layout->addWidget(m_panCapt);

    m_pages = new QStackedWidget(this);
    m_tsInfo = new TextStatPage(m_pages);
    m_tsChart = new THistogramPage(m_pages);
    m_tsLog = new LogStatPage(m_pages);
    m_pages->addWidget(m_tsInfo);
    m_pages->addWidget(m_tsChart);
    m_pages->addWidget(m_tsLog);
    layout->addWidget(m_pages, 1);

    m_tabStrip = new QWidget(this);
    m_tabStrip->setFixedHeight(kTabHeight);
    Paint(m_tabStrip, kTransparentKey, Qt::black);
    auto* tabLayout = new QHBoxLayout(m_tabStrip);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    m_TabSet1 = new QTabBar(m_tabStrip);
    m_TabSet1->setObjectName(QStringLiteral("TabSet1"));
    m_TabSet1->setShape(QTabBar::RoundedSouth);
    m_TabSet1->setDrawBase(false);
    m_TabSet1->setExpanding(false);
    m_TabSet1->setFixedHeight(kTabHeight);
    for (const char* tab : {"Text statistic", "Histogram", "Time log"}) {
        m_TabSet1->addTab(QString::fromLatin1(tab));
    }
    m_TabSet1->setStyleSheet(
        QStringLiteral("QTabBar::tab { background: rgb(207, 207, 207); color: black; padding: 0 6px; height: 17px; }"
                       "QTabBar::tab:selected { background: rgb(230, 230, 230); }"));
    m_TabSet1->installEventFilter(this);
    tabLayout->addWidget(m_TabSet1);
    tabLayout->addStretch();
    layout->addWidget(m_tabStrip);

    auto* panel1 = new QToolBar(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(kBarHeight);
    panel1->setIconSize(QSize(12, 12));
    panel1->setStyleSheet(QStringLiteral("QToolBar { background: rgb(230, 230, 230); border: 0; spacing: 0; }"
                                         "QToolButton { padding: 0 1px; }"));
    tBtnMonBack = BarButton(QStringLiteral("stat_month_back"), QStringLiteral("Goto previous month"), panel1);
    tBtnDayBack = BarButton(QStringLiteral("stat_day_back"), QStringLiteral("Goto previous day"), panel1);
    m_trbPos = TrackBar(
        QStringLiteral("trbPos"), QStringLiteral("Date track bar"), 0, kDatePositionMax, kDatePositionMax, panel1);
    tBtnDayForw = BarButton(QStringLiteral("stat_day_forward"), QStringLiteral("Goto next day"), panel1);
    tBtnMonForw = BarButton(QStringLiteral("stat_month_forward"), QStringLiteral("Goto next month"), panel1);
    actGotoToday = new QAction(QStringLiteral("Goto today"), this);
    actGotoToday->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_today"), QSize(12, 12))));
    actAddLogItem = new QAction(QStringLiteral("Add new log item"), this);
    actAddLogItem->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_add_log"), QSize(12, 12))));
    actDelLogItem = new QAction(QStringLiteral("Delete selected log items"), this);
    actDelLogItem->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_delete_log"), QSize(12, 12))));
    for (QAction* action : {actGotoToday, actAddLogItem, actDelLogItem}) {
        action->setToolTip(action->text());
        action->setIconVisibleInMenu(false);
    }
    m_trbScaleX = TrackBar(QStringLiteral("trbScaleX"),
                           QStringLiteral("Visible period track bar"),
                           kVisibleDaysMin,
                           kVisibleDaysMax,
                           kVisibleDaysDefault,
                           panel1);
    m_trbScaleX->setMaximumWidth(255);

    panel1->addWidget(tBtnMonBack);
    panel1->addWidget(tBtnDayBack);
    panel1->addWidget(m_trbPos);
    panel1->addWidget(tBtnDayForw);
    panel1->addWidget(tBtnMonForw);
    panel1->addAction(actGotoToday);
    m_logSeparator = panel1->addSeparator();
    panel1->addAction(actAddLogItem);
    panel1->addAction(actDelLogItem);
    // A tool bar shows and hides its widgets through their actions.
    m_scaleXAction = panel1->addWidget(m_trbScaleX);

    m_PopupMenu1 = new QMenu(this);
    m_PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_PopupMenu1->addAction(actGotoToday);
    pSetPeriod = m_PopupMenu1->addAction(QStringLiteral("Set visible period..."));
    QMenu* pView = m_PopupMenu1->addMenu(QStringLiteral("View"));
    const auto tick = [pView](const char* caption) {
        QAction* action = pView->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        action->setChecked(true);
        return action;
    };
    pShowMarks = tick("Show marks");
    pShowBorders = tick("Show borders");
    pShowLegend = tick("Show legend");
    pShowFullDate = tick("Show full date");
    auto* units = new QActionGroup(this);
    const auto unit = [pView, units](const char* caption) {
        QAction* action = pView->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        units->addAction(action);
        return action;
    };
    pSec = unit("Show time in seconds");
    pMin = unit("Show time in minutes");
    pHour = unit("Show time in hours");
    pHour->setChecked(true);
    m_PopupMenu1->addSeparator();
    m_PopupMenu1->addAction(actAddLogItem);
    m_PopupMenu1->addAction(actDelLogItem);
    m_N2 = m_PopupMenu1->addSeparator();
    pPrint = m_PopupMenu1->addAction(QStringLiteral("Print"));
    pExport = m_PopupMenu1->addAction(QStringLiteral("Export work periods..."));
    m_PopupMenu1->addSeparator();
    pClose = m_PopupMenu1->addAction(QStringLiteral("Close statistic"));

    m_tsLog->pMenuLog->addAction(actAddLogItem);
    m_tsLog->pMenuLog->addAction(actDelLogItem);

    m_menuButton = new QToolButton(panel1);
    m_menuButton->setObjectName(QStringLiteral("menu"));
    m_menuButton->setText(QStringLiteral("menu"));
    m_menuButton->setAutoRaise(true);
    m_menuButton->installEventFilter(this);
    auto* spacer = new QWidget(panel1);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    panel1->addWidget(spacer);
    panel1->addWidget(m_menuButton);
    layout->addWidget(panel1);

    connect(m_TabSet1, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);
}

void TFormStat::SetMaximisedPicture(bool maximised)
{
    m_Image1->setPixmap(
        SkinPixmap(maximised ? QStringLiteral("stat_restore") : QStringLiteral("stat_maximise"), QSize(11, 11)));
}

void TFormStat::SetCaption(const std::string& text)
{
    // The bar shows what fits before the maximise and close pictures; the
    // whole caption is kept for the next size.
    const QString whole = QString::fromStdString(text);
    m_panCapt->setProperty("wholeCaption", whole);
    if (!isVisible()) {
        m_panCapt->setText(whole);
        return;
    }
    m_panCapt->layout()->activate();
    const int room = std::max(0, m_Image1->x() - 4);
    const QString shown = m_panCapt->fontMetrics().elidedText(whole, Qt::ElideRight, room);
    m_panCapt->setText(shown);
    m_panCapt->setToolTip(shown == whole ? QString() : whole);
}

StatPage TFormStat::ShownPage() const
{
    return StatPageFromIndex(m_pages->currentIndex());
}

void TFormStat::ShowPage(StatPage page)
{
    m_pages->setCurrentIndex(static_cast<int>(page));
}

void TFormStat::ApplyControls(const StatControls& c)
{
    actAddLogItem->setVisible(c.LogActions);
    actDelLogItem->setVisible(c.LogActions);
    m_logSeparator->setVisible(c.LogActions);
    m_N2->setVisible(c.LogActions);
    m_scaleXAction->setVisible(c.VisibleDays);
    tBtnDayBack->setEnabled(c.Back);
    tBtnMonBack->setEnabled(c.Back);
    tBtnDayForw->setEnabled(c.Forward);
    tBtnMonForw->setEnabled(c.Forward);
    actGotoToday->setEnabled(c.GotoToday);
    pPrint->setEnabled(c.HistogramOnly);
    pSetPeriod->setVisible(c.HistogramOnly);
}

void TFormStat::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateMask();
    emit shown();
}

void TFormStat::closeEvent(QCloseEvent* event)
{
    // The controller decides whether the window goes.
    event->ignore();
    emit closeRequested();
}

void TFormStat::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Sent from the first show on, when the caption bar exists.
    SetCaption(m_panCapt->property("wholeCaption").toString().toStdString());
    UpdateMask();
}

void TFormStat::UpdateMask()
{
    // The key-coloured strip beside the tabs is see-through.
    layout()->activate();
    const int tabsRight = m_TabSet1->count() > 0 ? m_TabSet1->tabRect(m_TabSet1->count() - 1).right() + 1 : 0;
    const QRect strip = m_tabStrip->geometry();
    QRegion shape(rect());
    shape -= QRect(strip.left() + m_TabSet1->x() + tabsRight, strip.top(), strip.width(), strip.height());
    setMask(shape);
}

bool TFormStat::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
            return false;
        }
        if (watched == m_panCapt) {
            emit captionPressed();
            return true;
        }
        if (watched == m_Image1) {
            emit maximiseClicked();
            return true;
        }
        if (watched == m_Label14) {
            emit closeClicked();
            return true;
        }
        if (watched == m_TabSet1) {
            emit tabPressed();
        }
    } else if (type == QEvent::MouseButtonRelease) {
        if (watched == m_panCapt) {
            emit captionReleased();
            return true;
        }
        if (watched == m_menuButton) {
            // The menu opens where the button was released.
            m_PopupMenu1->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tally

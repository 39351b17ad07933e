#include "shell/statistics/stat_window.h"

#include "shell/common/qt_colors.h"
#include "shell/common/skin_images.h"
#include "shell/statistics/stat_look.h"
#include "view/all_computers.h"
#include "view/stat_window.h"

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
const QColor kBarGrey(230, 230, 230);
const QColor kTabGrey(207, 207, 207);
// Pixels of this colour are cut out of the window: the strip beside the tabs.
const QColor kTransparentKey(1, 1, 1);

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
    m_tBtnMonBack = BarButton(QStringLiteral("stat_month_back"), QStringLiteral("Goto previous month"), panel1);
    m_tBtnDayBack = BarButton(QStringLiteral("stat_day_back"), QStringLiteral("Goto previous day"), panel1);
    m_trbPos = TrackBar(
        QStringLiteral("trbPos"), QStringLiteral("Date track bar"), 0, kDatePositionMax, kDatePositionMax, panel1);
    m_tBtnDayForw = BarButton(QStringLiteral("stat_day_forward"), QStringLiteral("Goto next day"), panel1);
    m_tBtnMonForw = BarButton(QStringLiteral("stat_month_forward"), QStringLiteral("Goto next month"), panel1);
    m_actGotoToday = new QAction(QStringLiteral("Goto today"), this);
    m_actGotoToday->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_today"), QSize(12, 12))));
    m_actAddLogItem = new QAction(QStringLiteral("Add new log item"), this);
    m_actAddLogItem->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_add_log"), QSize(12, 12))));
    m_actDelLogItem = new QAction(QStringLiteral("Delete selected log items"), this);
    m_actDelLogItem->setIcon(QIcon(SkinPixmap(QStringLiteral("stat_delete_log"), QSize(12, 12))));
    for (QAction* action : {m_actGotoToday, m_actAddLogItem, m_actDelLogItem}) {
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

    panel1->addWidget(m_tBtnMonBack);
    panel1->addWidget(m_tBtnDayBack);
    panel1->addWidget(m_trbPos);
    panel1->addWidget(m_tBtnDayForw);
    panel1->addWidget(m_tBtnMonForw);
    panel1->addAction(m_actGotoToday);
    m_logSeparator = panel1->addSeparator();
    panel1->addAction(m_actAddLogItem);
    panel1->addAction(m_actDelLogItem);
    // A tool bar shows and hides its widgets through their actions.
    m_scaleXAction = panel1->addWidget(m_trbScaleX);

    BuildMenu();

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

void TFormStat::BuildMenu()
{
    m_PopupMenu1 = new QMenu(this);
    m_PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    m_PopupMenu1->addAction(m_actGotoToday);
    m_pSetPeriod = m_PopupMenu1->addAction(QStringLiteral("Set visible period..."));
    QMenu* pView = m_PopupMenu1->addMenu(QStringLiteral("View"));
    const auto tick = [pView](const char* caption) {
        QAction* action = pView->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        action->setChecked(true);
        return action;
    };
    m_ticks[0] = tick("Show marks");
    m_ticks[1] = tick("Show borders");
    m_ticks[2] = tick("Show legend");
    m_ticks[3] = tick("Show full date");
    auto* units = new QActionGroup(this);
    const auto unit = [pView, units](const char* caption) {
        QAction* action = pView->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        units->addAction(action);
        return action;
    };
    m_units[0] = unit("Show time in seconds");
    m_units[1] = unit("Show time in minutes");
    m_units[2] = unit("Show time in hours");
    m_units[2]->setChecked(true);
    m_allComputers = m_PopupMenu1->addAction(QString::fromLatin1(kAllComputersItem));
    m_allComputers->setObjectName(QStringLiteral("allComputers"));
    m_allComputers->setCheckable(true);
    m_allComputers->setVisible(false);
    connect(m_allComputers, &QAction::triggered, this, &TFormStat::allComputersToggled);
    m_PopupMenu1->addSeparator();
    m_PopupMenu1->addAction(m_actAddLogItem);
    m_PopupMenu1->addAction(m_actDelLogItem);
    m_N2 = m_PopupMenu1->addSeparator();
    m_pPrint = m_PopupMenu1->addAction(QStringLiteral("Print"));
    m_pExport = m_PopupMenu1->addAction(QStringLiteral("Export work periods..."));
    m_PopupMenu1->addSeparator();
    m_pClose = m_PopupMenu1->addAction(QStringLiteral("Close statistic"));

    m_tsLog->pMenuLog->addAction(m_actAddLogItem);
    m_tsLog->pMenuLog->addAction(m_actDelLogItem);

    const std::pair<QToolButton*, DateButton> steps[] = {{m_tBtnDayBack, DateButton::DayBack},
                                                         {m_tBtnDayForw, DateButton::DayForward},
                                                         {m_tBtnMonBack, DateButton::MonthBack},
                                                         {m_tBtnMonForw, DateButton::MonthForward}};
    for (const auto& [button, step] : steps) {
        connect(button, &QToolButton::clicked, this, [this, step] { emit dateStepClicked(step); });
    }
    connect(m_actGotoToday, &QAction::triggered, this, [this] { emit dateStepClicked(DateButton::Today); });
    const std::pair<QAction*, StatCommand> commands[] = {{m_actAddLogItem, StatCommand::AddLogItem},
                                                         {m_actDelLogItem, StatCommand::DeleteLogItems},
                                                         {m_pSetPeriod, StatCommand::SetPeriod},
                                                         {m_pPrint, StatCommand::Print},
                                                         {m_pExport, StatCommand::Export},
                                                         {m_pClose, StatCommand::Close}};
    for (const auto& [action, command] : commands) {
        connect(action, &QAction::triggered, this, [this, command] { emit commandChosen(command); });
    }
    for (int i = 0; i < 4; ++i) {
        connect(m_ticks[i], &QAction::triggered, this, [this, i](bool ticked) {
            emit viewTickToggled(static_cast<ViewTick>(i), ticked);
        });
    }
    for (int i = 0; i < 3; ++i) {
        connect(m_units[i], &QAction::triggered, this, [this, i] { emit unitChosen(static_cast<ChartUnit>(i)); });
    }
}

ChartOptions TFormStat::ViewOptions() const
{
    ChartOptions options;
    options.ShowMarks = m_ticks[0]->isChecked();
    options.ShowBorders = m_ticks[1]->isChecked();
    options.ShowLegend = m_ticks[2]->isChecked();
    options.ShowFullDate = m_ticks[3]->isChecked();
    options.Unit = m_units[0]->isChecked()   ? ChartUnit::Seconds
                   : m_units[1]->isChecked() ? ChartUnit::Minutes
                                             : ChartUnit::Hours;
    return options;
}

void TFormStat::SetViewOptions(const ChartOptions& options)
{
    const bool ticks[] = {options.ShowMarks, options.ShowBorders, options.ShowLegend, options.ShowFullDate};
    for (int i = 0; i < 4; ++i) {
        m_ticks[i]->setChecked(ticks[i]);
    }
    m_units[static_cast<int>(options.Unit)]->setChecked(true);
}

QToolButton& TFormStat::StepButton(DateButton button)
{
    switch (button) {
        case DateButton::DayBack:
            return *m_tBtnDayBack;
        case DateButton::DayForward:
            return *m_tBtnDayForw;
        case DateButton::MonthBack:
            return *m_tBtnMonBack;
        default:
            return *m_tBtnMonForw;
    }
}

QAction& TFormStat::Command(StatCommand command)
{
    QAction* const actions[] = {m_actAddLogItem, m_actDelLogItem, m_pSetPeriod, m_pPrint, m_pExport, m_pClose};
    return *actions[static_cast<int>(command)];
}

QAction& TFormStat::Tick(ViewTick tick)
{
    return *m_ticks[static_cast<int>(tick)];
}

QAction& TFormStat::UnitItem(ChartUnit unit)
{
    return *m_units[static_cast<int>(unit)];
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
    m_actAddLogItem->setVisible(c.LogActions);
    m_actDelLogItem->setVisible(c.LogActions);
    m_logSeparator->setVisible(c.LogActions);
    m_N2->setVisible(c.LogActions);
    m_scaleXAction->setVisible(c.VisibleDays);
    m_tBtnDayBack->setEnabled(c.Back);
    m_tBtnMonBack->setEnabled(c.Back);
    m_tBtnDayForw->setEnabled(c.Forward);
    m_tBtnMonForw->setEnabled(c.Forward);
    m_actGotoToday->setEnabled(c.GotoToday);
    m_pPrint->setEnabled(c.HistogramOnly);
    m_pSetPeriod->setVisible(c.HistogramOnly);
}

void TFormStat::SetAllComputers(bool offered, bool ticked)
{
    m_allComputers->setVisible(offered);
    m_allComputers->setChecked(ticked);
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

#include "shell/main_window/main_window.h"

#include "runlog/brisvale_log.h"
#include "shell/common/image_button.h"
#include "shell/common/skin_images.h"
#include "shell/main_window/timer_list_view.h"
#include "view/main_list.h"
#include "view/window_snap.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

namespace tally {

namespace {

constexpr QSize kSkinSize(465, 329);
const QRect kListRect(22, 94, 419, 179);

} // namespace

MainWindow::MainWindow(TimeModel& model, TBrisvaleLog& log, std::function<TDateTime()> now, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool)
    , m_model(model)
    , m_log(log)
    , m_now(std::move(now))
{
    setWindowTitle(QStringLiteral("Tallyhour Zide"));
    setObjectName(QStringLiteral("TForm1"));
    setFixedSize(kSkinSize);
    // Moving over the skin hides the hint, with no button held too.
    setMouseTracking(true);

    m_list = new TimerListView(this);
    m_list->setGeometry(kListRect);
    m_list->SetRowSource([this](const TMyTimer& timer) {
        const RowBatch batch = m_rowBatch ? *m_rowBatch : CurrentRowBatch();
        return MakeTimerRow(timer, batch.Options, batch.Now, m_sight);
    });
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);

    CreateActions();
    CreateMenus();
    CreateButtons();

    connect(m_list, &QListWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Log("PMenuTimersPopup->");
        SetControlsState();
        if (StopHintTimer) {
            StopHintTimer();
        }
        FillMoveToItems();
        m_pMenuTimers->popup(m_list->viewport()->mapToGlobal(pos));
    });
    connect(m_list, &QListWidget::itemClicked, this, [this] {
        Log("lvClick->");
        emit hideHintRequested();
        auto selected = m_list->SelectedTimers();
        emit listClicked(selected.empty() ? nullptr : selected.front());
        m_list->viewport()->update();
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        Log("lvDblClick->");
        PropertiesExecute();
    });
}

void MainWindow::Log(const char* text)
{
    m_log.WriteLine(0, text);
}

TImageBtn* MainWindow::AddButton(const QString& name, QPoint pos, QSize size, const QString& hint)
{
    auto* button = new TImageBtn(SkinPixmap(name + QStringLiteral("_normal"), size),
                                 SkinPixmap(name + QStringLiteral("_hot"), size),
                                 SkinPixmap(name + QStringLiteral("_down"), size),
                                 this);
    button->setObjectName(name);
    button->move(pos);
    button->setToolTip(hint);
    return button;
}

void MainWindow::CreateButtons()
{
    TImageBtn* menu = AddButton(QStringLiteral("btn_menu"), {9, 61}, {35, 14}, QStringLiteral("Main menu"));
    connect(menu, &TImageBtn::clicked, this, [this, menu] {
        Log("ImageBtn3Click->");
        m_pMenuMain->popup(mapToGlobal(menu->pos()));
    });
    auto clickThen = [this](TImageBtn* button, const char* logLine, std::function<void()> then) {
        connect(button, &TImageBtn::clicked, this, [this, logLine, then] {
            Log(logLine);
            emit clickSound();
            then();
        });
    };
    clickThen(AddButton(QStringLiteral("btn_start"), {13, 295}, {18, 18}, QStringLiteral("Start timer")),
              "ImgBtnStartClick->",
              [this] { StartExecute(); });
    clickThen(AddButton(QStringLiteral("btn_stop"), {32, 295}, {18, 18}, QStringLiteral("Stop timer")),
              "ImgeBtnStopClick->",
              [this] { StopExecute(); });
    clickThen(AddButton(QStringLiteral("btn_new"), {60, 295}, {18, 18}, QStringLiteral("Add new timer")),
              "ImgBtnNewClick->",
              [this] { actNewTimer->trigger(); });
    clickThen(AddButton(QStringLiteral("btn_delete"), {79, 295}, {18, 18}, QStringLiteral("Delete selected timers")),
              "ImgBtnDelClick->",
              [this] {
                  if (!m_list->SelectedTimers().empty()) {
                      Log("actDelTimerExecute->");
                      DeleteSelectedWithQuestion();
                  }
              });
    clickThen(AddButton(QStringLiteral("btn_statistic"), {439, 287}, {18, 18}, QStringLiteral("Show statistic")),
              "iBtnStatClick->",
              [this] { m_actShowHideStat->trigger(); });
    TImageBtn* help = AddButton(QStringLiteral("btn_help"), {384, 19}, {14, 13}, QStringLiteral("Help"));
    connect(help, &TImageBtn::clicked, this, [this] {
        Log("ImageBtn9Click->");
        actHelp->trigger();
    });
    TImageBtn* minimise = AddButton(QStringLiteral("btn_minimise"), {426, 19}, {14, 13}, QString());
    connect(minimise, &TImageBtn::clicked, this, [this] {
        Log("ImageBtn1Click->");
        MinimiseToTray();
    });
    TImageBtn* close = AddButton(QStringLiteral("btn_close"), {440, 19}, {14, 13}, QString());
    connect(close, &TImageBtn::clicked, this, [this] {
        Log("ImageBtn10Click->");
        if (QMessageBox::question(this,
                                  QStringLiteral("Confirmation"),
                                  QStringLiteral("Are you sure you want to close Tallyhour Zide?"),
                                  QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes) {
            actExit->trigger();
        }
    });
}

void MainWindow::Draw()
{
    const std::vector<TMyTimer*> rows = tally::Draw(m_model, m_log);
    LogSightNotices(rows, m_sight, m_log);
    const std::optional<std::string> guidance = EmptyListGuidance(m_model);
    m_list->SetGuidance(guidance ? QString::fromStdString(*guidance) : QString());
    m_list->SetTimers(rows);
}

MainWindow::RowBatch MainWindow::CurrentRowBatch() const
{
    RowBatch batch;
    batch.Options.ShowTodayTime = OptionChecked(MenuOption::ShowTodayTime);
    batch.Options.ShowColor = OptionChecked(MenuOption::ShowColor);
    batch.Now = m_now();
    return batch;
}

void MainWindow::RepaintList()
{
    // One reading of the clock and the options for all rows of the tick.
    m_rowBatch = CurrentRowBatch();
    const auto reset = qScopeGuard([this] { m_rowBatch.reset(); });
    m_list->RepaintChangedRows();
}

void MainWindow::SetOptionChecked(MenuOption item, bool checked)
{
    for (auto& [which, action] : m_optionActions) {
        if (which == item) {
            action->setChecked(checked);
        }
    }
}

QAction& MainWindow::OptionItem(MenuOption item)
{
    const auto found = std::find_if(
        m_optionActions.begin(), m_optionActions.end(), [item](const auto& entry) { return entry.first == item; });
    return *found->second;
}

bool MainWindow::OptionChecked(MenuOption item) const
{
    for (const auto& [which, action] : m_optionActions) {
        if (which == item) {
            return action->isChecked();
        }
    }
    return false;
}

void MainWindow::SetControlsState()
{
    const ControlsState state = tally::SetControlsState(m_list->SelectedTimers().size(), m_model, m_log);
    actStartTimer->setEnabled(state.StartTimer);
    actStopTimer->setEnabled(state.StopTimer);
    actDelTimer->setEnabled(state.DeleteTimers);
    actProperties->setEnabled(state.Properties);
    m_pMoveTo->setEnabled(state.MoveTo);
    actSelectAll->setEnabled(state.SelectAll);
}

void MainWindow::EnableAllControls()
{
    for (QAction* action : {actStartTimer, actStopTimer, actDelTimer, actProperties, actSelectAll}) {
        action->setEnabled(true);
    }
    m_pMoveTo->setEnabled(true);
}

void MainWindow::StartExecute()
{
    Log("actStartTimerExecute->");
    emit startRequested(m_list->SelectedTimers());
}

void MainWindow::StopExecute()
{
    Log("actStopTimerExecute->");
    emit stopRequested(m_list->SelectedTimers());
}

void MainWindow::PropertiesExecute()
{
    Log("actPropertiesExecute->");
    auto selected = m_list->SelectedTimers();
    if (!selected.empty()) {
        emit propertiesRequested(selected.front());
    }
}

void MainWindow::FillMoveToItems()
{
    m_pMoveTo->clear();
    for (const MoveToItem& item : tally::FillMoveToItems(m_model.Projects, m_log)) {
        QAction* action = m_pMoveTo->addAction(QString::fromStdString(item.Caption));
        const std::int32_t id = item.ProjectId;
        connect(action, &QAction::triggered, this, [this, id] {
            Log("MoveToItemClick->");
            emit moveToRequested(m_list->SelectedTimers(), id);
        });
    }
}

void MainWindow::DeleteSelectedWithQuestion()
{
    if (QMessageBox::question(this,
                              QStringLiteral("Confirmation"),
                              QStringLiteral("Are you sure you want to delete selected timers?"),
                              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes) {
        return;
    }
    emit deleteConfirmed(m_list->SelectedTimers());
}

void MainWindow::MinimiseToTray()
{
    MainWindowShown = false;
    if (m_inTaskbar) {
        showMinimized();
    } else {
        hide();
    }
    emit minimised();
}

void MainWindow::KeepInTaskbar()
{
    m_inTaskbar = true;
    setWindowFlag(Qt::Tool, false);
}

void MainWindow::CentreOnFirstShow()
{
    if (m_placed) {
        return;
    }
    m_placed = true;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

void MainWindow::DrawSkin()
{
    // At the first show: a program that starts into the tray does not
    // spend its start-up on the picture.
    if (!m_skin.isNull()) {
        return;
    }
    m_skin = SkinPixmap(QStringLiteral("skin"), kSkinSize);
    auto* background = new QLabel(this);
    background->setPixmap(m_skin);
    background->setGeometry(0, 0, m_skin.width(), m_skin.height());
    background->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Under the list and the buttons made before it.
    background->lower();
    background->show();
    // The key colour cuts the rounded outline out of the window.
    setMask(QBitmap(m_skin.createMaskFromColor(kSkinKeyColor, Qt::MaskInColor)));
}

void MainWindow::showEvent(QShowEvent* event)
{
    DrawSkin();
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        Log("FormShow->");
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program: the orderly shutdown
    // follows from the signal, so the window may go.
    event->accept();
    emit closedByWindowManager();
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    Log("imgSkinMainMouseDown->");
    SnapSuspended = false;
    emit dockSideWindows();
    if (windowHandle()) {
        windowHandle()->startSystemMove();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent*)
{
    m_log.WriteLine(3, "imgSkinMainMouseMove->");
    emit hideHintRequested();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_snapping) {
        return;
    }
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        const SnapResult r = SnapToWorkArea({x(), y(), width(), height()},
                                            {area.left(), area.top(), area.right() + 1, area.bottom() + 1},
                                            SnapSuspended);
        if (r.X != x() || r.Y != y()) {
            m_snapping = true;
            move(r.X, r.Y);
            m_snapping = false;
        }
    }
    // The side windows follow after every move, suspended or not.
    emit dockSideWindows();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        emit activationChanged();
    } else if (event->type() == QEvent::WindowStateChange && m_inTaskbar && !MainWindowShown && isVisible()
               && !isMinimized()) {
        // Brought back from the taskbar: as if opened from the tray.
        emit openRequested();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            Log("lvMouseDown->");
            emit hideHintRequested();
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            emit listMouseMoved(mouse->position().toPoint(), mouse->globalPosition().toPoint());
        }
    } else if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        Log("lvKeyDown->");
        if (key->key() == Qt::Key_Delete) {
            Log("actDelTimerExecute->");
            DeleteSelectedWithQuestion();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::AltModifier)) {
            PropertiesExecute();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tally

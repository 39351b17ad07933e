#include "shell/main_window/hint_placer.h"

#include "platform/session_watcher.h"
#include "shell/main_window/hint_window.h"
#include "shell/main_window/main_window.h"
#include "shell/main_window/timer_list_view.h"
#include "view/hint_logic.h"
#include "view/main_list.h"

#include <QCursor>

namespace tally {

HintPlacer::HintPlacer(MainWindow& window,
                       TBrisvaleLog& log,
                       SessionWatcher& session,
                       const TrackingState& state,
                       const ShutdownFlag& shutDown)
    : m_window(window)
    , m_log(log)
    , m_session(session)
    , m_state(state)
    , m_shutDown(shutDown)
{
    connect(&m_timHint, &QTimer::timeout, this, &HintPlacer::OnTimHint);
}

HintPlacer::~HintPlacer() = default;

void HintPlacer::Connect()
{
    connect(&m_window, &MainWindow::activationChanged, this, &HintPlacer::UpdateHintTimer);
    connect(&m_window, &MainWindow::hideHintRequested, this, &HintPlacer::HideHint);
    connect(&m_window, &MainWindow::listMouseMoved, this, &HintPlacer::OnListMouseMove);
    m_window.StopHintTimer = [this] { StopUntilPointerMoves(); };
}

TFormHint& HintPlacer::Hint()
{
    // Made when first shown: its labels and fonts cost start-up time that a
    // program in the tray does not need.
    if (!m_hint) {
        m_hint = std::make_unique<TFormHint>();
    }
    return *m_hint;
}

bool HintPlacer::HintShown() const
{
    return m_hint && m_hint->isVisible();
}

void HintPlacer::HideHint()
{
    m_log.WriteLine(3, "HideHint->");
    if (m_hint) {
        m_hint->HideHint();
    }
}

void HintPlacer::StopUntilPointerMoves()
{
    m_wanted = false;
    m_timHint.stop();
}

void HintPlacer::UpdateHintTimer()
{
    // A hint is placed only over the window in front (see OnTimHint), so the
    // timer rests while it is hidden or behind another; the pointer moving
    // over the list starts it as before.
    const bool wanted = m_wanted && !m_shutDown.Begun() && m_window.isVisible() && m_window.isActiveWindow();
    if (!wanted) {
        m_timHint.stop();
    } else if (!m_timHint.isActive()) {
        m_timHint.start(1000);
    }
}

void HintPlacer::OnListMouseMove(QPoint listPos, QPoint globalPos)
{
    m_log.WriteLine(3, "lvMouseMove->");
    m_wanted = true;
    m_timHint.start(1000);
    TMyTimer* timer = m_window.List().TimerAt(listPos);
    switch (tally::OnListMouseMove(timer != nullptr, HintShown(), m_window.OptionChecked(MenuOption::ShowHints))) {
        case HintMove::Hide:
            HideHint();
            break;
        case HintMove::Wait:
            break;
        case HintMove::MoveAndFill: {
            const ScreenPoint at = HintPosition({globalPos.x(), globalPos.y()});
            Hint().move(at.X, at.Y);
            Hint().Fill(MakeTimerHint(*timer, m_window.Sight()));
            break;
        }
    }
}

void HintPlacer::OnTimHint()
{
    m_log.WriteLine(3, "TimHintTimer->");
    // Nothing can be placed while the window is hidden or behind another, so
    // the lock state and the pointer (a round trip to the display each) are
    // asked only when it is in front.
    if (!m_window.isVisible() || !m_window.isActiveWindow()) {
        return;
    }
    HintTimerState s;
    s.Sleeping = m_state.Sleeping;
    try {
        s.DesktopLocked = m_session.IsLocked();
    } catch (const std::exception&) {
        s.DesktopLocked = false;
    }
    const QPoint global = QCursor::pos();
    const QPoint local = m_window.List().viewport()->mapFromGlobal(global);
    TMyTimer* timer = m_window.List().TimerAt(local);
    s.RowUnderPointer = timer != nullptr;
    s.HintVisible = HintShown();
    s.ShowHints = m_window.OptionChecked(MenuOption::ShowHints);
    s.MainWindowVisible = m_window.isVisible();
    s.MainWindowInFront = m_window.isActiveWindow();
    if (!HintTimerPlaces(s)) {
        return;
    }
    const ScreenPoint at = HintPosition({global.x(), global.y()});
    Hint().move(at.X, at.Y);
    Hint().Fill(MakeTimerHint(*timer, m_window.Sight()));
    Hint().ShowDelayed();
}

} // namespace tally

#pragma once

#include "runlog/brisvale_log.h"
#include "shell/common/shutdown_flag.h"
#include "tracking/tracking_state.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <memory>

namespace tally {

class MainWindow;
class SessionWatcher;
class TFormHint;

// Places the timer hint: over the list as the pointer moves, and once a
// second (`TimHint`) while the window is in front.
class HintPlacer : public QObject
{
    Q_OBJECT

public:
    // shutDown is the application's flag: once set, the timer stays off.
    HintPlacer(MainWindow& window,
               TBrisvaleLog& log,
               SessionWatcher& session,
               const TrackingState& state,
               const ShutdownFlag& shutDown);
    ~HintPlacer() override;

    // Follows the main window's pointer, activation and menus.
    void Connect();

    TFormHint& Hint();
    bool HintShown() const;
    void HideHint();
    // Runs the timer while the window is shown and in front, unless a menu
    // stopped it until the pointer next moves over the list.
    void UpdateHintTimer();
    void StopUntilPointerMoves();
    void Stop() { m_timHint.stop(); }
    bool TimerRunning() const { return m_timHint.isActive(); }

    void OnListMouseMove(QPoint listPos, QPoint globalPos);

private:
    void OnTimHint();

    MainWindow& m_window;
    TBrisvaleLog& m_log;
    SessionWatcher& m_session;
    const TrackingState& m_state;
    const ShutdownFlag& m_shutDown;
    std::unique_ptr<TFormHint> m_hint;
    QTimer m_timHint;
    bool m_wanted = true;
};

} // namespace tally

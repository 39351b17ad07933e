#pragma once

#include "tracking/tracking_observer.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace tally {

class DataFile;
class ErrorReporter;
class HintPlacer;
class InetChecker;
class MainWindow;
class TrackingEngine;

// The program's clockwork: the tick (`TimUpdate`), its pacing (`TimTBar`),
// the auto-save (`TimAutoSave`) and the internet probe (`TimInet`), and the
// shell's side of the engine's reports.
class TickDriver : public QObject, public TrackingObserver
{
    Q_OBJECT

public:
    TickDriver(TrackingEngine& engine,
               InetChecker& inet,
               DataFile& data,
               MainWindow& window,
               HintPlacer& hint,
               ErrorReporter& errors);
    ~TickDriver() override;

    // The tick and its pacing start; the auto-save runs every intervalMs
    // when enabled.
    void Start();
    void StartAutoSave(std::int64_t intervalMs);
    // The window was shown: pacing that came to rest while it was hidden
    // brings the tick back to every second at its next firing.
    void WakePacing();
    // No periodic handler runs after this.
    void Stop();

    bool TickRunning() const { return m_timUpdate.isActive(); }
    bool AutoSaveRunning() const { return m_timAutoSave.isActive(); }
    // Where stopped timers are reported to a statistics window.
    std::function<void()> StatisticsStale;

    // What the engine reports.
    void TimersChanged() override;
    void PeriodsClosedForSuspend() override;
    void TimersStopped() override
    {
        if (StatisticsStale) {
            StatisticsStale();
        }
    }
    bool SetUpdateInterval(int intervalMs) override;
    bool HintShown() override;
    std::optional<ScreenRect> MainWindowRect() override;
    void HideHint() override;

private:
    TrackingEngine& m_engine;
    DataFile& m_data;
    MainWindow& m_window;
    HintPlacer& m_hint;
    ErrorReporter& m_errors;
    QTimer m_timUpdate;
    QTimer m_timTBar;
    QTimer m_timAutoSave;
    QTimer m_timInet;
    bool m_stopped = false;
};

} // namespace tally

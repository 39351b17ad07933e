#include "shell/app/tick_driver.h"

#include "shell/app/error_reporter.h"
#include "shell/main_window/hint_placer.h"
#include "shell/main_window/main_window.h"
#include "storage/data_file.h"
#include "tracking/inet_checker.h"
#include "tracking/tracking_engine.h"

#include <algorithm>
#include <cstdint>

namespace tally {

TickDriver::TickDriver(TrackingEngine& engine,
                       InetChecker& inet,
                       DataFile& data,
                       MainWindow& window,
                       HintPlacer& hint,
                       ErrorReporter& errors)
    : m_engine(engine)
    , m_data(data)
    , m_window(window)
    , m_hint(hint)
    , m_errors(errors)
{
    inet.EnableTimInet = [this](int ms) { m_timInet.start(ms); };
    connect(&m_timInet, &QTimer::timeout, this, [&inet] { inet.TimInetTimer(); });
    connect(
        &m_timAutoSave, &QTimer::timeout, this, [this] { m_errors.Guarded([this] { m_data.TimAutoSaveTimer(); }); });
    connect(&m_timUpdate, &QTimer::timeout, this, [this] { m_engine.TimUpdateTimer(); });
    connect(&m_timTBar, &QTimer::timeout, this, [this] {
        m_engine.TimTBarTimer();
        // Once the hidden tick is as slow as it gets, the pacing rests until
        // the window is shown again (one wake-up a second less in the tray).
        if (m_engine.PacingAtRest()) {
            m_timTBar.stop();
        }
    });
    m_engine.SetObserver(this);
}

TickDriver::~TickDriver()
{
    m_engine.SetObserver(nullptr);
}

void TickDriver::Start()
{
    m_timTBar.start(1000);
    m_timUpdate.start(m_engine.UpdateIntervalMs());
}

void TickDriver::StartAutoSave(std::int64_t intervalMs)
{
    m_timAutoSave.start(static_cast<int>(std::min<std::int64_t>(intervalMs, INT32_MAX)));
}

void TickDriver::WakePacing()
{
    if (!m_stopped && !m_timTBar.isActive()) {
        m_timTBar.start(1000);
    }
}

void TickDriver::Stop()
{
    m_stopped = true;
    for (QTimer* timer : {&m_timUpdate, &m_timTBar, &m_timAutoSave, &m_timInet}) {
        timer->stop();
    }
}

void TickDriver::TimersChanged()
{
    m_window.RepaintList();
}

void TickDriver::PeriodsClosedForSuspend()
{
    // Periods closed before the machine sleeps reach the disk before it does.
    m_errors.SaveReported(m_data);
}

bool TickDriver::SetUpdateInterval(int intervalMs)
{
    m_timUpdate.setInterval(intervalMs);
    return true;
}

bool TickDriver::HintShown()
{
    return m_hint.HintShown();
}

std::optional<ScreenRect> TickDriver::MainWindowRect()
{
    // The bounds rectangle ends at left + width (QRect::right() is one
    // less); the tick's test counts both edges as inside.
    const QRect r = m_window.frameGeometry();
    return ScreenRect {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TickDriver::HideHint()
{
    m_hint.HideHint();
}

} // namespace tally

#pragma once

#include "model/settings_store.h"
#include "platform/background_threads.h"
#include "platform/http_getter.h"
#include "platform/internet_probe.h"
#include "platform/system_proxy.h"
#include "runlog/brisvale_log.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tally {

// A public server that answers a plain GET of its home page with 200 OK.
inline constexpr std::string_view kDefaultProbeUrl = "http://example.com/";
inline constexpr std::chrono::milliseconds kProbeTimeout {60000};

// Hands a function to the user-interface thread, which runs it later. May be
// called from any thread.
using UiPoster = std::function<void(std::function<void()>)>;

// A status line that reads as connected.
bool StatusLineConnected(std::string_view statusLine);

struct InetProbeShared;

// The real internet check: the shell's TimInet timer calls TimInetTimer every
// TimInetIntervalMs once the tick has started it, each firing starts one probe
// on an idle-priority thread unless one still runs, and the probe's outcome
// lands in InetConnected. All members are used on the user-interface thread;
// the probe thread shares only a reference-counted block with it, so the
// checker may go while a probe still runs.
class InetChecker final : public InternetProbe
{
public:
    static constexpr int TimInetIntervalMs = 10000;

    struct Options
    {
        std::string Url = std::string(kDefaultProbeUrl);
        std::chrono::milliseconds Timeout = kProbeTimeout;
    };

    InetChecker(TBrisvaleLog& log,
                std::shared_ptr<HttpGetter> getter,
                BackgroundThreads& threads,
                UiPoster poster,
                Options options);
    // Shuts down without waiting for a running probe.
    ~InetChecker() override;
    InetChecker(const InetChecker&) = delete;
    InetChecker& operator=(const InetChecker&) = delete;

    bool TimerRunning() const override { return m_timerRunning; }
    // Enables TimInet through EnableTimInet and probes at once.
    void StartTimer() override;
    bool InetConnected() const override;

    // Set by the shell: starts its periodic TimInet timer with the given
    // interval; the timer's firings call TimInetTimer. It is never stopped
    // again before shutdown.
    std::function<void(int intervalMs)> EnableTimInet;

    void TimInetTimer();
    // Starts one probe unless one is running or the checker is shut down.
    void ProbeInternet();
    // Fills ProxyHost and ProxyPort; called once at start-up, before any probe.
    void SetupProxy(const SettingsStore& settings, const SystemProxy& systemProxy);
    // Asks a running probe to stop and starts no more; returns at once. The
    // termination handler of that probe never runs.
    void Shutdown();

    // No probe thread is running.
    bool ProbeIdle() const { return m_probeIdle; }
    const std::string& Url() const { return m_options.Url; }

    // Empty means a direct connection.
    std::string ProxyHost;
    std::int32_t ProxyPort = 0;

private:
    void ThreadTerminate();
    void Log(std::uint8_t level, std::string_view text);

    TBrisvaleLog& m_log;
    std::shared_ptr<HttpGetter> m_getter;
    BackgroundThreads& m_threads;
    Options m_options;
    std::shared_ptr<InetProbeShared> m_shared;
    // Lets a termination handler that runs after the checker is gone do
    // nothing; only the user-interface thread locks it.
    std::shared_ptr<InetChecker*> m_self;
    bool m_timerRunning = false;
    bool m_probeIdle = true;
    bool m_shutDown = false;
};

} // namespace tally

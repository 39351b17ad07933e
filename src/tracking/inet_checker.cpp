#include "tracking/inet_checker.h"

#include "tracking/proxy_setup.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <utility>

namespace tally {

// What the user-interface thread and a probe thread both touch; each holds a
// reference, so it lives as long as either needs it.
struct InetProbeShared
{
    // The tick reads this without waiting: one byte, never torn.
    std::atomic<bool> Connected {false};
    std::atomic<bool> Stop {false};
    // Serialises posting against shutdown, so that nothing is posted once
    // Shutdown has returned.
    std::mutex PostLock;
    UiPoster Poster;
};

static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free);

namespace {

// The probe thread: one request, the flag, then the termination handler
// posted to the user-interface thread.
class TInetCheckThread
{
public:
    TInetCheckThread(std::shared_ptr<InetProbeShared> shared,
                     std::shared_ptr<HttpGetter> getter,
                     HttpRequest request,
                     std::function<void()> onTerminate)
        : m_shared(std::move(shared))
        , m_getter(std::move(getter))
        , m_request(std::move(request))
        , m_onTerminate(std::move(onTerminate))
    { }

    void Execute() noexcept
    {
        std::string statusLine;
        try {
            statusLine = m_getter->StatusLine(m_request, m_shared->Stop);
        } catch (...) {
            // A failed request reads as "no answer".
            statusLine.clear();
        }
        // Written after every probe, so a failure clears an earlier success.
        m_shared->Connected.store(StatusLineConnected(statusLine));

        std::lock_guard lock(m_shared->PostLock);
        if (!m_shared->Poster) {
            return;
        }
        try {
            m_shared->Poster(std::move(m_onTerminate));
        } catch (...) {
            // Nothing on this thread could report it.
        }
    }

private:
    std::shared_ptr<InetProbeShared> m_shared;
    std::shared_ptr<HttpGetter> m_getter;
    HttpRequest m_request;
    std::function<void()> m_onTerminate;
};

} // namespace

bool StatusLineConnected(std::string_view statusLine)
{
    return statusLine.find("200 OK") != std::string_view::npos;
}

InetChecker::InetChecker(
    TBrisvaleLog& log, std::shared_ptr<HttpGetter> getter, BackgroundThreads& threads, UiPoster poster, Options options)
    : m_log(log)
    , m_getter(std::move(getter))
    , m_threads(threads)
    , m_options(std::move(options))
    , m_shared(std::make_shared<InetProbeShared>())
    , m_self(std::make_shared<InetChecker*>(this))
{
    m_shared->Poster = std::move(poster);
}

InetChecker::~InetChecker()
{
    Shutdown();
}

void InetChecker::StartTimer()
{
    m_timerRunning = true;
    if (EnableTimInet) {
        EnableTimInet(TimInetIntervalMs);
    }
    TimInetTimer();
}

bool InetChecker::InetConnected() const
{
    return m_shared->Connected.load();
}

void InetChecker::TimInetTimer()
{
    Log(2, "TimInetTimer->");
    ProbeInternet();
}

void InetChecker::ProbeInternet()
{
    if (!m_probeIdle || m_shutDown) {
        return;
    }
    Log(1, "CreateThread");
    HttpRequest request;
    request.Url = m_options.Url;
    request.ProxyHost = ProxyHost;
    request.ProxyPort = ProxyPort;
    request.Timeout = m_options.Timeout;
    std::function<void()> onTerminate = [self = std::weak_ptr<InetChecker*>(m_self)] {
        if (const auto checker = self.lock()) {
            (*checker)->ThreadTerminate();
        }
    };
    auto thread = std::make_shared<TInetCheckThread>(m_shared, m_getter, std::move(request), std::move(onTerminate));
    m_probeIdle = false;
    try {
        m_threads.StartIdle([thread] { thread->Execute(); });
    } catch (const std::exception&) {
        // Without a thread there is no termination to wait for; the next
        // firing tries again.
        m_probeIdle = true;
        Log(0, "ProbeInternet failed");
    }
}

void InetChecker::ThreadTerminate()
{
    Log(1, "ThreadTerminate");
    m_probeIdle = true;
}

void InetChecker::SetupProxy(const SettingsStore& settings, const SystemProxy& systemProxy)
{
    const std::string text = ProxyText(settings, systemProxy);
    if (!text.empty()) {
        SplitProxyText(text, ProxyHost, ProxyPort);
    }
    Log(0, "Proxy: " + text);
}

void InetChecker::Shutdown()
{
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    UiPoster poster;
    {
        std::lock_guard lock(m_shared->PostLock);
        m_shared->Stop.store(true);
        poster.swap(m_shared->Poster);
    }
    // The shell's poster is released here, on the thread that made it.
}

void InetChecker::Log(std::uint8_t level, std::string_view text)
{
    try {
        m_log.WriteLine(level, text);
    } catch (const std::exception&) {
        // The run log never stops the probe.
    }
}

} // namespace tally

#include "loopback_http_server.h"

#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/net/curl_http_getter.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "support/temp_dir.h"
#include "tracking/inet_checker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>

namespace tally {
namespace {

using namespace std::chrono_literals;
using test::LoopbackHttpServer;
using test::Reply;

// The user-interface thread's queue, drained by the test.
class PostQueue
{
public:
    UiPoster Poster()
    {
        return [this](std::function<void()> f) {
            std::lock_guard lock(m_mutex);
            m_posted.push_back(std::move(f));
            m_changed.notify_all();
        };
    }
    // Runs the next posted function on the calling thread.
    bool RunNext(std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [&] { return !m_posted.empty(); })) {
            return false;
        }
        auto f = std::move(m_posted.front());
        m_posted.pop_front();
        lock.unlock();
        f();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_posted;
};

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value)
        : m_name(name)
    {
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { unsetenv(m_name); }

private:
    const char* m_name;
};

bool WaitUntil(const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

class ProbeLoopbackTest : public ::testing::Test
{
protected:
    ProbeLoopbackTest()
    {
        log.SetLogFileName(dir.File("log.txt"));
        log.SetActive(true);
        log.SetLogDetail(2);
    }

    // Every test leaves no probe thread behind: the checker goes, and the
    // thread must let go of the getter soon after.
    ~ProbeLoopbackTest() override
    {
        std::weak_ptr<HttpGetter> held = getter;
        checker.reset();
        getter.reset();
        EXPECT_TRUE(WaitUntil([&] { return held.expired(); })) << "the probe thread outlived shutdown";
    }

    std::unique_ptr<InetChecker> Make(std::string url, std::chrono::milliseconds timeout = kProbeTimeout)
    {
        return std::make_unique<InetChecker>(log, getter, threads, posts.Poster(), InetChecker::Options {url, timeout});
    }
    // One firing of TimInet, up to the probe's termination handler.
    bool Probe()
    {
        checker->TimInetTimer();
        return posts.RunNext() && checker->ProbeIdle();
    }
    int LogCount(const std::string& text) const
    {
        const std::string content = test::ReadFile(dir.File("log.txt"));
        int count = 0;
        for (auto at = content.find(text); at != std::string::npos; at = content.find(text, at + 1)) {
            ++count;
        }
        return count;
    }

    test::TempDir dir;
    FakeClock clock {EncodeDateTime(2024, 3, 5, 14, 3, 27)};
    TBrisvaleLog log {clock};
    LoopbackHttpServer server;
    PostQueue posts;
    IdleThreads threads;
    std::shared_ptr<HttpGetter> getter = std::make_shared<CurlHttpGetter>();
    std::unique_ptr<InetChecker> checker = Make(server.Url());
};

TEST_F(ProbeLoopbackTest, OnlyA200AnswerCountsAsConnected)
{
    for (Reply other : {Reply::NoContent204, Reply::Moved301, Reply::Error500, Reply::Close}) {
        server.SetReply(Reply::Ok200);
        ASSERT_TRUE(Probe());
        EXPECT_TRUE(checker->InetConnected());
        server.SetReply(other);
        ASSERT_TRUE(Probe());
        EXPECT_FALSE(checker->InetConnected()) << static_cast<int>(other);
    }
    // One plain request per probe; the redirect was not followed.
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>(8, "GET / HTTP/1.1"));
}

TEST_F(ProbeLoopbackTest, NothingListeningAndTimeOutReadAsNotConnected)
{
    server.SetReply(Reply::Hang);
    checker = Make(server.Url(), 300ms);
    ASSERT_TRUE(Probe());
    EXPECT_FALSE(checker->InetConnected());

    const std::string closedUrl = [] {
        LoopbackHttpServer gone;
        return gone.Url();
    }();
    checker = Make(closedUrl);
    ASSERT_TRUE(Probe());
    EXPECT_FALSE(checker->InetConnected());
}

// The tick starts the probe timer on meeting an internet timer; firings while
// a probe hangs start nothing.
TEST_F(ProbeLoopbackTest, StartTimerProbesAtOnceAndAHangingProbeBlocksFirings)
{
    std::vector<int> intervals;
    checker->EnableTimInet = [&](int ms) { intervals.push_back(ms); };
    server.SetReply(Reply::Hang);
    EXPECT_FALSE(checker->TimerRunning());

    checker->StartTimer();
    EXPECT_TRUE(checker->TimerRunning());
    EXPECT_EQ(intervals, std::vector<int> {10000});
    ASSERT_TRUE(server.WaitForRequests(1));
    for (int i = 0; i < 3; ++i) {
        checker->TimInetTimer();
    }
    EXPECT_FALSE(checker->InetConnected());
    EXPECT_EQ(LogCount("TimInetTimer->"), 4);
    EXPECT_EQ(LogCount("CreateThread"), 1);

    server.SetReply(Reply::Ok200);
    server.ReleaseHeld();
    ASSERT_TRUE(posts.RunNext());
    EXPECT_TRUE(checker->ProbeIdle());
    EXPECT_TRUE(checker->InetConnected());
    EXPECT_EQ(server.Requests(), 1);

    ASSERT_TRUE(Probe());
    EXPECT_EQ(server.Requests(), 2);
}

TEST_F(ProbeLoopbackTest, AProxyCarriesTheRequestAndItsAnswerDecides)
{
    LoopbackHttpServer proxy(Reply::Ok200);
    server.SetReply(Reply::Error500);
    MemorySettings settings;
    settings.WriteBool("main", "ProxyEnable", true);
    settings.WriteString("main", "Proxy", "127.0.0.1:" + std::to_string(proxy.Port()));
    checker->SetupProxy(settings, NoSystemProxy {});

    ASSERT_TRUE(Probe());
    EXPECT_TRUE(checker->InetConnected());
    proxy.SetReply(Reply::Error500);
    server.SetReply(Reply::Ok200);
    ASSERT_TRUE(Probe());
    EXPECT_FALSE(checker->InetConnected());

    EXPECT_EQ(proxy.RequestLines(), std::vector<std::string>(2, "GET " + server.Url() + " HTTP/1.1"));
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(ProbeLoopbackTest, ProxyVariablesOfTheEnvironmentChangeNothing)
{
    LoopbackHttpServer envProxy(Reply::Error500);
    ScopedEnv lower("http_proxy", envProxy.Url());
    ScopedEnv upper("HTTP_PROXY", envProxy.Url());
    ASSERT_TRUE(Probe());
    EXPECT_TRUE(checker->InetConnected());

    LoopbackHttpServer ourProxy(Reply::Ok200);
    ScopedEnv noProxy("no_proxy", "*");
    checker->ProxyHost = "127.0.0.1";
    checker->ProxyPort = ourProxy.Port();
    ASSERT_TRUE(Probe());
    EXPECT_TRUE(checker->InetConnected());

    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(ourProxy.Requests(), 1);
    EXPECT_EQ(envProxy.Requests(), 0);
}

// Nobody waits for the hanging probe, yet it ends soon (the fixture checks
// that, the sanitizer build that it touches nothing that went with the
// checker) and posts nothing.
TEST_F(ProbeLoopbackTest, ShutdownWhileAProbeHangsEndsItPromptly)
{
    server.SetReply(Reply::Hang);
    checker->StartTimer();
    ASSERT_TRUE(server.WaitForRequests(1));
    checker.reset();
    EXPECT_FALSE(posts.RunNext(100ms));
}

} // namespace
} // namespace tally

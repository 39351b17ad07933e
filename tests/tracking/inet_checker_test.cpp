#include "tracking/inet_checker.h"

#include "model/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/system/no_system_proxy.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <system_error>

namespace tally {
namespace {

// Keeps each thread body until the test runs it, on the test's own thread.
class ManualThreads final : public BackgroundThreads
{
public:
    void StartIdle(std::function<void()> body) override
    {
        if (Fail) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        Bodies.push_back(std::move(body));
    }
    void RunNext()
    {
        auto body = std::move(Bodies.front());
        Bodies.erase(Bodies.begin());
        body();
    }

    std::vector<std::function<void()>> Bodies;
    bool Fail = false;
};

class ScriptedGetter final : public HttpGetter
{
public:
    std::string StatusLine(const HttpRequest& request, const std::atomic<bool>& stop) override
    {
        Requests.push_back(request);
        StopSeen.push_back(stop.load());
        if (Throw) {
            throw std::runtime_error("connection refused");
        }
        return Answer;
    }

    std::string Answer = "HTTP/1.1 200 OK";
    bool Throw = false;
    std::vector<HttpRequest> Requests;
    std::vector<bool> StopSeen;
};

class InetCheckerCoreTest : public ::testing::Test
{
protected:
    InetCheckerCoreTest()
    {
        log.SetLogFileName(dir.File("log.txt"));
        log.SetActive(true);
        log.SetLogDetail(2);
    }

    std::unique_ptr<InetChecker> Make()
    {
        return std::make_unique<InetChecker>(
            log, getter, threads, [this](std::function<void()> f) { posted.push_back(std::move(f)); }, options);
    }
    void RunPosted()
    {
        for (auto& f : std::exchange(posted, {})) {
            f();
        }
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
    std::shared_ptr<ScriptedGetter> getter = std::make_shared<ScriptedGetter>();
    ManualThreads threads;
    std::vector<std::function<void()>> posted;
    InetChecker::Options options {"http://probe.test/", std::chrono::milliseconds(1500)};
};

TEST(StatusLineConnected, NeedsTheExactText)
{
    EXPECT_TRUE(StatusLineConnected("HTTP/1.1 200 OK"));
    EXPECT_TRUE(StatusLineConnected("HTTP/1.0 200 OK"));
    EXPECT_FALSE(StatusLineConnected("HTTP/1.1 200 Ok"));
    EXPECT_FALSE(StatusLineConnected("HTTP/1.1 200"));
    EXPECT_FALSE(StatusLineConnected("HTTP/1.1 204 No Content"));
    EXPECT_FALSE(StatusLineConnected(""));
}

TEST_F(InetCheckerCoreTest, ProbeCarriesUrlProxyAndTimeOutAndLogsItsSteps)
{
    auto checker = Make();
    MemorySettings settings;
    settings.WriteBool("main", "ProxyEnable", true);
    settings.WriteString("main", "Proxy", "cache.lan:8080");
    checker->SetupProxy(settings, NoSystemProxy {});

    checker->TimInetTimer();
    ASSERT_EQ(threads.Bodies.size(), 1u);
    EXPECT_FALSE(checker->ProbeIdle());
    threads.RunNext();
    EXPECT_TRUE(checker->InetConnected()); // visible at once, before the handler
    EXPECT_FALSE(checker->ProbeIdle());    // only the user-interface thread clears it
    RunPosted();
    EXPECT_TRUE(checker->ProbeIdle());

    ASSERT_EQ(getter->Requests.size(), 1u);
    const HttpRequest& request = getter->Requests[0];
    EXPECT_EQ(request.Url, "http://probe.test/");
    EXPECT_EQ(request.ProxyHost, "cache.lan");
    EXPECT_EQ(request.ProxyPort, 8080);
    EXPECT_EQ(request.Timeout, std::chrono::milliseconds(1500));
    EXPECT_EQ(LogCount("Proxy: cache.lan:8080\r\n"), 1);
    EXPECT_EQ(LogCount("TimInetTimer->\r\n"), 1);
    EXPECT_EQ(LogCount("CreateThread\r\n"), 1);
    EXPECT_EQ(LogCount("ThreadTerminate\r\n"), 1);
}

TEST_F(InetCheckerCoreTest, LogLevelsOfTheSteps)
{
    log.SetLogDetail(1);
    auto checker = Make();
    checker->SetupProxy(MemorySettings {}, NoSystemProxy {});
    checker->TimInetTimer();
    threads.RunNext();
    RunPosted();
    log.SetLogDetail(0);
    checker->TimInetTimer();
    threads.RunNext();
    RunPosted();
    EXPECT_EQ(LogCount("Proxy: \r\n"), 1);
    EXPECT_EQ(LogCount("TimInetTimer->"), 0);
    EXPECT_EQ(LogCount("CreateThread"), 1);
    EXPECT_EQ(LogCount("ThreadTerminate"), 1);
}

TEST_F(InetCheckerCoreTest, AFailingRequestReadsAsNoAnswer)
{
    auto checker = Make();
    getter->Throw = true;
    checker->TimInetTimer();
    threads.RunNext();
    RunPosted();
    EXPECT_FALSE(checker->InetConnected());
    EXPECT_TRUE(checker->ProbeIdle());
}

TEST_F(InetCheckerCoreTest, AThreadThatCannotStartLeavesTheProbeIdle)
{
    auto checker = Make();
    threads.Fail = true;
    checker->TimInetTimer();
    EXPECT_TRUE(checker->ProbeIdle());
    EXPECT_EQ(LogCount("ProbeInternet failed"), 1);
    threads.Fail = false;
    checker->TimInetTimer();
    EXPECT_EQ(threads.Bodies.size(), 1u);
}

// The checker and the shell's poster go while the probe still runs; the probe
// then ends without touching either (the sanitizer build catches a slip).
TEST_F(InetCheckerCoreTest, ShutdownDoesNotWaitAndNothingIsPostedAfterIt)
{
    auto queue = std::make_unique<std::vector<std::function<void()>>>();
    auto checker = std::make_unique<InetChecker>(
        log, getter, threads, [q = queue.get()](std::function<void()> f) { q->push_back(std::move(f)); }, options);
    checker->StartTimer();
    checker.reset();
    queue.reset();

    threads.RunNext();
    EXPECT_EQ(getter->StopSeen, std::vector<bool> {true});
}

TEST_F(InetCheckerCoreTest, AHandlerThatArrivesAfterTheCheckerWentDoesNothing)
{
    auto checker = Make();
    checker->TimInetTimer();
    threads.RunNext();
    checker.reset();
    ASSERT_EQ(posted.size(), 1u);
    RunPosted();
    EXPECT_EQ(LogCount("ThreadTerminate"), 0);
}

TEST_F(InetCheckerCoreTest, NoProbeAfterShutdown)
{
    auto checker = Make();
    checker->Shutdown();
    checker->TimInetTimer();
    EXPECT_TRUE(threads.Bodies.empty());
}

} // namespace
} // namespace tally

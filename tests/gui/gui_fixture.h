#pragma once

#include "model/datetime.h"
#include "model/settings_store.h"
#include "platform/autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/http_getter.h"
#include "platform/system/idle_threads.h"
#include "platform/system/no_system_proxy.h"
#include "platform/system/posix_file_system.h"
#include "shell/app/application.h"
#include "support/temp_dir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tally::test {

// Widget tests share one application object for the whole program.
class GuiTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "tests_gui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) {
            new QApplication(argc, argv);
        }
    }
};

// An HTTP getter that never answers, for applications built in tests.
class NoHttp final : public HttpGetter
{
public:
    std::string StatusLine(const HttpRequest&, const std::atomic<bool>&) override { return {}; }
};

// Autostart that only remembers what it was told.
class RecordingAutoStart final : public AutoStart
{
public:
    bool SetAutoStart(bool on) override
    {
        registered = on;
        return true;
    }
    bool IsAutoStart() const override { return registered; }
    bool registered = false;
};

// The whole application on scripted platform pieces, its data in a fresh
// folder and its settings in memory, started the way the program starts.
class AppTest : public GuiTest
{
protected:
    // A user who has run the program before: run log on, no splash.
    static void WriteQuietSettings(SettingsStore& settings, const char* firstLaunch = "0")
    {
        settings.WriteString("main", "LogActive", "1");
        settings.WriteString("main", "SplashOn", "0");
        settings.WriteString("main", "FirstLaunch", firstLaunch);
    }

    void StartApp(std::unique_ptr<SettingsStore> store)
    {
        clock.Set(EncodeDateTime(2026, 7, 1, 10, 0, 0));
        AppEnvironment env;
        env.InstallPath = dir.Path().string() + "/";
        env.ProgramFile = dir.File("tallyhour-zide");
        env.SysClock = &clock;
        env.Desk = &desktop;
        env.AutoRun = &autoStart;
        env.Proxy = &proxy;
        env.Threads = &threads;
        env.Http = std::make_shared<NoHttp>();
        env.Settings = std::move(store);
        env.Files = &SystemFiles();
        env.SplashMs = 0;
        env.Statistics = MakeStatistics;
        env.TrayAvailable = trayAvailable;
        app = std::make_unique<Application>(std::move(env));
        app->Errors().ShowMessage
            = [this](const QString&, const QString& text) { messages.push_back(text.toStdString()); };
        app->Start();
    }

    // The application goes before anything a test class added that it may
    // still write to as it ends.
    void TearDown() override { app.reset(); }

    TempDir dir;
    FakeClock clock;
    FakeDesktop desktop;
    RecordingAutoStart autoStart;
    NoSystemProxy proxy;
    IdleThreads threads;
    std::vector<std::string> messages;
    std::function<bool()> trayAvailable; // empty: a tray is taken to exist
    std::unique_ptr<Application> app;
};

} // namespace tally::test

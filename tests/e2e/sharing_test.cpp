#include "model/time_model.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

namespace tally::test {
namespace {

namespace fs = std::filesystem;

// A TCP port on the loopback that nothing listens on just now.
int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// One sync tool instance with a home of its own, talking to its peer only.
struct SyncPeer
{
    SyncPeer(fs::path home, fs::path folder)
        : Home(std::move(home))
        , Folder(std::move(folder))
    { }

    fs::path Home;
    fs::path Folder;
    std::string DeviceId;
    int Port = 0;
    std::unique_ptr<ChildProcess> Process;

    std::string Output() const { return fs::exists(Home / "out.txt") ? ReadFile((Home / "out.txt").string()) : ""; }

    std::vector<std::string> Environment() const
    {
        return {"HOME=" + Home.string(), "STNOUPGRADE=1", "STNODEFAULTFOLDER=1", "STNORESTART=1"};
    }

    // Keys and a device id; false when the tool cannot make them.
    bool Generate()
    {
        fs::create_directories(Home);
        fs::create_directories(Folder / ".stfolder");
        const int out = ::open((Home / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ChildProcess::Options options;
        options.Environment = Environment();
        options.StdoutFd = out;
        options.StderrFd = out;
        const int status = [&] {
            ChildProcess generate(
                {"syncthing", "generate", "--home=" + Home.string(), "--no-default-folder", "--skip-port-probing"},
                options);
            return generate.Wait(60s).value_or(-1);
        }();
        ::close(out);
        std::smatch match;
        const std::string text = Output();
        if (status != 0 || !std::regex_search(text, match, std::regex("Device ID: ([A-Z0-9-]+)"))) {
            return false;
        }
        DeviceId = match[1];
        return true;
    }

    // Written before the start: discovery, relays, NAT traversal, usage
    // reports, crash reports, upgrades and the web interface all off.
    void Configure(const SyncPeer& peer) const
    {
        const std::string device = [](const std::string& id, const std::string& name, const std::string& address) {
            return "  <device id=\"" + id + "\" name=\"" + name
                   + "\" compression=\"metadata\" introducer=\"false\" skipIntroductionRemovals=\"false\" "
                     "introducedBy=\"\">\n    <address>"
                   + address + "</address>\n    <autoAcceptFolders>false</autoAcceptFolders>\n  </device>\n";
        }(peer.DeviceId, "peer", "tcp://127.0.0.1:" + std::to_string(peer.Port));
        const std::string self = "  <device id=\"" + DeviceId
                                 + "\" name=\"self\" compression=\"metadata\" introducer=\"false\">\n"
                                   "    <address>dynamic</address>\n  </device>\n";
        const std::string config
            = "<configuration version=\"36\">\n"
              "  <folder id=\"tally\" label=\"tally\" path=\""
              + Folder.string()
              + "\" type=\"sendreceive\" rescanIntervalS=\"2\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\">\n"
                "    <device id=\""
              + DeviceId + "\"></device>\n    <device id=\"" + peer.DeviceId + "\"></device>\n  </folder>\n" + self
              + device
              + "  <gui enabled=\"false\" tls=\"false\"><address>127.0.0.1:0</address></gui>\n"
                "  <options>\n"
                "    <listenAddress>tcp://127.0.0.1:"
              + std::to_string(Port)
              + "</listenAddress>\n"
                "    <globalAnnounceServer></globalAnnounceServer>\n"
                "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
                "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
                "    <relaysEnabled>false</relaysEnabled>\n"
                "    <natEnabled>false</natEnabled>\n"
                "    <stunServer></stunServer>\n"
                "    <urAccepted>-1</urAccepted>\n"
                "    <urURL></urURL>\n"
                "    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
                "    <releasesURL></releasesURL>\n"
                "    <crashReportingEnabled>false</crashReportingEnabled>\n"
                "    <crashReportingURL></crashReportingURL>\n"
                "    <startBrowser>false</startBrowser>\n"
                "    <reconnectionIntervalS>1</reconnectionIntervalS>\n"
                "    <restartOnWakeup>false</restartOnWakeup>\n"
                "  </options>\n"
                "</configuration>\n";
        WriteFile((Home / "config.xml").string(), config);
    }

    void Start()
    {
        const int out = ::open((Home / "out.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ChildProcess::Options options;
        options.Environment = Environment();
        options.StdoutFd = out;
        options.StderrFd = out;
        Process = std::make_unique<ChildProcess>(
            std::vector<std::string> {
                "syncthing", "serve", "--home=" + Home.string(), "--no-browser", "--no-restart", "--no-upgrade"},
            options);
        ::close(out);
    }
};

class SharingTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            for (const char* name : {"alpha", "beta"}) {
                dataDir = sync.Path() / name;
                std::cout << "---- run log of " << name << " ----\n" << Log() << "---- end of run log ----\n";
            }
            for (const SyncPeer* peer : {&one, &two}) {
                std::cout << "---- sync tool ----\n" << peer->Output() << "---- end ----\n";
            }
        }
        for (SyncPeer* peer : {&one, &two}) {
            if (peer->Process) {
                peer->Process->Stop();
            }
        }
    }

    // A copy of the program in its own folder, counting a manual timer
    // "Write", sharing the folder under its computer name.
    std::unique_ptr<ChildProcess> StartComputer(const fs::path& home,
                                                const std::string& name,
                                                const fs::path& share,
                                                const std::string& extraMain = "",
                                                const std::string& extraSharing = "")
    {
        fs::create_directories(home / "run");
        fs::permissions(home / "run", fs::perms::owner_all);
        const std::string program = (home / "tallyhour-zide").string();
        if (!fs::exists(program)) {
            CopyBuiltProgram(program);
        }
        WriteFile((home / "portable").string(), "");
        WriteFile((home / "tallyhourlite.ini").string(),
                  "[main]\nLogActive=1\nLogDetail=0\nSplashOn=0\nAutoRun=0\nFirstLaunch=1\n" + extraMain
                      + "[Sharing]\nFolder=" + share.string() + "\nComputerName=" + name + "\n" + extraSharing);
        if (fs::exists(home / std::string(kDataFileName))) {
            // Started again: the time it counted stays.
            return Launch(home, program);
        }
        TimeModel model;
        TMyTimer& write = model.Timers.Create();
        write.Name = "Write";
        write.TimerType = ttManual;
        write.SetEnabled(true);
        DataFile data(model, quietLog, clock, SystemFiles(), DataFilePaths::InDirectory(home));
        data.Save(data.Paths().DataFile);
        return Launch(home, program);
    }

    std::unique_ptr<ChildProcess> Launch(const fs::path& home, const std::string& program)
    {
        ChildProcess::Options options;
        options.Environment = {"DISPLAY=" + rig->Display(),
                               "QT_QPA_PLATFORM=xcb",
                               "TALLYHOUR_DATA_DIR=",
                               "XDG_DATA_HOME=" + (home / "share").string(),
                               "XDG_CONFIG_HOME=" + (home / "config").string(),
                               "XDG_RUNTIME_DIR=" + (home / "run").string(),
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (home / "no-bus").string(),
                               "TALLYHOUR_PROBE_URL=http://127.0.0.1:9/"};
        options.Quiet = true;
        return std::make_unique<ChildProcess>(std::vector<std::string> {program}, options);
    }

    static bool HasFile(const fs::path& folder, const std::string& prefix)
    {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind(prefix, 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".dat") {
                return true;
            }
        }
        return false;
    }

    std::string Report(const fs::path& folder) const
    {
        const std::string out = dir.File("report.txt");
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ChildProcess::Options options;
        options.StdoutFd = fd;
        ChildProcess report({TALLY_DATA_TOOL, "report", "--folder", folder.string(), "--csv"}, options);
        EXPECT_EQ(report.Wait(60s), 0);
        ::close(fd);
        return ReadFile(out);
    }

    TempDir sync;
    SyncPeer one {sync.Path() / "home1", sync.Path() / "share1"};
    SyncPeer two {sync.Path() / "home2", sync.Path() / "share2"};
};

// Two computers, each with its own sync tool instance on the loopback: each
// program writes only its own file into its shared folder, the tools carry
// it across, and the report over either folder holds both computers' time.
TEST_F(SharingTest, TwoComputersCountOneAccountThroughTheSyncTool)
{
    if (RunProgram({"syncthing", "--version"}, {}, 30s) != 0) {
        GTEST_SKIP() << "Syncthing cannot start: it is not installed";
    }
    if (!one.Generate() || !two.Generate()) {
        GTEST_SKIP() << "Syncthing cannot make its keys: " << one.Output() << two.Output();
    }
    one.Port = FreePort();
    two.Port = FreePort();
    one.Configure(two);
    two.Configure(one);
    one.Start();
    two.Start();
    std::this_thread::sleep_for(3s);
    if (!one.Process->Running() || !two.Process->Running()) {
        GTEST_SKIP() << "Syncthing cannot start: " << one.Output() << two.Output();
    }

    auto alpha = StartComputer(sync.Path() / "alpha", "alpha", one.Folder);
    auto beta = StartComputer(sync.Path() / "beta", "beta", two.Folder);
    // Both count from the moment their window shows.
    for (const char* name : {"beta", "alpha"}) {
        dataDir = sync.Path() / name;
        ASSERT_TRUE(LogHas("FormShow->", 60s)) << name;
    }
    std::this_thread::sleep_for(6s);
    EXPECT_EQ(Terminate(*alpha), 0);
    EXPECT_EQ(Terminate(*beta), 0);
    ASSERT_TRUE(HasFile(one.Folder, "alpha-")) << "the save wrote this computer's copy";
    ASSERT_TRUE(HasFile(two.Folder, "beta-"));

    EXPECT_TRUE(XRig::WaitUntil([&] { return HasFile(one.Folder, "beta-") && HasFile(two.Folder, "alpha-"); }, 90s))
        << "the sync tools exchanged the files";
    // Each side may be mid-way through a file for a moment: the report is
    // asked again until it holds both computers.
    for (const fs::path& folder : {one.Folder, two.Folder}) {
        SCOPED_TRACE(folder.string());
        std::string csv;
        const bool both = XRig::WaitUntil(
            [&] {
                csv = Report(folder);
                return std::regex_search(csv, std::regex(",Write,,alpha,(?!0\\.000,)[0-9]"))
                       && std::regex_search(csv, std::regex(",Write,,beta,(?!0\\.000,)[0-9]"));
            },
            30s);
        EXPECT_TRUE(both) << csv;
        EXPECT_EQ(csv.rfind("date,timer,project,computer,active_seconds,background_seconds\r\n", 0), 0U) << csv;
    }

    // alpha again, its statistics window open with "All computers" ticked:
    // once a timer is picked, the text page names both computers' time.
    dataDir = sync.Path() / "alpha";
    auto again = StartComputer(dataDir, "alpha", one.Folder, "StatVisible=1\n", "AllComputers=1\n");
    ASSERT_TRUE(LogHas("Stat.SetHomePos-<", 60s));
    ASSERT_TRUE(XRig::WaitUntil([&] { return MainWindow().has_value(); }, 40s));
    std::ostringstream id;
    id << "0x" << std::hex << MainWindow()->Id;
    const std::regex both("AllComputers: alpha \\(this computer\\): (?!0:00:00)[0-9:]+ \\([0-9]+%\\); "
                          "beta: (?!0:00:00)[0-9:]+ \\([0-9]+%\\);");
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        rig->Xdotool({"windowactivate", "--sync", id.str(), "key", "ctrl+a"});
        shown = XRig::WaitUntil([&] { return std::regex_search(Log(), both); }, 10s);
    }
    EXPECT_TRUE(shown) << "the statistics window shows both computers";
    const auto artifacts = fs::path(TALLY_E2E_ARTIFACT_DIR);
    fs::create_directories(artifacts);
    rig->Screenshot((artifacts / "all_computers.png").string());
    EXPECT_EQ(Terminate(*again), 0);
}

} // namespace
} // namespace tally::test

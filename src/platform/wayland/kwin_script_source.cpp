#include "platform/wayland/kwin_script_source.h"

#include "platform/logind/bus_connection.h"
#include "platform/system/data_dir.h"
#include "platform/wayland/kwin_window_feed.h"

#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace tally {

namespace {

using logind::BusError;
using logind::BusPtr;
using logind::MessagePtr;
using Clock = std::chrono::steady_clock;

constexpr const char* kKwin = "org.kde.KWin";
constexpr const char* kScripting = "org.kde.kwin.Scripting";

// KWin's list, through our object, with the script that feeds it loaded for
// as long as the source lives.
class KwinScriptSource final : public WindowSource
{
public:
    KwinScriptSource(BusPtr bus, const std::string& kwinName)
        : m_bus(std::move(bus))
        , m_feed(m_bus.get(), kwinName)
    {
        m_feed.SetChangedCallback([this] { Changed(); });
    }
    ~KwinScriptSource() override { Unload(); }
    KwinScriptSource(const KwinScriptSource&) = delete;
    KwinScriptSource& operator=(const KwinScriptSource&) = delete;

    std::string Name() const override { return m_feed.Name(); }
    bool KnowsProcesses() const override { return true; }
    const std::vector<SeenWindow>& Windows() override { return m_feed.Windows(); }
    int EventDescriptor() const override { return m_feed.EventDescriptor(); }
    void Dispatch() override { m_feed.Dispatch(); }

    // Loads and runs the script; throws with KWin's reason.
    void Load(const std::string& scriptFile, std::chrono::milliseconds timeout)
    {
        Unload(); // a copy a former run left would push to nobody
        BusError error;
        sd_bus_message* raw = nullptr;
        int r = sd_bus_call_method(m_bus.get(),
                                   kKwin,
                                   "/Scripting",
                                   kScripting,
                                   "loadScript",
                                   error.Get(),
                                   &raw,
                                   "ss",
                                   scriptFile.c_str(),
                                   kKwinScriptName);
        MessagePtr reply(raw);
        std::int32_t id = -1;
        if (r < 0 || sd_bus_message_read(reply.get(), "i", &id) < 0) {
            throw std::runtime_error("KWin did not load its script: " + error.Text(r));
        }
        if (id < 0) {
            throw std::runtime_error("KWin refused to load its script " + scriptFile);
        }
        // Plasma 6 keeps its scripts under /Scripting, Plasma 5 at the root.
        const std::string six = "/Scripting/Script" + std::to_string(id);
        // Built by appending: GCC 12 at -O3 misreads a short literal joined
        // in front of a string as an overlapping copy.
        std::string five = "/";
        five += std::to_string(id);
        std::string problem;
        for (const std::string& path : {six, five}) {
            BusError runError;
            r = sd_bus_call_method(
                m_bus.get(), kKwin, path.c_str(), "org.kde.kwin.Script", "run", runError.Get(), nullptr, "");
            if (r >= 0) {
                problem.clear();
                break;
            }
            problem = runError.Text(r);
        }
        if (!problem.empty()) {
            throw std::runtime_error("KWin did not run its script: " + problem);
        }
        const auto deadline = Clock::now() + timeout;
        while (m_feed.Pushes() == 0) {
            m_feed.Dispatch();
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                throw std::runtime_error("KWin's script sent no window list");
            }
            if (m_feed.Pushes() == 0 && sd_bus_wait(m_bus.get(), static_cast<std::uint64_t>(left.count())) < 0) {
                throw std::runtime_error("the session bus went away");
            }
        }
    }

private:
    void Unload()
    {
        BusError error;
        sd_bus_call_method(
            m_bus.get(), kKwin, "/Scripting", kScripting, "unloadScript", error.Get(), nullptr, "s", kKwinScriptName);
    }

    BusPtr m_bus;
    KwinWindowFeed m_feed;
};

} // namespace

KwinSourceOpening
OpenKwinWindowSource(const std::string& scriptFile, const std::string& busAddress, std::chrono::milliseconds timeout)
{
    KwinSourceOpening opening;
    logind::OpenedBus opened = logind::OpenBus(logind::BusKind::Session, busAddress, timeout);
    if (!opened.Bus) {
        return opening;
    }
    sd_bus* bus = opened.Bus.get();
    sd_bus_creds* creds = nullptr;
    if (sd_bus_get_name_creds(bus, kKwin, SD_BUS_CREDS_UNIQUE_NAME, &creds) < 0) {
        return opening; // not a KWin session
    }
    const char* unique = nullptr;
    std::string kwinName;
    if (sd_bus_creds_get_unique_name(creds, &unique) >= 0 && unique != nullptr) {
        kwinName = unique;
    }
    sd_bus_creds_unref(creds);
    opening.KwinRuns = true;
    if (kwinName.empty()) {
        opening.Problem = "KWin's bus name has no owner";
        return opening;
    }
    if (!std::filesystem::is_regular_file(scriptFile)) {
        opening.Problem = "KWin's script is missing: " + scriptFile;
        return opening;
    }
    const int r = sd_bus_request_name(bus, kKwinFeedService, 0);
    if (r < 0) {
        BusError none;
        opening.Problem = "cannot take the bus name " + std::string(kKwinFeedService) + ": "
                          + (r == -EEXIST ? std::string("another copy of the program holds it") : none.Text(r));
        return opening;
    }
    try {
        auto source = std::make_unique<KwinScriptSource>(std::move(opened.Bus), kwinName);
        source->Load(scriptFile, timeout);
        opening.Source = std::move(source);
    } catch (const std::exception& e) {
        opening.Problem = e.what();
    }
    return opening;
}

std::string KwinScriptFile(const std::string& programFolder)
{
    namespace fs = std::filesystem;
    const fs::path beside = fs::path(programFolder) / "kwin" / "kwin-window-feed.js";
    std::error_code error;
    if (fs::is_regular_file(beside, error)) {
        return beside.string();
    }
    const fs::path shared
        = fs::path(programFolder) / ".." / "share" / "tallyhour-zide" / "kwin" / "kwin-window-feed.js";
    return fs::weakly_canonical(shared, error).string();
}

std::string AttachKwinSource(WaylandDesktopOptions& options)
{
    if (options.Pushed) {
        return {};
    }
    const std::string folder = std::filesystem::path(ProgramFilePath()).parent_path().string();
    KwinSourceOpening opening = OpenKwinWindowSource(KwinScriptFile(folder), "", std::chrono::milliseconds(3000));
    if (!opening.KwinRuns) {
        return {};
    }
    if (!opening.Source) {
        return "KWin gave no window list: " + opening.Problem;
    }
    options.Pushed = std::move(opening.Source);
    return {};
}

} // namespace tally

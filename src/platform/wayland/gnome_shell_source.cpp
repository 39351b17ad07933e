#include "platform/wayland/gnome_shell_source.h"

#include "platform/logind/bus_connection.h"
#include "platform/system/data_dir.h"
#include "platform/wayland/kwin_window_feed.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace tally {

namespace {

namespace fs = std::filesystem;
using logind::BusError;
using logind::BusPtr;
using logind::MessagePtr;
using Clock = std::chrono::steady_clock;

constexpr const char* kShell = "org.gnome.Shell";
constexpr const char* kShellPath = "/org/gnome/Shell";
constexpr const char* kExtensions = "org.gnome.Shell.Extensions";
constexpr const char* kIdleMonitor = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kIdleMonitorPath = "/org/gnome/Mutter/IdleMonitor/Core";

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

fs::path UserExtensionsFolder()
{
    const std::string data = Variable("XDG_DATA_HOME");
    const fs::path base = !data.empty() ? fs::path(data) : fs::path(Variable("HOME")) / ".local" / "share";
    return base / "gnome-shell" / "extensions";
}

// Where GNOME Shell looks for extensions at its start.
bool InstalledOnDisk()
{
    std::vector<fs::path> folders {UserExtensionsFolder()};
    std::string dirs = Variable("XDG_DATA_DIRS");
    if (dirs.empty()) {
        dirs = "/usr/local/share:/usr/share";
    }
    std::stringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');) {
        if (!dir.empty()) {
            folders.push_back(fs::path(dir) / "gnome-shell" / "extensions");
        }
    }
    std::error_code error;
    for (const fs::path& folder : folders) {
        if (fs::is_regular_file(folder / kGnomeExtensionUuid / "metadata.json", error)) {
            return true;
        }
    }
    return false;
}

// GetExtensionInfo's state (a number sent as a double) and error text; no
// state when GNOME Shell does not know the extension.
void ReadExtensionInfo(sd_bus* bus, GnomeShellFacts& facts)
{
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(
        bus, kShell, kShellPath, kExtensions, "GetExtensionInfo", error.Get(), &raw, "s", kGnomeExtensionUuid);
    MessagePtr reply(raw);
    double state = 0;
    bool known = false;
    if (r >= 0 && sd_bus_message_enter_container(reply.get(), 'a', "{sv}") > 0) {
        while (sd_bus_message_enter_container(reply.get(), 'e', "sv") > 0) {
            const char* key = nullptr;
            char type = 0;
            const char* contents = nullptr;
            if (sd_bus_message_read(reply.get(), "s", &key) < 0
                || sd_bus_message_peek_type(reply.get(), &type, &contents) < 0 || contents == nullptr) {
                break;
            }
            const std::string name = key != nullptr ? key : "";
            if ((name == "state" && std::string(contents) == "d")
                || (name == "error" && std::string(contents) == "s")) {
                sd_bus_message_enter_container(reply.get(), 'v', contents);
                if (name == "state") {
                    known = sd_bus_message_read(reply.get(), "d", &state) >= 0;
                } else {
                    const char* text = nullptr;
                    if (sd_bus_message_read(reply.get(), "s", &text) >= 0 && text != nullptr) {
                        facts.Error = text;
                    }
                }
                sd_bus_message_exit_container(reply.get());
            } else {
                sd_bus_message_skip(reply.get(), "v");
            }
            sd_bus_message_exit_container(reply.get());
        }
    }
    // 1 enabled (active), 3 error, 4 out of date, 99 uninstalled; the rest
    // (disabled, initialised, deactivated) wait for an enable.
    const int code = static_cast<int>(state);
    if (!known || code == 99) {
        facts.State = InstalledOnDisk() ? GnomeExtensionState::NotLoaded : GnomeExtensionState::NotInstalled;
    } else if (code == 1) {
        facts.State = GnomeExtensionState::Silent;
    } else if (code == 3 || code == 4) {
        facts.State = GnomeExtensionState::Failed;
    } else {
        facts.State = GnomeExtensionState::Disabled;
    }
}

// Mutter's idle time, asked for at each call over a connection of its own,
// so that no other message waits behind the answer.
class MutterIdle
{
public:
    explicit MutterIdle(BusPtr bus)
        : m_bus(std::move(bus))
    { }

    std::optional<std::uint32_t> Seconds()
    {
        BusError error;
        sd_bus_message* raw = nullptr;
        const int r = sd_bus_call_method(
            m_bus.get(), kIdleMonitor, kIdleMonitorPath, kIdleMonitor, "GetIdletime", error.Get(), &raw, "");
        MessagePtr reply(raw);
        std::uint64_t ms = 0;
        // Signals the bus sends us go unread otherwise.
        while (sd_bus_process(m_bus.get(), nullptr) > 0) {
        }
        if (r < 0 || sd_bus_message_read(reply.get(), "t", &ms) < 0) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(ms / 1000);
    }

private:
    BusPtr m_bus;
};

// Our object, fed by the extension inside GNOME Shell.
class GnomeShellSource final : public WindowSource
{
public:
    GnomeShellSource(BusPtr bus, const std::string& shellName, GnomeExtensionState state)
        : m_bus(std::move(bus))
        , m_feed(m_bus.get(), shellName, "GNOME Shell extension")
        , m_state(state)
    {
        m_feed.SetChangedCallback([this] {
            m_state = GnomeExtensionState::Running;
            Changed();
        });
    }

    std::string Name() const override { return m_feed.Name(); }
    bool KnowsProcesses() const override { return true; }
    const std::vector<SeenWindow>& Windows() override { return m_feed.Windows(); }
    int EventDescriptor() const override { return m_feed.EventDescriptor(); }
    void Dispatch() override { m_feed.Dispatch(); }
    std::string Missing() const override { return GnomeExtensionFix(m_state); }

    GnomeExtensionState State() const { return m_state; }

    bool WaitForList(std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (m_feed.Pushes() == 0) {
            m_feed.Dispatch();
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (m_feed.Pushes() != 0) {
                break;
            }
            if (left.count() <= 0 || sd_bus_wait(m_bus.get(), static_cast<std::uint64_t>(left.count())) < 0) {
                return false;
            }
        }
        return true;
    }

private:
    BusPtr m_bus;
    KwinWindowFeed m_feed;
    GnomeExtensionState m_state;
};

} // namespace

GnomeShellFacts ReadGnomeShellFacts(sd_bus* bus)
{
    GnomeShellFacts facts;
    sd_bus_creds* creds = nullptr;
    if (sd_bus_get_name_creds(bus, kShell, SD_BUS_CREDS_UNIQUE_NAME, &creds) < 0) {
        return facts;
    }
    const char* unique = nullptr;
    if (sd_bus_creds_get_unique_name(creds, &unique) >= 0 && unique != nullptr) {
        facts.ShellName = unique;
    }
    sd_bus_creds_unref(creds);
    facts.ShellRuns = true;
    BusError error;
    char* version = nullptr;
    if (sd_bus_get_property_string(bus, kShell, kShellPath, kShell, "ShellVersion", error.Get(), &version) >= 0
        && version != nullptr) {
        facts.ShellMajor = std::atoi(version);
        std::free(version);
    }
    ReadExtensionInfo(bus, facts);
    return facts;
}

GnomeSourceOpening OpenGnomeShellSource(const std::string& busAddress, std::chrono::milliseconds timeout)
{
    GnomeSourceOpening opening;
    logind::OpenedBus opened = logind::OpenBus(logind::BusKind::Session, busAddress, timeout);
    if (!opened.Bus) {
        return opening;
    }
    opening.Facts = ReadGnomeShellFacts(opened.Bus.get());
    if (!opening.Facts.ShellRuns) {
        return opening;
    }
    if (logind::OpenedBus idle = logind::OpenBus(logind::BusKind::Session, busAddress, timeout); idle.Bus) {
        auto monitor = std::make_shared<MutterIdle>(std::move(idle.Bus));
        if (monitor->Seconds()) {
            opening.Idle = [monitor] { return monitor->Seconds().value_or(0); };
        }
    }
    if (opening.Facts.ShellName.empty()) {
        opening.Problem = "GNOME Shell's bus name has no owner";
        return opening;
    }
    const int r = sd_bus_request_name(opened.Bus.get(), kKwinFeedService, 0);
    if (r < 0) {
        BusError none;
        opening.Problem = "cannot take the bus name " + std::string(kKwinFeedService) + ": "
                          + (r == -EEXIST ? std::string("another copy of the program holds it") : none.Text(r));
        return opening;
    }
    try {
        const GnomeExtensionState state = opening.Facts.State;
        auto source = std::make_unique<GnomeShellSource>(std::move(opened.Bus), opening.Facts.ShellName, state);
        // An enabled extension answers the name at once; any other may
        // still start later (enabled from the Extensions app).
        if (state == GnomeExtensionState::Silent && source->WaitForList(timeout)) {
            opening.Facts.State = GnomeExtensionState::Running;
        }
        opening.Source = std::move(source);
    } catch (const std::exception& e) {
        opening.Problem = e.what();
    }
    return opening;
}

std::string GnomeExtensionFix(GnomeExtensionState state)
{
    const std::string name = std::string("Tallyhour Zide's GNOME Shell extension (") + kGnomeExtensionUuid + ")";
    switch (state) {
        case GnomeExtensionState::NotInstalled:
            return "GNOME shows windows only to its extensions: install " + name
                   + ", enable it, then log out and in again";
        case GnomeExtensionState::NotLoaded:
            return name + " is installed; GNOME on Wayland loads a new extension only at the next log-in: "
                   + "log out and in again";
        case GnomeExtensionState::Disabled:
            return name + " is not enabled: enable it in GNOME's Extensions app";
        case GnomeExtensionState::Failed:
            return "GNOME Shell did not start " + name + ": install the copy made for this GNOME version";
        case GnomeExtensionState::Silent:
            return name + " is enabled but has sent no window list yet";
        case GnomeExtensionState::Running:
            break;
    }
    return {};
}

std::string ShippedGnomeExtension(const std::string& programFolder, int shellMajor)
{
    // GNOME 45 made extensions ES modules; the older form is for 43 and 44.
    const std::string form = shellMajor >= 45 ? "module" : "legacy";
    const fs::path beside = fs::path(programFolder) / "gnome-shell" / form / kGnomeExtensionUuid;
    const fs::path shared
        = fs::path(programFolder) / ".." / "share" / "tallyhour-zide" / "gnome-shell" / form / kGnomeExtensionUuid;
    std::error_code error;
    for (const fs::path& folder : {beside, shared}) {
        if (fs::is_regular_file(folder / "metadata.json", error)) {
            return fs::weakly_canonical(folder, error).string();
        }
    }
    return {};
}

std::string InstallGnomeExtension(const std::string& shippedFolder)
{
    const fs::path target = UserExtensionsFolder() / kGnomeExtensionUuid;
    std::error_code error;
    fs::create_directories(target, error);
    if (!error) {
        fs::copy(shippedFolder, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    }
    return error ? "cannot copy the extension to " + target.string() + ": " + error.message() : std::string();
}

std::string EnableGnomeExtension(const std::string& busAddress)
{
    logind::OpenedBus opened = logind::OpenBus(logind::BusKind::Session, busAddress, std::chrono::seconds(5));
    if (!opened.Bus) {
        return opened.Error;
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(opened.Bus.get(),
                                     kShell,
                                     kShellPath,
                                     kExtensions,
                                     "EnableExtension",
                                     error.Get(),
                                     &raw,
                                     "s",
                                     kGnomeExtensionUuid);
    MessagePtr reply(raw);
    int done = 0;
    if (r < 0 || sd_bus_message_read(reply.get(), "b", &done) < 0) {
        return "GNOME Shell did not enable the extension: " + error.Text(r);
    }
    return done != 0 ? std::string() : "GNOME Shell refused to enable the extension";
}

std::string AttachGnomeSource(WaylandDesktopOptions& options)
{
    if (options.Pushed || Variable("XDG_CURRENT_DESKTOP").find("GNOME") == std::string::npos) {
        return {};
    }
    GnomeSourceOpening opening = OpenGnomeShellSource("", std::chrono::milliseconds(3000));
    if (!opening.Facts.ShellRuns) {
        return {};
    }
    options.BusIdle = std::move(opening.Idle);
    if (!opening.Source) {
        return "GNOME Shell gave no window list: " + opening.Problem;
    }
    options.Pushed = std::move(opening.Source);
    const std::string fix = GnomeExtensionFix(opening.Facts.State);
    std::string note = "GNOME Shell " + std::to_string(opening.Facts.ShellMajor);
    if (!fix.empty()) {
        note += ": " + fix;
    }
    if (!opening.Facts.Error.empty()) {
        note += " (" + opening.Facts.Error + ")";
    }
    return note;
}

} // namespace tally

#include "shell/statistics/shared_computers.h"

#include "platform/computer_identity.h"
#include "view/all_computers.h"

#include <QDir>

namespace tally {

SharedComputers::SharedComputers(SettingsStore& settings, FileSystem& files, const TimeModel& own, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_files(files)
    , m_own(own)
{
    // A sync tool writes a file in several steps (temporary file, rename,
    // times): one read after they settle.
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(kDebounceMs);
    connect(&m_debounce, &QTimer::timeout, this, [this] {
        if (m_reader) {
            Refresh();
        }
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_debounce.start(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_debounce.start(); });
    SettingsChanged();
}

SharingSettings SharedComputers::Sharing() const
{
    return ReadSharingSettings(m_settings);
}

void SharedComputers::SettingsChanged()
{
    const SharingSettings sharing = Sharing();
    if (m_reader && m_reader->Folder() == sharing.Folder) {
        return;
    }
    m_account.reset();
    m_reader.reset();
    m_read = false;
    if (!m_watcher.files().isEmpty()) {
        m_watcher.removePaths(m_watcher.files());
    }
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
    if (!sharing.Folder.empty()) {
        Open(sharing.Folder);
    }
}

void SharedComputers::Open(const std::string& folder)
{
    m_reader = std::make_unique<SharedFolderReader>(
        m_files, folder, SharedFileName(SharingIdentity(Sharing(), ThisComputer())));
}

const ComputerAccount* SharedComputers::Account()
{
    if (!m_reader || !AllComputersShown(Sharing())) {
        return nullptr;
    }
    if (!m_read) {
        Refresh();
    }
    return m_account.get();
}

void SharedComputers::Refresh()
{
    if (!m_reader) {
        return;
    }
    const bool first = !m_read;
    m_read = true;
    const bool changed = m_reader->Refresh();
    if (Notice) {
        for (const std::string& notice : m_reader->Notices()) {
            Notice(notice);
        }
    }
    Watch();
    if (changed || first || !m_account) {
        Rebuild();
        if (!first && Changed) {
            Changed();
        }
    }
}

void SharedComputers::Watch()
{
    const QString folder = QString::fromStdString(m_reader->Folder());
    if (!m_watcher.directories().contains(folder) && QDir(folder).exists()) {
        m_watcher.addPath(folder);
    }
    // A file replaced in place keeps the folder's listing; its own watch
    // sees it (and is dropped by the watcher when the file goes).
    for (const ComputerData* computer : m_reader->Computers()) {
        const QString path = QString::fromStdString(computer->Path);
        if (!m_watcher.files().contains(path)) {
            m_watcher.addPath(path);
        }
    }
}

void SharedComputers::Rebuild()
{
    std::vector<ComputerModel> others;
    for (const ComputerData* computer : m_reader->Computers()) {
        others.push_back({computer->Computer, computer->Model.get()});
    }
    const std::string own = SharingIdentity(Sharing(), ThisComputer()).Name;
    m_account = std::make_unique<ComputerAccount>(ComputerModel {own, &m_own}, std::move(others));
}

} // namespace tally

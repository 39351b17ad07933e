#pragma once

#include "model/time_model.h"
#include "stats/computer_account.h"
#include "storage/shared_folder.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace tally {

class FileSystem;
class SettingsStore;

// The other computers' files of the shared folder for the statistics window:
// read when the window first needs them and again, debounced, when the
// folder changes while the window is open.
class SharedComputers : public QObject
{
    Q_OBJECT

public:
    SharedComputers(SettingsStore& settings, FileSystem& files, const TimeModel& own, QObject* parent = nullptr);

    SharingSettings Sharing() const;
    // The merged account while "All computers" is ticked and a folder is
    // shared, otherwise null.
    const ComputerAccount* Account();
    // The settings changed: another folder, or none.
    void SettingsChanged();
    // Reads the folder now (what the watcher does after its pause).
    void Refresh();

    // A damaged file or an unreachable folder, once per notice.
    std::function<void(const std::string&)> Notice;
    // The account changed under the window.
    std::function<void()> Changed;

    static constexpr int kDebounceMs = 500;

private:
    void Open(const std::string& folder);
    void Watch();
    void Rebuild();

    SettingsStore& m_settings;
    FileSystem& m_files;
    const TimeModel& m_own;
    std::unique_ptr<SharedFolderReader> m_reader;
    std::unique_ptr<ComputerAccount> m_account;
    QFileSystemWatcher m_watcher;
    QTimer m_debounce;
    bool m_read = false;
};

} // namespace tally

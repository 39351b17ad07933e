#pragma once

#include "storage/options.h"
#include "storage/shared_folder.h"

#include <string>
#include <string_view>

namespace tally {

class AutoStart;
class SettingsStore;
class TBrisvaleLog;

// The option items of the main window's menu.
enum class MenuOption { AutoRun, SoundOn, ShowSplash, ShowHints, ShowTodayTime, ShowColor };

const BoolSetting& SettingOf(MenuOption option);
// The click handler's name, as the run log shows it.
std::string_view HandlerName(MenuOption option);

// What a click on an option item does once the item has toggled its check
// mark: logs the handler, for AutoRun applies the new state first, and
// stores the new state.
void OptionClicked(MenuOption option, bool checked, SettingsStore& settings, TBrisvaleLog& log, AutoStart& autoStart);

inline constexpr const char* kShareItem = "Share with other computers...";
inline constexpr const char* kStopSharingItem = "Stop sharing";

// The sharing items of the options menu: "Stop sharing" only while a folder
// is shared, which the share item's tip names.
struct SharingMenu
{
    bool StopEnabled = false;
    std::string ShareTip;
};
SharingMenu SharingMenuState(const SharingSettings& sharing);

// The folder dialog's answer: an empty one (cancelled) or the folder already
// shared changes nothing. Returns whether the setting changed, after which
// the shared copy is armed again.
bool ShareFolderChosen(SettingsStore& settings, std::string_view folder, TBrisvaleLog& log);
// Returns whether a folder was shared.
bool StopSharingClicked(SettingsStore& settings, TBrisvaleLog& log);

} // namespace tally

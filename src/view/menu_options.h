#pragma once

#include "storage/options.h"

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

} // namespace tally

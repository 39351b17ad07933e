#include "view/menu_options.h"

#include "runlog/brisvale_log.h"

#include <array>
#include <string>

namespace tally {

namespace {

struct MenuOptionEntry
{
    MenuOption Option;
    const BoolSetting& Setting;
    std::string_view Handler;
};

const std::array<MenuOptionEntry, 6> kMenuOptions {{
    {MenuOption::AutoRun, setting::AutoRun, "pAutoRunClick"},
    {MenuOption::SoundOn, setting::SoundOn, "pSoundOnClick"},
    {MenuOption::ShowSplash, setting::SplashOn, "pShowSplashClick"},
    {MenuOption::ShowHints, setting::ShowHints, "pShowHintsClick"},
    {MenuOption::ShowTodayTime, setting::ShowTodayTime, "pShowTodayTimeClick"},
    {MenuOption::ShowColor, setting::ShowColor, "pShowColorClick"},
}};

const MenuOptionEntry& EntryOf(MenuOption option)
{
    return kMenuOptions[static_cast<std::size_t>(option)];
}

} // namespace

const BoolSetting& SettingOf(MenuOption option)
{
    return EntryOf(option).Setting;
}

std::string_view HandlerName(MenuOption option)
{
    return EntryOf(option).Handler;
}

void OptionClicked(MenuOption option, bool checked, SettingsStore& settings, TBrisvaleLog& log, AutoStart& autoStart)
{
    log.WriteLine(0, std::string(HandlerName(option)) + "->");
    if (option == MenuOption::AutoRun) {
        ApplyAutoStart(autoStart, checked, log);
    }
    WriteSetting(settings, SettingOf(option), checked);
}

SharingMenu SharingMenuState(const SharingSettings& sharing)
{
    SharingMenu menu;
    menu.StopEnabled = !sharing.Folder.empty();
    menu.ShareTip = sharing.Folder.empty() ? "Not shared" : "Shared in " + sharing.Folder;
    return menu;
}

bool ShareFolderChosen(SettingsStore& settings, std::string_view folder, TBrisvaleLog& log)
{
    log.WriteLine(0, "pShareClick->");
    if (folder.empty() || ReadSharingSettings(settings).Folder == folder) {
        return false;
    }
    WriteSharedFolder(settings, folder);
    log.WriteLine(0, "Shared folder: " + std::string(folder));
    return true;
}

bool StopSharingClicked(SettingsStore& settings, TBrisvaleLog& log)
{
    log.WriteLine(0, "pStopSharingClick->");
    if (ReadSharingSettings(settings).Folder.empty()) {
        return false;
    }
    WriteSharedFolder(settings, "");
    return true;
}

} // namespace tally

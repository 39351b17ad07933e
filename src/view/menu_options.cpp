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

} // namespace tally

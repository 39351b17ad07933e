#include "shell/app/qt_platform.h"

#include <QDir>
#include <QLibraryInfo>

namespace tally {

QtPlatformChoice ChooseQtPlatform(const SessionEnvironment& env,
                                  const std::string& presetPlatform,
                                  bool xcbPluginInstalled,
                                  bool waylandPluginInstalled)
{
    if (!presetPlatform.empty()) {
        return {};
    }
    const bool x = !env.Display.empty() && xcbPluginInstalled;
    const bool wayland = !env.WaylandDisplay.empty() && waylandPluginInstalled;
    if (x) {
        // Qt falls back to the next one when the X server does not answer.
        return {wayland ? "xcb;wayland" : "xcb", {}};
    }
    if (wayland) {
        return {"wayland", {}};
    }
    if (!env.WaylandDisplay.empty()) {
        return {{},
                "This desktop offers only a Wayland display, and Qt's Wayland support is not installed (on Debian: "
                "the package qt6-wayland). Install it and start Tallyhour Zide again."};
    }
    if (!env.Display.empty()) {
        return {{},
                "Qt's X11 support is not installed (on Debian: the package libqt6gui6). Install it and start "
                "Tallyhour Zide again."};
    }
    return {{},
            "There is no display to show Tallyhour Zide's windows on: neither DISPLAY nor WAYLAND_DISPLAY is set. "
            "Start it from within a desktop session."};
}

std::string PrepareQtPlatform(const SessionEnvironment& env)
{
    // A plugin folder of the user's own: Qt's choice, unchecked.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM_PLUGIN_PATH") || qEnvironmentVariableIsSet("QT_PLUGIN_PATH")) {
        return {};
    }
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    const bool xcb = !platforms.entryList({QStringLiteral("libqxcb.so*")}, QDir::Files).isEmpty();
    const bool wayland = !platforms.entryList({QStringLiteral("libqwayland-*.so*")}, QDir::Files).isEmpty();
    const QtPlatformChoice choice
        = ChooseQtPlatform(env, qEnvironmentVariable("QT_QPA_PLATFORM").toStdString(), xcb, wayland);
    if (!choice.Platform.empty()) {
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(choice.Platform));
    }
    return choice.Problem;
}

} // namespace tally

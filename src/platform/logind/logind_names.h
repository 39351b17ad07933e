#pragma once

// Names on the buses that the watcher talks to.
namespace tally::logind {

inline constexpr const char* kLogindName = "org.freedesktop.login1";
inline constexpr const char* kLogindPath = "/org/freedesktop/login1";
inline constexpr const char* kManagerInterface = "org.freedesktop.login1.Manager";
inline constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

inline constexpr const char* kScreenSaverName = "org.freedesktop.ScreenSaver";
inline constexpr const char* kScreenSaverPath = "/org/freedesktop/ScreenSaver";
inline constexpr const char* kScreenSaverInterface = "org.freedesktop.ScreenSaver";
// GNOME Shell's lock screen, which tells of itself under its own name only.
inline constexpr const char* kGnomeScreenSaverName = "org.gnome.ScreenSaver";

// How we appear in logind's list of inhibitors.
inline constexpr const char* kInhibitWhat = "sleep";
inline constexpr const char* kInhibitWho = "Tallyhour Zide";
inline constexpr const char* kInhibitWhy = "Close the work periods before sleeping";
inline constexpr const char* kInhibitMode = "delay";

} // namespace tally::logind

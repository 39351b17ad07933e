#pragma once

#include "model/settings_store.h"
#include "platform/clock.h"

#include <optional>
#include <string_view>

namespace tally {

// A date as the settings file holds it: the short date of the global locale,
// optionally followed by a time of day (the locale's long time, or hours and
// minutes with optional seconds). Nothing for any other text, including a
// date that does not exist.
std::optional<TDateTime> ParseSettingsDate(std::string_view text);

// A missing or unreadable value gives the default.
TDateTime
ReadDate(const SettingsStore& settings, std::string_view section, std::string_view key, TDateTime defaultValue);
// Writes the date alone, in the short date format of the global locale.
void WriteDate(SettingsStore& settings, std::string_view section, std::string_view key, TDateTime date);

} // namespace tally

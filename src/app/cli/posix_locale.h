#pragma once

#include <optional>
#include <string>

#include "decode/regional_settings.h"

namespace kelvanor {

// Regional settings by name: "C" (and "POSIX") as the core defines them,
// "de_DE" as the comma-decimal setting, other names from the system's locale
// data. Empty when the system has no such locale.
std::optional<RegionalSettings> RegionalSettingsNamed(const std::string& name);

// The settings of the user's environment (LC_ALL, LC_NUMERIC, LC_TIME, LANG);
// "C" when none is set or the system lacks it.
RegionalSettings SystemRegionalSettings();

// A strftime format ("%d.%m.%Y") as a date/time pattern ("dd.MM.yyyy").
std::string PatternFromStrftime(const std::string& format);

}  // namespace kelvanor

#pragma once

#include <QLocale>

#include "decode/regional_settings.h"

namespace kelvanor {

// The core's regional settings from a Qt locale: its decimal point, short
// date and long time forms (Qt's format letters are the core's).
RegionalSettings RegionalFromLocale(const QLocale& locale);

}  // namespace kelvanor

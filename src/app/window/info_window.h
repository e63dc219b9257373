#pragma once

#include <QWidget>

#include "kelvanor_version.h"

namespace kelvanor {

inline constexpr const char* kVersion = KELVANOR_VERSION;
inline constexpr const char* kReleaseDate = "04 Feb 2021";

// The ISC licence's warranty disclaimer, as one paragraph.
extern const char* const kDisclaimer;

// "Version 0.3    (04 Feb 2021)"
QString VersionLine();

// The modeless Info window: title, version line, a picture and the
// disclaimer. Closing it deletes it; the next "Info" builds it afresh.
class InfoWindow : public QWidget {
    Q_OBJECT
public:
    InfoWindow();
};

}  // namespace kelvanor

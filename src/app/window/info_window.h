#pragma once

#include <QWidget>

namespace kelvanor {

// The version the Info window names; the program's own, whatever the
// build's package version.
inline constexpr const char* kVersion = "0.3";
inline constexpr const char* kReleaseDate = "04 Feb 2021";

// The ISC licence's warranty disclaimer, as one paragraph.
extern const char* const kDisclaimer;

// "Version 0.3    (04 Feb 2021)"
QString VersionLine();

// The modeless Info window: title, version line, a picture and the
// disclaimer. Closing it deletes it; the next "Info" builds it afresh.
// Escape closes it.
class InfoWindow : public QWidget {
    Q_OBJECT
public:
    InfoWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kelvanor

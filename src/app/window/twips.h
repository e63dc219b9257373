#pragma once

#include <QRect>

namespace kelvanor {

// The window is laid out in twips: 15 to a pixel at 96 dpi. Qt's logical
// pixels already follow the screen's scale, so high-dpi screens scale the
// whole arrangement, fonts included.
//
// The arrangement scale (1 unless the operator starts the window with
// --scale) enlarges the arrangement alone, fonts staying as they are, so
// that the value boxes have room for their longest texts in a readable size.
// It is set once, before the window is built.
double ArrangementScale();
// Sets the scale, kept within 1 to 3; false for a value outside that range.
bool SetArrangementScale(double scale);

inline int Px(int twips) { return static_cast<int>(twips * ArrangementScale() / 15 + 0.5); }

inline QRect TwipRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace kelvanor

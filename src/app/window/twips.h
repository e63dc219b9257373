#pragma once

#include <QRect>

namespace kelvanor {

// The window is laid out in twips: 15 to a pixel at 96 dpi. Qt's logical
// pixels already follow the screen's scale, so high-dpi screens scale the
// whole arrangement.
constexpr int Px(int twips) { return (twips + 7) / 15; }

inline QRect TwipRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace kelvanor

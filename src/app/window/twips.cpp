#include "window/twips.h"

#include <cmath>

namespace kelvanor {

namespace {
double g_scale = 1;
}

double ArrangementScale() { return g_scale; }

bool SetArrangementScale(double scale) {
    if (!std::isfinite(scale) || scale < 1 || scale > 3) return false;
    g_scale = scale;
    return true;
}

}  // namespace kelvanor

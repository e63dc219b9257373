#include "chart_view/chart_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvanor {
namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();
constexpr int kMaxTicks = 50;

// 1, 2 or 5 times a power of ten, nearest to `raw` (> 0).
double NiceStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    const double nice = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
    const double step = nice * power;
    return std::isfinite(step) && step > 0 ? step : raw;
}

bool Usable(const ValueAxis& a) {
    return std::isfinite(a.min) && std::isfinite(a.max) && std::isfinite(a.step) &&
           a.step > 0 && a.max > a.min;
}

void FillTicks(ValueAxis& a) {
    a.ticks.clear();
    const double k0 = std::ceil(a.min / a.step - 1e-9);
    for (int i = 0; i < kMaxTicks; ++i) {
        double t = (k0 + i) * a.step;
        if (!std::isfinite(t) || t > a.max + a.step * 1e-9) break;
        a.ticks.push_back(t);
    }
}

// Ends for data from lo to hi (lo < hi), rounded out to whole steps where
// that still fits in a double.
ValueAxis Scale(double lo, double hi, int targetTicks) {
    ValueAxis a;
    a.hasData = true;
    double span = hi - lo;
    if (!std::isfinite(span)) span = kMaxDouble;
    a.step = NiceStep(span / std::max(1, targetTicks - 1));
    a.min = std::floor(lo / a.step) * a.step;
    a.max = std::ceil(hi / a.step) * a.step;
    if (!std::isfinite(a.min)) a.min = lo;
    if (!std::isfinite(a.max)) a.max = hi;
    return a;
}

// Takes one more finite value into a column.
void Add(ColumnSpan& c, double v) {
    if (!c.any) {
        c = {v, v, v, v, true};
    } else {
        c.min = std::min(c.min, v);
        c.max = std::max(c.max, v);
        c.last = v;
    }
}

}  // namespace

double ValueAxis::Fraction(double v) const {
    const double span = max - min;
    if (std::isfinite(span) && span > 0) return (v - min) / span;
    return (v * 0.5 - min * 0.5) / (max * 0.5 - min * 0.5);
}

ValueAxis NiceValueAxis(std::span<const double> values, int targetTicks) {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    if (lo > hi) {  // nothing finite
        ValueAxis a = Scale(0, 1, targetTicks);
        a.hasData = false;
        FillTicks(a);
        return a;
    }
    // A spread lost in the rounding of the magnitude counts as no spread:
    // ticks that far out could not be told apart.
    const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
    const bool flat = hi - lo <= magnitude * 1e-12;
    if (flat) {
        const double half = lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
        const double mid = lo;
        lo = std::max(-kMaxDouble, mid - half);
        hi = std::min(kMaxDouble, mid + half);
    }
    ValueAxis a = Scale(lo, hi, targetTicks);
    if (!flat) {
        // Data ending on a tick gets one more step of room, so the smallest
        // bar still shows and a line does not run along the frame. Zero
        // stays the end where it is one.
        if (a.min == lo && lo != 0 && std::isfinite(a.min - a.step)) a.min -= a.step;
        if (a.max == hi && hi != 0 && std::isfinite(a.max + a.step)) a.max += a.step;
    }
    // Halves throughout: the ends may be nearly the largest doubles.
    if (!Usable(a) || (a.max * 0.5 - a.min * 0.5) / (a.step * 0.5) > kMaxTicks) {
        // Denormal or otherwise degenerate: plain quarters of the data range.
        a.min = lo;
        a.max = hi > lo ? hi : lo + 1;
        a.step = a.max * 0.25 - a.min * 0.25;
        if (!Usable(a)) {
            a.min = -1;
            a.max = 1;
            a.step = 0.5;
        }
    }
    FillTicks(a);
    return a;
}

ValueAxis ViewValueAxis(double lo, double hi, int targetTicks) {
    ValueAxis a;
    a.hasData = true;
    a.min = lo;
    a.max = hi;
    a.step = NiceStep((hi - lo) / std::max(1, targetTicks - 1));
    if (!Usable(a) || (a.max * 0.5 - a.min * 0.5) / (a.step * 0.5) > kMaxTicks) {
        return NiceValueAxis(std::span<const double>{}, targetTicks);
    }
    FillTicks(a);
    return a;
}

std::string TickText(double value, const ValueAxis& axis) {
    if (value == 0) return "0";
    char buffer[64];
    const double magnitude = std::max(std::fabs(axis.min), std::fabs(axis.max));
    std::to_chars_result r;
    if (magnitude >= 1e9 || axis.step < 1e-6) {
        const double ratio = magnitude / axis.step;
        const int digits = std::clamp(static_cast<int>(std::ceil(std::log10(ratio))) + 1, 2, 15);
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    } else {
        const double exponent = std::floor(std::log10(axis.step) + 1e-9);
        int decimals = std::max(0, static_cast<int>(-exponent));
        // A step that is not a round power-of-ten multiple needs one more.
        const double mantissa = axis.step / std::pow(10.0, exponent);
        if (std::fabs(mantissa - std::round(mantissa)) > 1e-6) ++decimals;
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                          std::min(decimals, 12));
    }
    return std::string(buffer, r.ptr);
}

CategoryMarks PlanCategoryAxis(int points, int labelStep, double plotWidth, double labelWidth) {
    CategoryMarks marks;
    if (points <= 0 || !(plotWidth > 0)) return marks;
    const double categoryWidth = plotWidth / points;
    std::int64_t step = 1;
    if (labelStep > 0) {
        // Every tick is labelled; the view draws upright labels in a font
        // small enough for their pitch.
        step = labelStep;
        const double pitch = categoryWidth * static_cast<double>(step);
        marks.vertical = pitch < labelWidth + kLabelGap;
    } else {
        step = static_cast<std::int64_t>(
            std::ceil(std::min<double>((labelWidth + kLabelGap) / categoryWidth, points)));
        step = std::max<std::int64_t>(step, 1);
    }
    for (std::int64_t i = 0; i < points; i += step) marks.ticks.push_back(static_cast<int>(i));
    marks.labels = marks.ticks;
    return marks;
}

std::vector<ColumnSpan> AggregateColumns(std::span<const double> values, int columns) {
    std::vector<ColumnSpan> out(static_cast<std::size_t>(std::max(columns, 0)));
    if (out.empty() || values.empty()) return out;
    const auto n = static_cast<std::int64_t>(values.size());
    for (std::int64_t i = 0; i < n; ++i) {
        const double v = values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) continue;
        Add(out[static_cast<std::size_t>(i * columns / n)], v);
    }
    return out;
}

std::vector<ColumnSpan> AggregateColumnsInView(std::span<const double> values, double x0, double span,
                                               int columns) {
    std::vector<ColumnSpan> out(static_cast<std::size_t>(std::max(columns, 0)));
    if (out.empty() || values.empty() || !(span > 0)) return out;
    const auto n = static_cast<std::int64_t>(values.size());
    const auto begin = std::clamp<std::int64_t>(static_cast<std::int64_t>(std::floor(x0)), 0, n);
    const auto end = std::clamp<std::int64_t>(static_cast<std::int64_t>(std::ceil(x0 + span)), 0, n);
    const double perCategory = columns / span;
    for (std::int64_t i = begin; i < end; ++i) {
        const double v = values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) continue;
        const double col = std::floor((static_cast<double>(i) - x0) * perCategory);
        if (col < 0 || col >= columns) continue;
        Add(out[static_cast<std::size_t>(col)], v);
    }
    return out;
}

int PenPixels(float lineWidth) {
    if (!(lineWidth > 10)) return 1;  // also NaN
    return static_cast<int>(std::lround(std::min(lineWidth, 1000.0f) / 10.0f));
}

}  // namespace kelvanor

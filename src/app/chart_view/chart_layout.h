#pragma once

#include <span>
#include <string>
#include <vector>

// The arithmetic behind the channel chart, kept apart from the painting so it
// can be checked without a screen: the value axis scale, which categories get
// ticks and labels, and the per-pixel-column summary of dense series.
namespace kelvanor {

// The value axis: its two ends, the tick spacing and the tick values.
struct ValueAxis {
    double min = 0;
    double max = 1;
    double step = 0.2;
    std::vector<double> ticks;  // ascending, inside [min, max]
    bool hasData = false;       // at least one value was finite

    // Where `v` lies between min (0) and max (1); not clamped. Safe for ends
    // whose difference does not fit in a double.
    double Fraction(double v) const;
};

// Round ticks (1, 2 or 5 times a power of ten), about `targetTicks` of them,
// spanning every finite value, one step wider where the data would end exactly
// on an end other than zero. NaN and infinities are skipped; all-equal
// values get a band of 10% either side (or -1..1 around zero); no finite value
// at all gives 0..1.
ValueAxis NiceValueAxis(std::span<const double> values, int targetTicks = 5);

// An axis that ends exactly at lo and hi (a zoomed view), with round ticks
// about `targetTicks` of them between. A range that is empty or not finite
// gives the axis of NiceValueAxis for no data.
ValueAxis ViewValueAxis(double lo, double hi, int targetTicks = 5);

// The text of a tick value: as many decimals as the step needs, scientific
// notation for very large or very small magnitudes. Never "-0".
std::string TickText(double value, const ValueAxis& axis);

// Which categories (0-based) carry a tick mark and which a label.
struct CategoryMarks {
    std::vector<int> ticks;
    std::vector<int> labels;  // always a subset of ticks
    bool vertical = false;    // labels turned a quarter turn to fit
};

// Horizontal room kept free between two neighbouring labels, in pixels.
inline constexpr double kLabelGap = 6;

// Plans the category axis for `points` categories spread evenly over
// `plotWidth` pixels, each label at most `labelWidth` wide.
//  - labelStep k > 0: a tick and a label at every k-th category (0, k, 2k,
//    ...), the labels turned upright when they do not fit side by side (the
//    view then draws them in a font whose height fits their pitch).
//  - labelStep 0: ticks and labels at every m-th category, m being the
//    smallest step at which horizontal labels do not overlap.
CategoryMarks PlanCategoryAxis(int points, int labelStep, double plotWidth, double labelWidth);

// One pixel column's share of a dense series: the extremes and the first and
// last finite values falling in it.
struct ColumnSpan {
    double min = 0;
    double max = 0;
    double first = 0;
    double last = 0;
    bool any = false;  // false: no finite value fell in this column
};

// Point i of n goes to column i * columns / n. Non-finite values are skipped.
std::vector<ColumnSpan> AggregateColumns(std::span<const double> values, int columns);

// The same for the part of a series seen through a view that starts at
// category x0 and spans `span` categories over `columns` pixel columns:
// point i goes to column floor((i - x0) * columns / span); points left or
// right of the view are skipped.
std::vector<ColumnSpan> AggregateColumnsInView(std::span<const double> values, double x0, double span,
                                               int columns);

// The pen width in pixels for the model's line width. The model's unit is a
// tenth of a pixel, rounded, never thinner than one pixel: 30 gives the
// line chart a 3 px pen, the bars' 1 a hairline outline.
int PenPixels(float lineWidth);

}  // namespace kelvanor

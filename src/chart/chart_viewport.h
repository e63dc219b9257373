#pragma once

namespace kelvanor {

// Records 1-based, first..last inclusive; empty when first > last.
struct RecordSpan {
    int first = 1;
    int last = 0;
    bool Empty() const { return first > last; }
    int Count() const { return Empty() ? 0 : last - first + 1; }
};

// The part of the chart the operator is looking at, in data units: x in
// categories (category i, for record i + 1, covers x from i to i + 1 and has
// its centre at i + 0.5), y in channel values. The extents are the whole
// chart: categories 0..points and the value axis ends. The view never leaves
// the extents and never gets smaller than two categories (or all of them,
// when there are fewer) or a millionth of the value range.
class ChartViewport {
public:
    // New extents after a redraw. An unzoomed view follows them; a zoomed one
    // keeps its place, pulled back inside them where they shrank.
    void SetExtents(int points, double yMin, double yMax);
    // Back to the whole chart.
    void Reset();

    // Scales the view by `fx` and `fy` (below 1 zooms in) about the point
    // (ax, ay), which stays where it is on screen.
    void Zoom(double fx, double fy, double ax, double ay);
    // Moves the view by (dx, dy) data units.
    void Pan(double dx, double dy);

    bool Zoomed() const;
    double X0() const { return m_x0; }
    double X1() const { return m_x1; }
    double Y0() const { return m_y0; }
    double Y1() const { return m_y1; }
    int Points() const { return m_points; }

private:
    void Clamp();

    int m_points = 0;
    double m_yMin = 0, m_yMax = 1;
    double m_x0 = 0, m_x1 = 0, m_y0 = 0, m_y1 = 1;
};

// The records whose category centre lies inside the view's x range.
RecordSpan VisibleRecords(const ChartViewport& view);

// The record whose category holds x (category units), or 0 outside 0..points.
int RecordAt(const ChartViewport& view, double x);

}  // namespace kelvanor

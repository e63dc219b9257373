#include "chart/chart_viewport.h"

#include <algorithm>
#include <cmath>

namespace kelvanor {
namespace {

constexpr double kMinCategories = 2;
constexpr double kMinValueShare = 1e-6;

// Fits [lo, hi] into [min, max] with a span between minSpan and the extents.
void Fit(double& lo, double& hi, double min, double max, double minSpan) {
    const double full = max - min;
    double span = std::clamp(hi - lo, std::min(minSpan, full), full);
    if (!std::isfinite(span)) span = full;
    double centre = (lo + hi) / 2;
    if (!std::isfinite(centre)) centre = (min + max) / 2;
    lo = centre - span / 2;
    hi = lo + span;
    if (lo < min) {
        lo = min;
        hi = min + span;
    }
    if (hi > max) {
        hi = max;
        lo = max - span;
    }
}

}  // namespace

void ChartViewport::SetExtents(int points, double yMin, double yMax) {
    const bool zoomed = Zoomed();
    m_points = std::max(points, 0);
    m_yMin = yMin;
    m_yMax = yMax > yMin ? yMax : yMin + 1;
    if (!zoomed) {
        Reset();
    } else {
        Clamp();
    }
}

void ChartViewport::Reset() {
    m_x0 = 0;
    m_x1 = m_points;
    m_y0 = m_yMin;
    m_y1 = m_yMax;
}

bool ChartViewport::Zoomed() const {
    return m_x0 > 0 || m_x1 < m_points || m_y0 > m_yMin || m_y1 < m_yMax;
}

void ChartViewport::Zoom(double fx, double fy, double ax, double ay) {
    if (std::isfinite(fx) && fx > 0) {
        m_x0 = ax - (ax - m_x0) * fx;
        m_x1 = ax + (m_x1 - ax) * fx;
    }
    if (std::isfinite(fy) && fy > 0) {
        m_y0 = ay - (ay - m_y0) * fy;
        m_y1 = ay + (m_y1 - ay) * fy;
    }
    Clamp();
}

void ChartViewport::Pan(double dx, double dy) {
    const double w = m_x1 - m_x0, h = m_y1 - m_y0;
    if (std::isfinite(dx)) {
        m_x0 = std::clamp(m_x0 + dx, 0.0, std::max(0.0, m_points - w));
        m_x1 = m_x0 + w;
    }
    if (std::isfinite(dy)) {
        m_y0 = std::clamp(m_y0 + dy, m_yMin, std::max(m_yMin, m_yMax - h));
        m_y1 = m_y0 + h;
    }
}

void ChartViewport::Clamp() {
    Fit(m_x0, m_x1, 0, m_points, kMinCategories);
    Fit(m_y0, m_y1, m_yMin, m_yMax, (m_yMax - m_yMin) * kMinValueShare);
}

RecordSpan VisibleRecords(const ChartViewport& view) {
    RecordSpan span;
    if (view.Points() <= 0) return span;
    const double first = std::ceil(view.X0() - 0.5);
    const double last = std::floor(view.X1() - 0.5);
    span.first = static_cast<int>(std::max(first, 0.0)) + 1;
    span.last = static_cast<int>(std::min(last, view.Points() - 1.0)) + 1;
    return span;
}

int RecordAt(const ChartViewport& view, double x) {
    if (!std::isfinite(x) || x < 0 || x >= view.Points()) return 0;
    return static_cast<int>(std::floor(x)) + 1;
}

}  // namespace kelvanor

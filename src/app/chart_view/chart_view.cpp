#include "chart_view/chart_view.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QString>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace kelvanor {
namespace {

constexpr int kTickLength = 5;
constexpr int kPad = 6;
constexpr int kRightMargin = 14;
constexpr int kSwatch = 10;
constexpr double kBarFill = 0.7;   // share of a category a separated bar takes
constexpr double kMinGapped = 4;   // narrower categories get touching bars
constexpr double kMinOutlined = 4; // narrower bars get no outline

const QColor kGrid(224, 224, 224);
const QColor kFrame(200, 200, 200);
const QColor kAxis(96, 96, 96);
const QColor kText(32, 32, 32);

// Pixel rows of values inside the plot area.
struct RowMap {
    const ValueAxis& axis;
    double top;
    double height;

    double operator()(double v) const {
        const double f = std::clamp(axis.Fraction(v), -0.01, 1.01);
        return top + height - f * height;
    }
};

QString Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

double Baseline(const ValueAxis& axis) { return std::clamp(0.0, axis.min, axis.max); }

void DrawBars(QPainter& p, const ChartModel& m, const QRect& plot, const RowMap& row, int penPx) {
    const int n = m.Points();
    const double cw = static_cast<double>(plot.width()) / n;
    const double yBase = row(Baseline(row.axis));
    const double inset = cw >= kMinGapped ? cw * (1 - kBarFill) / 2 : 0;
    QVector<QRectF> rects;
    rects.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double v = m.values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) continue;
        const double x0 = std::round(plot.x() + i * cw + inset);
        const double x1 = std::max(x0 + 1, std::round(plot.x() + (i + 1) * cw - inset));
        double y = row(v);
        if (y == yBase) continue;  // a bar of no height
        if (std::fabs(y - yBase) < 1) y = y < yBase ? yBase - 1 : yBase + 1;
        rects.append(QRectF(QPointF(x0, std::min(y, yBase)), QPointF(x1, std::max(y, yBase))));
    }
    const QColor colour = ChartView::SeriesColour();
    const bool outlined = !rects.isEmpty() && cw - 2 * inset >= kMinOutlined;
    p.setBrush(colour);
    p.setPen(outlined ? QPen(colour.darker(160), penPx) : QPen(Qt::NoPen));
    p.drawRects(rects.constData(), static_cast<int>(rects.size()));
}

void DrawColumnBars(QPainter& p, const std::vector<ColumnSpan>& cols, const QRect& plot, const RowMap& row) {
    const double base = Baseline(row.axis);
    QVector<QRect> rects;
    rects.reserve(static_cast<qsizetype>(cols.size()));
    for (std::size_t c = 0; c < cols.size(); ++c) {
        if (!cols[c].any) continue;
        const double hi = row(std::max(cols[c].max, base));
        const double lo = row(std::min(cols[c].min, base));
        if (hi == lo) continue;
        const int top = static_cast<int>(std::floor(hi));
        const int bottom = std::max(top + 1, static_cast<int>(std::ceil(lo)));
        rects.append(QRect(plot.x() + static_cast<int>(c), top, 1, bottom - top));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ChartView::SeriesColour());
    p.drawRects(rects.constData(), static_cast<int>(rects.size()));
}

QPen LinePen(int penPx) {
    return QPen(ChartView::SeriesColour(), penPx, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Flush(QPainter& p, QPolygonF& run) {
    if (run.size() == 1) {
        p.drawPoint(run.front());
    } else if (run.size() > 1) {
        p.drawPolyline(run);
    }
    run.clear();
}

// Points at category centres, broken where a value is not finite.
void DrawLine(QPainter& p, const ChartModel& m, const QRect& plot, const RowMap& row, int penPx) {
    const int n = m.Points();
    const double cw = static_cast<double>(plot.width()) / n;
    p.setPen(LinePen(penPx));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF run;
    run.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double v = m.values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) {
            Flush(p, run);
            continue;
        }
        run.append(QPointF(plot.x() + (i + 0.5) * cw, row(v)));
    }
    Flush(p, run);
    p.setRenderHint(QPainter::Antialiasing, false);
}

// Each column runs first -> min -> max -> last, so its whole span is inked
// and the next column joins on where this one ended.
void DrawColumnLine(QPainter& p, const std::vector<ColumnSpan>& cols, const QRect& plot,
                    const RowMap& row, int penPx) {
    p.setPen(LinePen(penPx));
    QPolygonF run;
    run.reserve(static_cast<qsizetype>(cols.size() * 4));
    for (std::size_t c = 0; c < cols.size(); ++c) {
        const ColumnSpan& s = cols[c];
        if (!s.any) {
            Flush(p, run);
            continue;
        }
        const double x = plot.x() + c + 0.5;
        const double yFirst = row(s.first), yMin = row(s.min), yMax = row(s.max), yLast = row(s.last);
        run.append(QPointF(x, yFirst));
        if (yMin != yFirst) run.append(QPointF(x, yMin));
        if (yMax != yMin) run.append(QPointF(x, yMax));
        if (yLast != yMax) run.append(QPointF(x, yLast));
    }
    Flush(p, run);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MSChart1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

QColor ChartView::SeriesColour() { return QColor(40, 90, 190); }

QSize ChartView::sizeHint() const { return {640, 400}; }
QSize ChartView::minimumSizeHint() const { return {160, 120}; }

void ChartView::SetModel(const ChartModel* model) {
    model_ = model;
    ModelChanged();
}

void ChartView::ModelChanged() {
    axisPoints_ = -1;
    columnsPoints_ = -1;
    update();
}

const ValueAxis& ChartView::Axis() {
    if (axisPoints_ != model_->Points()) {
        axis_ = NiceValueAxis(model_->values);
        axisPoints_ = model_->Points();
    }
    return axis_;
}

const std::vector<ColumnSpan>& ChartView::Columns(int width) {
    if (columnsPoints_ != model_->Points() || columnsWidth_ != width) {
        columns_ = AggregateColumns(model_->values, width);
        columnsPoints_ = model_->Points();
        columnsWidth_ = width;
    }
    return columns_;
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    RenderTo(p, rect());
}

QRect ChartView::RenderTo(QPainter& p, const QRect& target) {
    p.save();
    p.setClipRect(target);
    p.fillRect(target, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font());
    const QFontMetricsF fm(font(), p.device());
    const double lineHeight = fm.height();

    const bool drawn = model_ != nullptr && model_->drawn;
    const int n = drawn ? model_->Points() : 0;
    const ValueAxis* axis = drawn ? &Axis() : nullptr;

    QStringList tickTexts;
    double tickTextWidth = 0;
    if (axis) {
        for (double t : axis->ticks) {
            tickTexts.append(Text(TickText(t, *axis)));
            tickTextWidth = std::max(tickTextWidth, fm.horizontalAdvance(tickTexts.back()));
        }
    }

    // Category labels: the widest is the longest (they are times of day).
    const std::string* longest = nullptr;
    if (n > 0) {
        for (const std::string& l : model_->labels) {
            if (!longest || l.size() > longest->size()) longest = &l;
        }
    }
    const double labelWidth = longest ? fm.horizontalAdvance(Text(*longest)) : 0;

    const int left = target.x() + static_cast<int>(std::ceil(kPad + tickTextWidth + 4 + kTickLength));
    const int right = target.x() + target.width() - kRightMargin;
    const int top = target.y() + static_cast<int>(std::ceil(lineHeight / 2 + 4));
    const int plotWidth = right - left;
    const CategoryMarks marks =
        drawn ? PlanCategoryAxis(n, model_->labelStep, plotWidth, labelWidth, lineHeight) : CategoryMarks{};
    const double labelBand = marks.labels.empty() ? 0 : (marks.vertical ? labelWidth : lineHeight);
    const double legendBand = lineHeight + kPad;
    const int bottom = target.y() + target.height() -
                       static_cast<int>(std::ceil(kPad + legendBand + labelBand + kTickLength + 3));
    const QRect plot(left, top, plotWidth, bottom - top);
    if (plot.width() < 2 || plot.height() < 2) {
        p.restore();
        return plot;
    }
    const int plotBottom = plot.y() + plot.height();  // first row below the plot
    const int plotRight = plot.x() + plot.width();

    // Frame, grid and value axis.
    p.setPen(kFrame);
    p.drawLine(plot.x(), plot.y(), plotRight, plot.y());
    p.drawLine(plotRight, plot.y(), plotRight, plotBottom);
    if (axis) {
        const RowMap row{*axis, static_cast<double>(plot.y()), static_cast<double>(plot.height())};
        for (int i = 0; i < static_cast<int>(axis->ticks.size()); ++i) {
            const int y = static_cast<int>(std::lround(row(axis->ticks[static_cast<std::size_t>(i)])));
            if (y > plot.y() && y < plotBottom) {
                p.setPen(axis->ticks[static_cast<std::size_t>(i)] == 0 ? kAxis : kGrid);
                p.drawLine(plot.x() + 1, y, plotRight - 1, y);
            }
            p.setPen(kAxis);
            p.drawLine(plot.x() - kTickLength, y, plot.x(), y);
            p.setPen(kText);
            const QRectF box(target.x(), y - lineHeight / 2, plot.x() - kTickLength - 3 - target.x(), lineHeight);
            p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, tickTexts[i]);
        }

        // The series, clipped to the plot (lines may overhang by half a pen).
        const int penPx = PenPixels(model_->lineWidth);
        if (n > 0) {
            const bool dense = n > plot.width();
            if (model_->bars) {
                p.setClipRect(plot.adjusted(1, 0, 0, 0), Qt::IntersectClip);
                if (dense) {
                    DrawColumnBars(p, Columns(plot.width()), plot, row);
                } else {
                    DrawBars(p, *model_, plot, row, penPx);
                }
            } else {
                p.setClipRect(plot.adjusted(1, -penPx, 0, penPx), Qt::IntersectClip);
                if (dense) {
                    DrawColumnLine(p, Columns(plot.width()), plot, row, penPx);
                } else {
                    DrawLine(p, *model_, plot, row, penPx);
                }
            }
            p.setClipRect(target);
        }
    }

    // Axis lines over the series' feet.
    p.setPen(kAxis);
    p.setBrush(Qt::NoBrush);
    p.drawLine(plot.x(), plot.y(), plot.x(), plotBottom);
    p.drawLine(plot.x(), plotBottom, plotRight, plotBottom);

    if (!drawn) {
        p.restore();
        return plot;
    }

    // Category ticks and labels.
    const double cw = n > 0 ? static_cast<double>(plot.width()) / n : 0;
    auto centre = [&](int i) { return plot.x() + (i + 0.5) * cw; };
    QVector<QLineF> ticks;
    ticks.reserve(static_cast<qsizetype>(marks.ticks.size()));
    for (int i : marks.ticks) {
        const double x = std::floor(centre(i)) + 0.5;
        ticks.append(QLineF(x, plotBottom + 1, x, plotBottom + kTickLength));
    }
    p.setPen(kAxis);
    p.drawLines(ticks);
    p.setPen(kText);
    const double labelTop = plotBottom + kTickLength + 3;
    for (int i : marks.labels) {
        if (static_cast<std::size_t>(i) >= model_->labels.size()) break;
        const QString text = Text(model_->labels[static_cast<std::size_t>(i)]);
        if (text.isEmpty()) continue;
        const double x = std::floor(centre(i)) + 0.5;
        const double w = fm.horizontalAdvance(text);
        if (marks.vertical) {
            // Read bottom to top, ending just under the tick.
            p.save();
            p.translate(x + (fm.ascent() - fm.descent()) / 2, labelTop);
            p.rotate(-90);
            p.drawText(QPointF(-w, 0), text);
            p.restore();
        } else {
            const double x0 = std::clamp(x - w / 2, static_cast<double>(target.x()),
                                         target.x() + target.width() - w);
            p.drawText(QPointF(x0, labelTop + fm.ascent()), text);
        }
    }

    // Legend, centred below everything else.
    const QString legend = Text(model_->legend);
    const double legendWidth = kSwatch + (legend.isEmpty() ? 0 : 6 + fm.horizontalAdvance(legend));
    const double legendTop = target.y() + target.height() - kPad - lineHeight;
    const double legendLeft = std::max<double>(target.x() + kPad, plot.x() + (plot.width() - legendWidth) / 2);
    const QRectF swatch(std::round(legendLeft), std::round(legendTop + (lineHeight - kSwatch) / 2), kSwatch,
                        kSwatch);
    p.setPen(SeriesColour().darker(160));
    p.setBrush(SeriesColour());
    p.drawRect(swatch);
    if (!legend.isEmpty()) {
        p.setPen(kText);
        p.drawText(QPointF(swatch.right() + 6, legendTop + fm.ascent()), legend);
    }

    p.restore();
    return plot;
}

}  // namespace kelvanor

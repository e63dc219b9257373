#include "chart_view/chart_view.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QString>
#include <QStyleHints>
#include <QVector>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "limits/limit_set.h"

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

// Which categories a view from `x0` over `span` categories touches.
struct CategoryWindow {
    double x0;    // first category in view (fractional)
    double cw;    // pixels per category
    int begin;    // first category drawn
    int end;      // one past the last

    static CategoryWindow Of(const ChartViewport& v, int points, int width) {
        const double span = v.X1() - v.X0();
        return {v.X0(), width / span, std::clamp(static_cast<int>(std::floor(v.X0())), 0, points),
                std::clamp(static_cast<int>(std::ceil(v.X1())), 0, points)};
    }
    double Left(const QRect& plot, int i) const { return plot.x() + (i - x0) * cw; }
    double Centre(const QRect& plot, int i) const { return plot.x() + (i + 0.5 - x0) * cw; }
};

void DrawBars(QPainter& p, const ChartModel& m, const QRect& plot, const RowMap& row, int penPx,
              const CategoryWindow& cols) {
    const double cw = cols.cw;
    const double yBase = row(Baseline(row.axis));
    const double inset = cw >= kMinGapped ? cw * (1 - kBarFill) / 2 : 0;
    QVector<QRectF> rects;
    rects.reserve(cols.end - cols.begin);
    for (int i = cols.begin; i < cols.end; ++i) {
        const double v = m.values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) continue;
        const double x0 = std::round(cols.Left(plot, i) + inset);
        const double x1 = std::max(x0 + 1, std::round(cols.Left(plot, i + 1) - inset));
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
void DrawLine(QPainter& p, const ChartModel& m, const QRect& plot, const RowMap& row, int penPx,
              const CategoryWindow& cols) {
    p.setPen(LinePen(penPx));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF run;
    // One category either side, so the line runs on to the plot's edges.
    const int begin = std::max(cols.begin - 1, 0);
    const int end = std::min(cols.end + 1, m.Points());
    run.reserve(end - begin);
    for (int i = begin; i < end; ++i) {
        const double v = m.values[static_cast<std::size_t>(i)];
        if (!std::isfinite(v)) {
            Flush(p, run);
            continue;
        }
        run.append(QPointF(cols.Centre(plot, i), row(v)));
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

// The bounds of `l` as lines across the plot, where they fall inside it.
void DrawLimitLines(QPainter& p, const ChannelLimits& l, const QRect& plot, const RowMap& row) {
    const std::pair<const std::optional<double>*, bool> bounds[] = {
        {&l.yellowLow, false}, {&l.yellowHigh, false}, {&l.redLow, true}, {&l.redHigh, true}};
    for (const auto& [bound, red] : bounds) {
        if (!*bound) continue;
        const double f = row.axis.Fraction(**bound);
        if (!(f >= 0 && f <= 1)) continue;
        const int y = static_cast<int>(std::lround(row(**bound)));
        p.setPen(QPen(ChartView::LimitColour(red), 1, red ? Qt::SolidLine : Qt::DashLine));
        p.drawLine(plot.x() + 1, y, plot.x() + plot.width() - 1, y);
    }
}

// Where a value range [lo, hi] goes beyond the bounds of one level: inked
// from the bound out to its far end, as a bar would reach it.
template <typename Ink>
void Excursions(const std::optional<double>& low, const std::optional<double>& high, double lo,
                double hi, Ink ink) {
    if (low && lo < *low) ink(lo, *low);
    if (high && hi > *high) ink(*high, hi);
}

// Over the drawn series: each category (or pixel column of a dense chart)
// whose values go beyond a bound gets that part in the bound's colour, at
// least 2 pixels wide and 2 high, red over yellow.
void DrawExcursions(QPainter& p, const ChannelLimits& l, const QRect& plot, const RowMap& row,
                    const std::vector<ColumnSpan>* columns, const ChartModel& m,
                    const CategoryWindow& cols) {
    QVector<QRectF> rects[2];
    auto add = [&](double x0, double x1, bool red, double lo, double hi) {
        const double yTop = row(hi), yBottom = row(lo);
        const double cx = (x0 + x1) / 2, cy = (yTop + yBottom) / 2;
        const double w = std::max(2.0, x1 - x0), h = std::max(2.0, yBottom - yTop);
        rects[red].append(QRectF(cx - w / 2, cy - h / 2, w, h));
    };
    auto span = [&](double x0, double x1, double lo, double hi) {
        Excursions(l.yellowLow, l.yellowHigh, lo, hi,
                   [&](double a, double b) { add(x0, x1, false, a, b); });
        Excursions(l.redLow, l.redHigh, lo, hi,
                   [&](double a, double b) { add(x0, x1, true, a, b); });
    };
    if (columns) {
        for (std::size_t c = 0; c < columns->size(); ++c) {
            const ColumnSpan& s = (*columns)[c];
            if (s.any) span(plot.x() + static_cast<double>(c), plot.x() + c + 1.0, s.min, s.max);
        }
    } else {
        for (int i = cols.begin; i < cols.end; ++i) {
            const double v = m.values[static_cast<std::size_t>(i)];
            if (!std::isfinite(v)) continue;
            const double x = cols.Centre(plot, i),
                         w = std::max(2.0, std::min(cols.cw * kBarFill, 6.0));
            span(x - w / 2, x + w / 2, v, v);
        }
    }
    p.setPen(Qt::NoPen);
    for (bool red : {false, true}) {
        p.setBrush(ChartView::LimitColour(red));
        p.drawRects(rects[red].constData(), static_cast<int>(rects[red].size()));
    }
}

}  // namespace

void ChartView::SetLimits(const LimitSet* limits) {
    limits_ = limits;
    update();
}

QColor ChartView::LimitColour(bool red) { return red ? QColor(210, 0, 0) : QColor(215, 145, 0); }

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MSChart1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
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
    plotStale_ = true;
    update();
}

void ChartView::SyncViewport() {
    if (!Drawn()) {
        viewport_.SetExtents(0, 0, 1);
        viewChannel_ = -1;
        viewPoints_ = -1;
        return;
    }
    const ValueAxis& axis = Axis();
    const int n = model_->Points();
    const bool fresh = model_->channel != viewChannel_ || n < viewPoints_;
    viewport_.SetExtents(n, axis.min, axis.max);
    if (fresh) viewport_.Reset();
    viewChannel_ = model_->channel;
    viewPoints_ = n;
}

const ChartViewport& ChartView::Viewport() {
    SyncViewport();
    return viewport_;
}

void ChartView::SetKeepClear(const QRect& rect) {
    keepClear_ = rect;
    plotStale_ = true;
    update();
}

QRect ChartView::PlotRect() {
    if (plotStale_) {
        // Lay out once without showing it: the plot depends on the fonts and
        // the texts of the axes.
        QImage scratch(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&scratch);
        RenderTo(p, rect());
    }
    return plot_;
}

QPointF ChartView::DataAt(QPointF pos) {
    const QRect plot = PlotRect();
    SyncViewport();
    const ChartViewport& v = viewport_;
    const double x = v.X0() + (pos.x() - plot.x()) / plot.width() * (v.X1() - v.X0());
    const double y = v.Y0() + (plot.y() + plot.height() - pos.y()) / plot.height() * (v.Y1() - v.Y0());
    return {x, y};
}

QPointF ChartView::PointOf(int record) {
    if (!Drawn() || record < 1 || record > model_->Points()) return {};
    const QRect plot = PlotRect();
    const ChartViewport& v = Viewport();
    const double cw = plot.width() / (v.X1() - v.X0());
    const double x = plot.x() + (record - 0.5 - v.X0()) * cw;
    const double value = model_->values[static_cast<std::size_t>(record) - 1];
    const double f = (value - v.Y0()) / (v.Y1() - v.Y0());
    return {x, plot.y() + plot.height() - f * plot.height()};
}

int ChartView::RecordAtPosition(QPointF pos) {
    if (!Drawn() || !PlotRect().contains(pos.toPoint())) return 0;
    return RecordAt(Viewport(), DataAt(pos).x());
}

void ChartView::ZoomAt(QPointF pos, double fx, double fy) {
    if (!Drawn()) return;
    const QPointF anchor = DataAt(pos);
    viewport_.Zoom(fx, fy, anchor.x(), anchor.y());
    update();
    emit ViewChanged();
}

void ChartView::PanByPixels(QPointF delta) {
    if (!Drawn()) return;
    const QRect plot = PlotRect();
    SyncViewport();
    const ChartViewport& v = viewport_;
    viewport_.Pan(-delta.x() / plot.width() * (v.X1() - v.X0()), delta.y() / plot.height() * (v.Y1() - v.Y0()));
    update();
    emit ViewChanged();
}

void ChartView::ResetView() {
    SyncViewport();
    viewport_.Reset();
    update();
    emit ViewChanged();
}

void ChartView::SetReadout(const QString& text) {
    if (text == readout_) return;
    readout_ = text;
    update();
}

void ChartView::SetHover(int record) {
    if (record == hoverRecord_) return;
    hoverRecord_ = record;
    update();
    emit RecordHovered(record);
}

void ChartView::resizeEvent(QResizeEvent* event) {
    plotStale_ = true;
    QWidget::resizeEvent(event);
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const QPoint d = event->angleDelta();
    const double notches = (d.y() != 0 ? d.y() : d.x()) / 120.0;
    if (!Drawn() || notches == 0 || !PlotRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    const double f = std::pow(0.8, notches);
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool onlyRecords = mods & Qt::ShiftModifier;
    const bool onlyValues = mods & Qt::ControlModifier;
    ZoomAt(event->position(), onlyValues ? 1 : f, onlyRecords ? 1 : f);
    SetHover(RecordAtPosition(event->position()));
    event->accept();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressing_ = true;
    dragging_ = false;
    pressPos_ = event->position();
    SyncViewport();
    pressView_ = viewport_;
    event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (pressing_ && (event->buttons() & Qt::LeftButton)) {
        const QPointF delta = event->position() - pressPos_;
        if (!dragging_ && delta.manhattanLength() >= QApplication::startDragDistance()) dragging_ = true;
        if (dragging_ && Drawn()) {
            viewport_ = pressView_;
            PanByPixels(delta);
        }
    }
    SetHover(RecordAtPosition(event->position()));
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressing_) return QWidget::mouseReleaseEvent(event);
    const bool click = !dragging_;
    pressing_ = false;
    dragging_ = false;
    if (click) {
        const int record = RecordAtPosition(event->position());
        if (record > 0) {
            lastClickAt_ = event->timestamp();
            emit RecordClicked(record);
        }
    }
    event->accept();
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    // The press that follows opens no drag of its own.
    pressing_ = false;
    const bool clickBefore =
        lastClickAt_ && event->timestamp() - *lastClickAt_ <=
                            static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    lastClickAt_.reset();
    if (clickBefore) emit ClickTakenBack();
    ResetView();
    event->accept();
}

void ChartView::leaveEvent(QEvent* event) {
    SetHover(0);
    QWidget::leaveEvent(event);
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
    SyncViewport();
    const bool zoomed = n > 0 && viewport_.Zoomed();
    ValueAxis zoomedAxis;
    if (zoomed) zoomedAxis = ViewValueAxis(viewport_.Y0(), viewport_.Y1());
    const ValueAxis* axis = drawn ? (zoomed ? &zoomedAxis : &Axis()) : nullptr;

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
    int right = target.x() + target.width() - kRightMargin;
    if (target == rect() && keepClear_.isValid()) {
        // The last label, centred on its tick, still ends left of the corner.
        right = std::min(right,
                         keepClear_.left() -
                             static_cast<int>(std::ceil(std::max(labelWidth, lineHeight) / 2)) - 2);
    }
    const int top = target.y() + static_cast<int>(std::ceil(lineHeight / 2 + 4));
    const int plotWidth = right - left;
    const CategoryWindow window = n > 0 ? CategoryWindow::Of(viewport_, n, plotWidth) : CategoryWindow{0, 1, 0, 0};
    CategoryMarks marks;
    if (drawn && !zoomed) {
        marks = PlanCategoryAxis(n, model_->labelStep, plotWidth, labelWidth);
    } else if (zoomed) {
        // Ticks and labels spaced for the categories whose centres are in view.
        const RecordSpan seen = VisibleRecords(viewport_);
        marks = PlanCategoryAxis(seen.Count(), 0, seen.Count() * window.cw, labelWidth);
        for (int& i : marks.ticks) i += seen.first - 1;
        for (int& i : marks.labels) i += seen.first - 1;
    }
    // Upright labels on every k-th category may stand closer than a line:
    // their font then shrinks to fit the pitch.
    QFont labelFont = font();
    if (marks.vertical && !zoomed && marks.ticks.size() > 1) {
        const double pitch = static_cast<double>(plotWidth) / n * (marks.ticks[1] - marks.ticks[0]);
        if (pitch - 1 < lineHeight && labelFont.pointSizeF() > 0) {
            labelFont.setPointSizeF(
                std::max(2.0, labelFont.pointSizeF() * (pitch - 1) / lineHeight));
        }
    }
    const QFontMetricsF lfm(labelFont, p.device());
    const double labelBand = marks.labels.empty() ? 0 : (marks.vertical ? labelWidth : lineHeight);
    const double legendBand = lineHeight + kPad;
    const int bottom = target.y() + target.height() -
                       static_cast<int>(std::ceil(kPad + legendBand + labelBand + kTickLength + 3));
    const QRect plot(left, top, plotWidth, bottom - top);
    if (target == rect()) {
        plot_ = plot;
        plotStale_ = false;
    }
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
            // Denser than the pixel columns: one column at a time.
            const bool dense = viewport_.X1() - viewport_.X0() > plot.width();
            std::vector<ColumnSpan> seen;
            if (dense && zoomed) {
                seen = AggregateColumnsInView(model_->values, viewport_.X0(), viewport_.X1() - viewport_.X0(),
                                              plot.width());
            }
            const std::vector<ColumnSpan>* columns = dense ? (zoomed ? &seen : &Columns(plot.width())) : nullptr;
            if (model_->bars) {
                p.setClipRect(plot.adjusted(1, 0, 0, 0), Qt::IntersectClip);
                if (dense) {
                    DrawColumnBars(p, *columns, plot, row);
                } else {
                    DrawBars(p, *model_, plot, row, penPx, window);
                }
            } else {
                p.setClipRect(zoomed ? plot.adjusted(1, 0, 0, 0) : plot.adjusted(1, -penPx, 0, penPx),
                              Qt::IntersectClip);
                if (dense) {
                    DrawColumnLine(p, *columns, plot, row, penPx);
                } else {
                    DrawLine(p, *model_, plot, row, penPx, window);
                }
            }
            if (const ChannelLimits* l = limits_ ? limits_->Of(model_->channel) : nullptr) {
                p.setClipRect(plot.adjusted(1, 0, 0, 0));
                DrawLimitLines(p, *l, plot, row);
                DrawExcursions(p, *l, plot, row, columns, *model_, window);
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
    auto centre = [&](int i) { return window.Centre(plot, i); };
    QVector<QLineF> ticks;
    ticks.reserve(static_cast<qsizetype>(marks.ticks.size()));
    for (int i : marks.ticks) {
        const double x = std::floor(centre(i)) + 0.5;
        ticks.append(QLineF(x, plotBottom + 1, x, plotBottom + kTickLength));
    }
    p.setPen(kAxis);
    p.drawLines(ticks);
    p.setPen(kText);
    p.save();
    p.setFont(labelFont);
    const double labelTop = plotBottom + kTickLength + 3;
    QVector<QRectF> labelRects;
    for (int i : marks.labels) {
        if (static_cast<std::size_t>(i) >= model_->labels.size()) break;
        const QString text = Text(model_->labels[static_cast<std::size_t>(i)]);
        if (text.isEmpty()) continue;
        const double x = std::floor(centre(i)) + 0.5;
        const double w = lfm.horizontalAdvance(text);
        if (marks.vertical) {
            // Read bottom to top, ending just under the tick.
            const double baseline = x + (lfm.ascent() - lfm.descent()) / 2;
            p.save();
            p.translate(baseline, labelTop);
            p.rotate(-90);
            p.drawText(QPointF(-w, 0), text);
            p.restore();
            labelRects.append(
                QRectF(baseline - lfm.ascent(), labelTop, lfm.ascent() + lfm.descent(), w));
        } else {
            const double x0 = std::clamp(x - w / 2, static_cast<double>(target.x()),
                                         target.x() + target.width() - w);
            p.drawText(QPointF(x0, labelTop + lfm.ascent()), text);
            labelRects.append(QRectF(x0, labelTop, w, lfm.height()));
        }
    }
    p.restore();
    if (target == rect()) labelRects_ = labelRects;

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

    // The hovered record: a guide through its point and the readout.
    if (hoverRecord_ >= 1 && hoverRecord_ <= n && axis) {
        const double x = centre(hoverRecord_ - 1);
        const double v = model_->values[static_cast<std::size_t>(hoverRecord_) - 1];
        if (x >= plot.x() && x <= plotRight) {
            p.setPen(QPen(kAxis, 1, Qt::DashLine));
            p.drawLine(QPointF(std::floor(x) + 0.5, plot.y() + 1), QPointF(std::floor(x) + 0.5, plotBottom - 1));
            if (std::isfinite(v)) {
                const RowMap row{*axis, static_cast<double>(plot.y()), static_cast<double>(plot.height())};
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(QPen(SeriesColour().darker(160), 1.5));
                p.setBrush(QColor(255, 200, 60));
                p.drawEllipse(QPointF(x, row(v)), 4, 4);
                p.setRenderHint(QPainter::Antialiasing, false);
            }
        }
        if (!readout_.isEmpty()) {
            const double w = fm.horizontalAdvance(readout_) + 2 * kPad;
            const double h = lineHeight + 4;
            // In the plot's upper corner away from the guide.
            const bool onLeft = x > plot.x() + plot.width() / 2.0;
            const QRectF box(onLeft ? plot.x() + 6 : plotRight - 6 - w, plot.y() + 6, w, h);
            p.setPen(kFrame.darker(130));
            p.setBrush(QColor(255, 255, 255, 235));
            p.drawRect(box);
            p.setPen(kText);
            p.drawText(box, Qt::AlignCenter, readout_);
        }
    }

    p.restore();
    return plot;
}

}  // namespace kelvanor

#pragma once

#include <optional>

#include <QColor>
#include <QRect>
#include <QWidget>
#include <vector>

#include "chart/chart_model.h"
#include "chart/chart_viewport.h"
#include "chart_view/chart_layout.h"

class QPainter;

namespace kelvanor {

struct LimitSet;

// The channel chart: paints a ChartModel owned elsewhere (the session's) as
// a bar or line chart with a value axis on the left, the record times along
// the bottom and the legend below. Series denser than the plot's pixel
// columns are drawn one column at a time from their extremes, so a full
// store of points costs no more than a plot width of them.
//
// The operator explores it with the mouse: the wheel zooms both axes about
// the pointer (Shift: only the record axis, Ctrl: only the value axis), a
// drag pans, a double click shows the whole chart again. Hovering reports
// the record under the pointer (RecordHovered) and shows the readout text
// the owner gives back (SetReadout); a click that is not a drag reports the
// record clicked (RecordClicked). A zoomed view stays where it is while the
// model grows and is reset when another channel is charted or records go.
class ChartView : public QWidget {
    Q_OBJECT

public:
    explicit ChartView(QWidget* parent = nullptr);

    // The model to show; nullptr shows the empty frame. The model must
    // outlive the view or be replaced first.
    void SetModel(const ChartModel* model);
    const ChartModel* Model() const { return model_; }

    // The model's contents changed: forget what was derived from them and
    // schedule a repaint. The scale and column summary are rebuilt at the
    // next paint.
    void ModelChanged();

    // Paints the whole chart into `target` of any paint device (the widget,
    // a QImage). Returns the plot area, the rectangle inside the axes.
    QRect RenderTo(QPainter& painter, const QRect& target);

    static QColor SeriesColour();

    // The health limits (nullptr: none). The charted channel's bounds are
    // drawn as lines (red solid, yellow dashed), and every sample beyond one
    // is inked over the series in that colour, column by column in a dense
    // chart, so that no single one is lost at any zoom.
    void SetLimits(const LimitSet* limits);
    static QColor LimitColour(bool red);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The part of the chart in view (data units) and the commands the mouse
    // gives, also for tests and benchmarks: zoom by factors about a widget
    // position, pan by a widget-pixel offset (content follows the pointer),
    // back to the whole chart.
    const ChartViewport& Viewport();
    void ZoomAt(QPointF position, double fx, double fy);
    void PanByPixels(QPointF delta);
    void ResetView();

    // The plot area in widget coordinates, as last laid out for the widget.
    QRect PlotRect();
    // A corner of the widget that something lies over (the chart-style box):
    // the plot ends left of it, so that no category label goes under it.
    void SetKeepClear(const QRect& rect);
    // Where the category labels were drawn last, in widget coordinates.
    const QVector<QRectF>& LabelRects() const { return labelRects_; }
    // Where record r's point (category centre, value) is drawn; null outside
    // the chart.
    QPointF PointOf(int record);
    // The record under a widget position, 0 for none.
    int RecordAtPosition(QPointF position);

    int HoverRecord() const { return hoverRecord_; }
    void SetReadout(const QString& text);
    const QString& Readout() const { return readout_; }

signals:
    void RecordHovered(int record);  // 0: the pointer left the points
    void RecordClicked(int record);
    // The click just before was the first half of a double click, which
    // only resets the view: whoever followed the click takes it back.
    void ClickTakenBack();
    void ViewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const ValueAxis& Axis();
    const std::vector<ColumnSpan>& Columns(int width);
    void SyncViewport();
    bool Drawn() const { return model_ != nullptr && model_->drawn && model_->Points() > 0; }
    QPointF DataAt(QPointF position);
    void SetHover(int record);

    ChartViewport viewport_;
    int viewChannel_ = -1;
    int viewPoints_ = -1;
    QRect plot_;
    bool plotStale_ = true;
    QRect keepClear_;
    QVector<QRectF> labelRects_;
    int hoverRecord_ = 0;
    QString readout_;
    bool pressing_ = false;
    bool dragging_ = false;
    QPointF pressPos_;
    std::optional<quint64> lastClickAt_;  // event time of the last RecordClicked
    ChartViewport pressView_;

    const ChartModel* model_ = nullptr;
    const LimitSet* limits_ = nullptr;

    // Derived from the model, rebuilt lazily; keyed on the point count too,
    // so a model resized without ModelChanged cannot be read out of range.
    ValueAxis axis_;
    int axisPoints_ = -1;
    std::vector<ColumnSpan> columns_;
    int columnsWidth_ = -1;
    int columnsPoints_ = -1;
};

}  // namespace kelvanor

#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <vector>

#include "chart/chart_model.h"
#include "chart_view/chart_layout.h"

class QPainter;

namespace kelvanor {

// The channel chart: paints a ChartModel owned elsewhere (the session's) as
// a bar or line chart with a value axis on the left, the record times along
// the bottom and the legend below. Series denser than the plot's pixel
// columns are drawn one column at a time from their extremes, so a full
// store of points costs no more than a plot width of them.
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ValueAxis& Axis();
    const std::vector<ColumnSpan>& Columns(int width);

    const ChartModel* model_ = nullptr;

    // Derived from the model, rebuilt lazily; keyed on the point count too,
    // so a model resized without ModelChanged cannot be read out of range.
    ValueAxis axis_;
    int axisPoints_ = -1;
    std::vector<ColumnSpan> columns_;
    int columnsWidth_ = -1;
    int columnsPoints_ = -1;
};

}  // namespace kelvanor

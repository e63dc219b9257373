// The chart widget as the window uses it: models painted by the widget, mouse
// and wheel events sent to it. The arithmetic under the painting (the value
// axis with its tick texts, the category marks) is checked in tables.
// Clicks, drags and double clicks are checked where the operator sees their
// effect, in the window's tests.
#include "chart_view/chart_view.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/chart_model.h"
#include "chart_view/chart_layout.h"
#include "limits/limit_set.h"
#include "support/widget_events.h"

using namespace kelvanor;
using Values = std::vector<double>;

namespace {

// A drawn model of `values`, every point labelled with a time of day.
ChartModel Model(Values values, bool bars = true, int labelStep = -1) {
    const int n = static_cast<int>(values.size());
    return {.drawn = true,
            .values = std::move(values),
            .labels = std::vector<std::string>(n, "21:20:00"),
            .bars = bars,
            .lineWidth = bars ? 1.0f : 30.0f,
            .labelStep = labelStep < 0 ? LabelStep(n) : labelStep};
}

bool IsSeries(QRgb c) { return qBlue(c) > 120 && qBlue(c) - qRed(c) > 40; }
bool IsInk(QRgb c) { return qGray(c) < 160; }
bool IsAmber(QRgb c) { return qRed(c) > 230 && qGreen(c) > 170 && qBlue(c) < 100; }

// A chart widget of 800 x 400 px and the picture it painted last.
struct Chart {
    ChartView view;
    QImage image;
    QRect plot;

    explicit Chart(const ChartModel* m) {
        view.resize(800, 400);
        view.SetModel(m);
        Paint();
    }
    Chart& Paint() {
        image = view.grab().toImage();
        plot = view.PlotRect();
        return *this;
    }
    // The pixel column of a place on the category axis in the current view.
    int X(double category) {
        const ChartViewport& v = view.Viewport();
        return static_cast<int>(plot.x() + (category - v.X0()) * plot.width() / (v.X1() - v.X0()));
    }
    // The bounding box of the pixels in `area` that are `is`; null for none.
    QRect Find(const QRect& area, bool (*is)(QRgb)) const {
        QRect box;
        const QRect a = area & image.rect();
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x)
                box |= is(image.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
        return box;
    }
    // The series ink in one pixel column of the plot.
    QRect Column(int x) const { return Find({x, plot.y() - 3, 1, plot.height() + 6}, IsSeries); }
};

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT

private slots:
    // The value axis of a series: "min..max: " and the tick texts as shown.
    void valueAxis() {
        const std::pair<Values, QString> rows[] = {
            {{1, 3}, "0.5..3.5: 0.5 1.0 1.5 2.0 2.5 3.0 3.5"},  // ends on ticks get room
            {{7.5, 7.5}, "6.5..8.5: 6.5 7.0 7.5 8.0 8.5"},      // all equal
            {{0, 0}, "-1..1: -1.0 -0.5 0 0.5 1.0"},
            {{-12.3, -4.1}, "-14..-4: -14 -12 -10 -8 -6 -4"},
            {{-0.0, 5}, "0..6: 0 1 2 3 4 5 6"},  // zero stays an end, never -0
            {{NAN, 1, INFINITY, 3, -INFINITY}, "0.5..3.5: 0.5 1.0 1.5 2.0 2.5 3.0 3.5"},
            {{NAN, INFINITY}, "0..1: 0 0.2 0.4 0.6 0.8 1.0"},  // nothing finite
            {{-1.7e308, 1.7e308},
             "-1.7e+308..1.7e+308: -1.5e+308 -1e+308 -5e+307 0 5e+307 1e+308 1.5e+308"},
            {{1.7e308},
             "1.5e+308..1.79769e+308: 1.5e+308 1.55e+308 1.6e+308 1.65e+308 1.7e+308 1.75e+308"},
            {{1e20, 1e20 + 16384}, "9e+19..1.1e+20: 9e+19 9.5e+19 1e+20 1.05e+20 1.1e+20"},
            {{1.1e-9, 3e-9}, "1e-09..3e-09: 1e-09 1.5e-09 2e-09 2.5e-09 3e-09"},
            {{5e-324, 1e-323}, "-1..1: -1.0 -0.5 0 0.5 1.0"},  // denormal
        };
        for (const auto& [values, axis] : rows) {
            const ValueAxis a = NiceValueAxis(values);
            QString shown = QString("%1..%2:").arg(a.min + 0.0).arg(a.max);  // + 0.0: no "-0"
            for (double t : a.ticks) {
                QVERIFY(a.Fraction(t) >= -1e-9 && a.Fraction(t) <= 1 + 1e-9);  // inside the axis
                shown += " " + QString::fromStdString(TickText(t, a));
            }
            QCOMPARE(shown, axis);
        }
    }

    // The category marks (labels 50 px wide): ticks every `every` categories,
    // each labelled, upright or not.
    void categoryAxis() {
        // points, label step, plot width, a tick every, labels upright: 100 points
        // in 900 or 100 px, step 2 upright, a step beyond the points
        const std::tuple<int, int, int, int, bool> rows[] = {
            {0, 0, 900, 1, false},   {100, 0, 900, 7, false},      {100, 0, 100, 56, false},
            {101, 2, 1800, 2, true}, {10000, 200, 900, 200, true}, {3, 5, 900, 5, false}};
        for (const auto& [points, labelStep, width, every, vertical] : rows) {
            const CategoryMarks m = PlanCategoryAxis(points, labelStep, width, 50);
            std::vector<int> ticks;
            for (int i = 0; i < points; i += every) ticks.push_back(i);
            QCOMPARE(std::tuple(m.ticks, m.labels, m.vertical), std::tuple(ticks, ticks, vertical));
        }
    }

    // Bars stand on zero, up or down and as tall as their values; the line is
    // 3 px thick; a value that is not finite leaves its category empty. Ticks
    // and labels stand under every k-th category when the label step is k (3).
    void valuesAndMarksInTheirCategories() {
        const ChartModel bars = Model({2, 2, NAN, -1, INFINITY, -INFINITY, 2.5}, true, 3),
                         line = Model(bars.values, false);
        Chart b(&bars), l(&line);
        const int below = b.plot.y() + b.plot.height();
        for (int i = 0; i < 7; ++i) {
            for (Chart* c : {&b, &l})
                QCOMPARE(c->Column(c->X(i + 0.5)).isNull(), !std::isfinite(bars.values[i]));
            const int x = b.X(i + 0.5);
            QCOMPARE(IsInk(b.image.pixel(x, below + 2)), i % 3 == 0);
            QCOMPARE(b.Find(QRect(x - 2, below + 6, 5, 16), IsInk).isNull(), i % 3 != 0);
        }
        const QRect up = b.Column(b.X(0.5)), down = b.Column(b.X(3.5)), high = b.Column(b.X(6.5));
        QVERIFY(std::abs(up.bottom() - down.top()) <= 2);  // on one baseline
        QVERIFY(std::abs(up.height() - 2 * down.height()) <= 3);
        QVERIFY(std::abs(4 * high.height() - 5 * up.height()) <= 10);
        const int lineUp = l.Column(l.X(0.5)).top(), lineDown = l.Column(l.X(3.5)).top();
        QVERIFY(l.Column(l.X(6.5)).top() < lineUp && lineUp < lineDown);
        QVERIFY(l.Column(l.X(1)).height() >= 3 && l.Column(l.X(1)).height() <= 4);
    }

    // One high value among many shows where it falls and one category wide,
    // and nothing leaves the plot: in the whole chart, zoomed by the wheel with
    // Shift (the records only), again whole in a smaller widget, and with the
    // series reversed; a series denser than the pixel columns inks every one.
    void seriesInPlace() {
        for (int points : {1, 100, 101, 10000})
            for (bool bars : {true, false}) {
                const int high = points * 55 / 100;
                ChartModel m = Model(Values(points, -1.0), bars);  // the axis runs from -2 to 6
                m.values[high] = 5;
                Chart c(&m);
                const ChartViewport whole = c.view.Viewport();
                for (int step = 0; step < 4; ++step) {
                    if (step == 1) testing::Wheel(&c.view, c.plot.center(), 7, Qt::ShiftModifier);
                    if (step == 1) testing::Leave(&c.view);  // no hover mark over the series
                    if (step == 2) c.view.ResetView();  // and the whole chart in a smaller widget
                    if (step == 2) c.view.resize(400, 300);  // fewer columns than the summary kept
                    if (step == 3) std::reverse(m.values.begin(), m.values.end());
                    if (step == 3) c.view.ModelChanged();
                    const int at = step == 3 ? points - 1 - high : high;
                    // Nothing of the series above, left or right of the plot.
                    const QRect series = c.Paint().Find({0, 0, 800, c.plot.bottom() + 4}, IsSeries);
                    QVERIFY(c.plot.adjusted(0, -3, 1, 3).contains(series));
                    // Bars hang from zero.
                    QVERIFY(points == 1 || series.bottom() < c.plot.bottom() - 20);
                    const QRect peak =
                        c.Find({c.plot.x() + 1, series.top(), c.plot.width(), 3}, IsSeries);
                    QVERIFY(std::abs(peak.center().x() - c.X(at + 0.5)) <= 1);
                    QVERIFY(peak.width() <= c.X(at + 1) - c.X(at) + 4);
                    const ChartViewport& vp = c.view.Viewport();
                    // Shift and the wheel: the records only, 0.8^7 of them.
                    const double shown = vp.X1() - vp.X0();
                    QCOMPARE(shown, step == 1 && points > 1 ? points * 0.2097152 : points);
                    QCOMPARE(QPointF(vp.Y0(), vp.Y1()), QPointF(whole.Y0(), whole.Y1()));
                    for (int x = c.plot.x() + 1; shown > c.plot.width() && x <= c.plot.right(); ++x)
                        QVERIFY(!c.Column(x).isNull());
                }
            }
    }

    // The pointer on a record: an amber mark on its point and the owner's
    // readout in the upper corner away from it, both gone when it leaves. The
    // wheel with Ctrl zooms the values only, 0.8 a notch; the zoomed view stays
    // while records arrive and goes when another channel is charted.
    void hoverAndZoomFollowTheModel() {
        ChartModel m = Model(Values(200, 2.0));
        Chart c(&m);
        testing::Mouse(&c.view, QEvent::MouseMove, c.view.PointOf(3), Qt::NoButton, Qt::NoButton);
        c.view.SetReadout("#3   21:20:04   2 V");
        QVERIFY(c.Paint().Find(c.plot, IsAmber).contains(c.view.PointOf(3).toPoint()));
        const QRect corner(c.plot.center().x(), c.plot.y() + 6, c.plot.width() / 2, 20);
        QVERIFY(!c.Find(corner, IsInk).isNull());
        testing::Leave(&c.view);
        QVERIFY(c.Paint().Find(c.image.rect(), IsAmber).isNull());

        testing::Wheel(&c.view, c.plot.center(), 3, Qt::ControlModifier);  // 0.4 of values
        const ChartViewport& vp = c.view.Viewport();
        QCOMPARE(QPointF(vp.X1() - vp.X0(), vp.Y1() - vp.Y0()), QPointF(200, 0.512 * 0.4));
        m.values.push_back(3);
        m.labels.push_back("21:30:00");
        c.view.ModelChanged();
        QVERIFY(c.view.Viewport().Zoomed());
        m.channel = 5;
        c.view.ModelChanged();
        QVERIFY(!c.view.Viewport().Zoomed());
    }

    // The charted channel's bounds as lines (red solid, yellow dashed); one
    // red sample among 10000 is inked red beyond the red line at every zoom,
    // from 12 records a pixel column to 3 records across the plot; one only
    // yellow is not.
    void limitLinesAndASingleRedSample() {
        const LimitSet limits = ParseLimits("3 = yellow_high 8.3, red_high 8.5");
        auto isRed = [](QRgb c) { return c == ChartView::LimitColour(true).rgb(); };
        auto isYellow = [](QRgb c) { return c == ChartView::LimitColour(false).rgb(); };
        for (double spike : {9.0, 8.4}) {
            ChartModel m = Model(Values(10000, 7.5));
            m.channel = 3;
            m.values[4321] = spike;
            Chart c(&m);
            c.view.SetLimits(&limits);
            for (int zoom = 0; zoom < (spike > 8.5 ? 6 : 1); ++zoom) {
                if (zoom > 0) c.view.ZoomAt(c.view.PointOf(4322), 0.2, 1);
                const QRect red = c.Paint().Find(c.plot, isRed), yellow = c.Find(c.plot, isYellow);
                // The lines across the plot; red beyond the red line only for the red sample.
                QVERIFY(spike < 8.5 ||
                        (red.width() > c.plot.width() - 3 && yellow.width() > c.plot.width() / 2));
                QCOMPARE(red.height() > 1, spike > 8.5);
            }
        }
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"

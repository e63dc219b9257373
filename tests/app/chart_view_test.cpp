#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTime>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>
#include <vector>

#include "chart/chart_model.h"
#include "chart_view/chart_layout.h"
#include "chart_view/chart_view.h"

using namespace kelvanor;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ChartModel Model(std::vector<double> values, bool bars = true, int labelStep = -1) {
    ChartModel m;
    m.drawn = true;
    m.legend = "EPS Battery VOC";
    m.bars = bars;
    m.lineWidth = bars ? 1.0f : 30.0f;
    m.labelStep = labelStep < 0 ? LabelStep(static_cast<int>(values.size())) : labelStep;
    for (std::size_t i = 0; i < values.size(); ++i) {
        m.labels.push_back(QTime(21, 20).addSecs(2 * static_cast<int>(i)).toString("HH:mm:ss").toStdString());
    }
    m.values = std::move(values);
    return m;
}

struct Picture {
    QImage image;
    QRect plot;
    int Bottom() const { return plot.y() + plot.height(); }  // first row under the plot
    int Row(double fraction) const { return static_cast<int>(std::lround(Bottom() - fraction * plot.height())); }
    double Centre(int category, int points) const { return plot.x() + (category + 0.5) * plot.width() / points; }
};

Picture Render(ChartView& view, QSize size = {800, 400}) {
    Picture p{QImage(size, QImage::Format_ARGB32_Premultiplied), {}};
    QPainter painter(&p.image);
    p.plot = view.RenderTo(painter, p.image.rect());
    return p;
}

Picture Render(const ChartModel* model, QSize size = {800, 400}) {
    ChartView view;
    view.SetModel(model);
    return Render(view, size);
}

bool IsSeries(QRgb c) { return qBlue(c) > 120 && qBlue(c) - qRed(c) > 40; }
bool IsInk(QRgb c) { return qGray(c) < 160; }

int Count(const QImage& img, const QRect& r, bool (*pred)(QRgb)) {
    int n = 0;
    const QRect area = r.intersected(img.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += pred(img.pixel(x, y)) ? 1 : 0;
    return n;
}

// Longest run of series pixels in one pixel column.
int Run(const QImage& img, int x) {
    int best = 0, run = 0;
    for (int y = 0; y < img.height(); ++y) {
        run = IsSeries(img.pixel(x, y)) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}


// Mouse events with the buttons held spelled out.
void Mouse(QWidget& w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, pos, w.mapToGlobal(pos), button, held, mods);
    QApplication::sendEvent(&w, &e);
}

void Wheel(QWidget& w, QPointF pos, int notches, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(pos, w.mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

// A view laid out at `size`, so widget and picture coordinates agree.
struct Sized {
    ChartView view;
    explicit Sized(const ChartModel* m, QSize size = {800, 400}) {
        view.resize(size);
        view.SetModel(m);
    }
    Picture Render() {
        Picture p{QImage(view.size(), QImage::Format_ARGB32_Premultiplied), {}};
        QPainter painter(&p.image);
        p.plot = view.RenderTo(painter, p.image.rect());
        return p;
    }
};

// Pixel columns of the plot that hold series ink.
QVector<int> InkedColumns(const Picture& p) {
    QVector<int> cols;
    for (int x = p.plot.x() + 1; x < p.plot.x() + p.plot.width(); ++x) {
        if (Count(p.image, QRect(x, p.plot.y(), 1, p.plot.height()), IsSeries) > 0) cols.append(x);
    }
    return cols;
}

}  // namespace

class ChartViewTest : public QObject {
    Q_OBJECT

private slots:
    void valueAxis_data() {
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<double>("min");  // NaN: only the invariants are checked
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("step");
        QTest::newRow("from zero") << std::vector<double>{0, 3, 9.5} << 0.0 << 10.0 << 2.0;
        QTest::newRow("ends on ticks get room") << std::vector<double>{1, 3} << 0.5 << 3.5 << 0.5;
        QTest::newRow("all equal") << std::vector<double>{7.5, 7.5} << 6.5 << 8.5 << 0.5;
        QTest::newRow("all zero") << std::vector<double>{0, 0} << -1.0 << 1.0 << 0.5;
        QTest::newRow("negative") << std::vector<double>{-12.3, -4.1} << -14.0 << -4.0 << 2.0;
        QTest::newRow("NaN and inf skipped") << std::vector<double>{kNaN, 1, kInf, 3, -kInf} << 0.5 << 3.5 << 0.5;
        QTest::newRow("nothing finite") << std::vector<double>{kNaN, kInf} << 0.0 << 1.0 << 0.2;
        QTest::newRow("empty") << std::vector<double>{} << 0.0 << 1.0 << 0.2;
        QTest::newRow("largest doubles") << std::vector<double>{-1.7e308, 1.7e308} << kNaN << kNaN << kNaN;
        QTest::newRow("largest flat") << std::vector<double>{1.7e308} << kNaN << kNaN << kNaN;
        QTest::newRow("spread below precision") << std::vector<double>{1e20, 1e20 + 16384} << 9e19 << 1.1e20 << 5e18;
        QTest::newRow("tiny") << std::vector<double>{1.1e-9, 3e-9} << kNaN << kNaN << 5e-10;
        QTest::newRow("denormal") << std::vector<double>{5e-324, 1e-323} << kNaN << kNaN << kNaN;
    }
    void valueAxis() {
        QFETCH(std::vector<double>, values);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, step);
        const ValueAxis a = NiceValueAxis(values);
        if (!std::isnan(min)) QCOMPARE(a.min, min);
        if (!std::isnan(max)) QCOMPARE(a.max, max);
        if (!std::isnan(step)) QCOMPARE(a.step, step);
        QVERIFY(std::isfinite(a.min) && std::isfinite(a.max) && a.min < a.max);
        for (double v : values) {
            if (std::isfinite(v)) QVERIFY(a.min <= v && v <= a.max);
        }
        QVERIFY2(a.ticks.size() >= 3 && a.ticks.size() <= 10, qPrintable(QString::number(a.ticks.size())));
        QSet<QString> texts;
        for (double t : a.ticks) {
            QVERIFY(t >= a.min && t <= a.max);
            QVERIFY(a.Fraction(t) >= -1e-9 && a.Fraction(t) <= 1 + 1e-9);
            texts.insert(QString::fromStdString(TickText(t, a)));
        }
        QCOMPARE(texts.size(), static_cast<int>(a.ticks.size()));  // ticks can be told apart
    }

    void tickText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer step") << -12.0 << -14.0 << -4.0 << 2.0 << "-12";
        QTest::newRow("rounding noise") << 0.30000000000000004 << 0.0 << 1.0 << 0.1 << "0.3";
        QTest::newRow("negative zero") << -0.0 << -1.0 << 1.0 << 0.5 << "0";
        QTest::newRow("huge") << 1e308 << -1.7e308 << 1.7e308 << 5e307 << "1e+308";
        QTest::newRow("small") << 1.5e-9 << 5e-10 << 3e-9 << 5e-10 << "1.5e-09";
    }
    void tickText() {
        QFETCH(double, value);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, step);
        QFETCH(QString, text);
        ValueAxis a;
        a.min = min, a.max = max, a.step = step;
        QCOMPARE(QString::fromStdString(TickText(value, a)), text);
    }

    void categoryAxis_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("labelStep");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("tickEvery");   // categories between ticks
        QTest::addColumn<int>("labelEvery");  // ticks between labels
        QTest::addColumn<bool>("vertical");
        // Labels 50 px wide throughout.
        QTest::newRow("no points") << 0 << 0 << 900.0 << 1 << 1 << false;
        QTest::newRow("one point") << 1 << 0 << 900.0 << 1 << 1 << false;
        QTest::newRow("auto, room for all") << 10 << 0 << 900.0 << 1 << 1 << false;
        QTest::newRow("auto, 100 points") << 100 << 0 << 900.0 << 7 << 1 << false;
        QTest::newRow("auto, narrow") << 100 << 0 << 100.0 << 56 << 1 << false;
        QTest::newRow("step 5 side by side") << 20 << 5 << 900.0 << 5 << 1 << false;
        QTest::newRow("step 2 of 101 upright") << 101 << 2 << 1800.0 << 2 << 1 << true;
        QTest::newRow("step 200 of 10000, every tick labelled")
            << 10000 << 200 << 900.0 << 200 << 1 << true;
        QTest::newRow("step beyond points") << 3 << 5 << 900.0 << 5 << 1 << false;
    }
    void categoryAxis() {
        QFETCH(int, points);
        QFETCH(int, labelStep);
        QFETCH(double, width);
        QFETCH(int, tickEvery);
        QFETCH(int, labelEvery);
        QFETCH(bool, vertical);
        const CategoryMarks m = PlanCategoryAxis(points, labelStep, width, 50);
        std::vector<int> ticks, labels;
        for (int i = 0; i < points; i += tickEvery) ticks.push_back(i);
        for (int i = 0; i < points; i += tickEvery * labelEvery) labels.push_back(i);
        QCOMPARE(m.ticks, ticks);
        QCOMPARE(m.labels, labels);
        QCOMPARE(m.vertical, vertical);
    }

    void aggregateColumns() {
        const std::vector<double> v{1, 5, 2, 2, kNaN, kInf, -3, 4, 7, 6};
        const std::vector<ColumnSpan> c = AggregateColumns(v, 5);
        QCOMPARE(c.size(), std::size_t{5});
        const double expect[5][4] = {{1, 5, 1, 5}, {2, 2, 2, 2}, {}, {-3, 4, -3, 4}, {6, 7, 7, 6}};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(c[i].any, i != 2);
            if (!c[i].any) continue;
            QCOMPARE(c[i].min, expect[i][0]);
            QCOMPARE(c[i].max, expect[i][1]);
            QCOMPARE(c[i].first, expect[i][2]);
            QCOMPARE(c[i].last, expect[i][3]);
        }
        QVERIFY(AggregateColumns(v, 0).empty());
        QCOMPARE(AggregateColumns({}, 3).size(), std::size_t{3});
    }

    void emptyFrame_data() {
        QTest::addColumn<bool>("withModel");
        QTest::newRow("no model") << false;
        QTest::newRow("not yet drawn") << true;
    }
    void emptyFrame() {
        QFETCH(bool, withModel);
        ChartModel m = Model({1, 2, 3});
        m.drawn = false;
        const Picture p = Render(withModel ? &m : nullptr);
        QCOMPARE(Count(p.image, p.image.rect(), IsSeries), 0);
        QVERIFY(p.plot.width() > 600 && p.plot.height() > 250);
        QVERIFY(IsInk(p.image.pixel(p.plot.x(), p.plot.center().y())));  // the value axis
        QCOMPARE(ChartView().objectName(), QString("MSChart1"));
    }

    void pointCounts_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bars");
        for (int n : {0, 1, 100, 101, 10000}) {
            QTest::addRow("%d bars", n) << n << true;
            QTest::addRow("%d line", n) << n << false;
        }
    }
    void pointCounts() {
        QFETCH(int, points);
        QFETCH(bool, bars);
        std::vector<double> v;
        for (int i = 0; i < points; ++i) v.push_back(i % 7 - 3 + 0.5);
        const ChartModel m = Model(v, bars);
        const Picture p = Render(&m);
        QVERIFY(p.plot.width() > 600 && p.plot.height() > 200);
        const int inside = Count(p.image, p.plot.adjusted(0, -3, 0, 3), IsSeries);
        QCOMPARE(inside > 0, points > 0);
        // Nothing of the series outside the plot: left, right or above it.
        QCOMPARE(Count(p.image, QRect(0, 0, p.plot.x(), p.Bottom()), IsSeries), 0);
        QCOMPARE(Count(p.image, QRect(p.plot.right() + 2, 0, 100, p.Bottom()), IsSeries), 0);
        QCOMPARE(Count(p.image, QRect(0, 0, 800, p.plot.y() - 3), IsSeries), 0);
        if (points > p.plot.width()) {
            // Every pixel column of a dense series is inked.
            for (int x = p.plot.x() + 1; x < p.plot.x() + p.plot.width(); ++x) QVERIFY2(Run(p.image, x) > 0, qPrintable(QString::number(x)));
        }
    }

    void barsGrowFromZero() {
        const ChartModel m = Model({2, -1});
        const Picture p = Render(&m);
        const int zero = p.Row(NiceValueAxis(m.values).Fraction(0));
        const QRect above(0, p.plot.y(), 800, zero - 2 - p.plot.y());
        const QRect below(0, zero + 2, 800, p.Bottom() - zero - 2);
        for (int i : {0, 1}) {
            const int x = static_cast<int>(p.Centre(i, 2));
            const QRect column(x, 0, 1, 400);
            QCOMPARE(Count(p.image, column.intersected(above), IsSeries) > 0, i == 0);
            QCOMPARE(Count(p.image, column.intersected(below), IsSeries) > 0, i == 1);
        }
    }

    void thickness_data() {
        QTest::addColumn<bool>("bars");
        QTest::addColumn<float>("lineWidth");
        QTest::addColumn<int>("minRun");
        QTest::addColumn<int>("maxRun");
        QTest::newRow("line, width 30") << false << 30.0f << 3 << 4;
        QTest::newRow("line, width 1") << false << 1.0f << 1 << 2;
        QTest::newRow("bars") << true << 1.0f << 100 << 400;
    }
    void thickness() {
        QFETCH(bool, bars);
        QFETCH(float, lineWidth);
        QFETCH(int, minRun);
        QFETCH(int, maxRun);
        ChartModel m = Model(std::vector<double>(50, 7.5), bars);
        m.lineWidth = lineWidth;
        const Picture p = Render(&m);
        const int run = Run(p.image, static_cast<int>(p.Centre(25, 50)));
        QVERIFY2(run >= minRun && run <= maxRun, qPrintable(QString::number(run)));
    }

    void ticksAndLabelsOnEveryKth() {
        const ChartModel m = Model(std::vector<double>(20, 1.0), true, 5);
        const Picture p = Render(&m);
        for (int i = 0; i < 20; ++i) {
            const int x = static_cast<int>(p.Centre(i, 20));
            const bool kth = i % 5 == 0;
            QCOMPARE(IsInk(p.image.pixel(x, p.Bottom() + 2)), kth);
            const int text = Count(p.image, QRect(x - 2, p.Bottom() + 6, 5, 16), IsInk);
            QVERIFY2((text > 0) == kth, qPrintable(QString::number(i)));
        }
    }

    void nonFiniteValuesLeaveGaps_data() {
        QTest::addColumn<bool>("bars");
        QTest::newRow("bars") << true;
        QTest::newRow("line") << false;
    }
    void nonFiniteValuesLeaveGaps() {
        QFETCH(bool, bars);
        const ChartModel m = Model({2, kNaN, 3, kInf, -kInf, 2.5}, bars);
        const Picture p = Render(&m);
        for (int i = 0; i < 6; ++i) {
            const bool finite = std::isfinite(m.values[i]);
            QCOMPARE(Run(p.image, static_cast<int>(p.Centre(i, 6))) > 0, finite);
        }
    }

    // Cached scale and column summary follow ModelChanged and the plot width.
    void cacheFollowsModelAndSize() {
        ChartModel m = Model(std::vector<double>(10000, 5.0));
        std::fill(m.values.begin() + 5000, m.values.end(), -5.0);
        ChartView view;
        view.SetModel(&m);
        auto check = [&](QSize size, bool leftUp) {
            const Picture p = Render(view, size);
            const int zero = p.Row(NiceValueAxis(m.values).Fraction(0));
            const int quarter = p.plot.width() / 4;
            for (int x : {p.plot.x() + quarter, p.plot.x() + 3 * quarter}) {
                const bool up = x < p.plot.center().x() ? leftUp : !leftUp;
                QCOMPARE(Count(p.image, QRect(x, p.plot.y(), 1, zero - 3 - p.plot.y()), IsSeries) > 0, up);
                QCOMPARE(Count(p.image, QRect(x, zero + 3, 1, p.Bottom() - zero - 3), IsSeries) > 0, !up);
            }
        };
        check({800, 400}, true);
        for (double& v : m.values) v = -v;
        view.ModelChanged();
        check({800, 400}, false);
        check({400, 300}, false);  // fewer columns than the cached summary
        check({1200, 500}, false);
    }

    // --- exploring ---

    void zoomShowsOnlyTheRecordsInView() {
        std::vector<double> v(100, 0.0);
        v[59] = 10;  // record 60
        ChartModel m = Model(v);
        Sized s(&m);
        const Picture whole = s.Render();
        QVector<int> cols = InkedColumns(whole);
        QVERIFY(!cols.isEmpty());
        QVERIFY(std::abs(cols.front() - whole.Centre(59, 100)) < whole.plot.width() / 100.0);

        const QPointF middle = whole.plot.center();
        s.view.ZoomAt(middle, 0.5, 1);
        QVERIFY(s.view.Viewport().Zoomed());
        const RecordSpan seen = VisibleRecords(s.view.Viewport());
        QCOMPARE(seen.Count(), 50);
        const Picture zoomed = s.Render();
        cols = InkedColumns(zoomed);
        // Twice as wide, at its place in the view.
        const double cw = zoomed.plot.width() / (s.view.Viewport().X1() - s.view.Viewport().X0());
        const double centre = zoomed.plot.x() + (59.5 - s.view.Viewport().X0()) * cw;
        QVERIFY(std::abs((cols.front() + cols.back()) / 2.0 - centre) <= 1.5);
        QVERIFY(cols.size() >= 2 * InkedColumns(whole).size() - 2);

        // Panned so record 60 leaves the view: no ink at all.
        s.view.PanByPixels(QPointF(2000, 0));
        QCOMPARE(VisibleRecords(s.view.Viewport()).last, 50);
        QVERIFY(InkedColumns(s.Render()).isEmpty());
        s.view.ResetView();
        QVERIFY(!s.view.Viewport().Zoomed());
    }

    void denseZoomStaysPerPixel_data() {
        QTest::addColumn<bool>("bars");
        QTest::newRow("bars") << true;
        QTest::newRow("line") << false;
    }
    void denseZoomStaysPerPixel() {
        QFETCH(bool, bars);
        std::vector<double> v(10000, 1.0);
        v[4999] = 5;  // record 5000, one point among thousands
        ChartModel m = Model(v, bars);
        Sized s(&m);
        const QRect plot = s.view.PlotRect();
        s.view.ZoomAt(plot.center(), 0.2, 1);  // 2000 records over ~700 columns
        QVERIFY(s.view.Viewport().X1() - s.view.Viewport().X0() > plot.width());
        const Picture p = s.Render();
        // The spike is one column tall above the rest, exactly where it falls.
        const ChartViewport& vp = s.view.Viewport();
        const int col = p.plot.x() + static_cast<int>(std::floor((4999 - vp.X0()) * p.plot.width() / (vp.X1() - vp.X0())));
        const int tallest = Run(p.image, col);
        for (int x : {col - 3, col + 3}) QVERIFY2(Run(p.image, x) < tallest - 20, qPrintable(QString::number(x)));
    }

    void valueZoomCutsTheAxisToTheView() {
        std::vector<double> v;
        for (int i = 0; i < 50; ++i) v.push_back(i);
        ChartModel m = Model(v, false);
        Sized s(&m);
        const QRect plot = s.view.PlotRect();
        // Ctrl: values only, about the plot's middle.
        Wheel(s.view, plot.center(), 3, Qt::ControlModifier);
        const ChartViewport& vp = s.view.Viewport();
        QCOMPARE(VisibleRecords(vp).Count(), 50);
        const ValueAxis full = NiceValueAxis(m.values);
        QVERIFY(std::abs((vp.Y1() - vp.Y0()) - 0.512 * (full.max - full.min)) < 1e-9);
        QVERIFY(vp.Zoomed());
        // Shift: records only.
        Sized t(&m);
        Wheel(t.view, t.view.PlotRect().center(), 3, Qt::ShiftModifier);
        QVERIFY(VisibleRecords(t.view.Viewport()).Count() < 30);
        QCOMPARE(t.view.Viewport().Y0(), NiceValueAxis(m.values).min);
        // Wheel out past the start: the whole chart again.
        Wheel(t.view, t.view.PlotRect().center(), -10);
        QVERIFY(!t.view.Viewport().Zoomed());
    }

    void clickDragHoverAndDoubleClick() {
        std::vector<double> v;
        for (int i = 0; i < 20; ++i) v.push_back(i + 1);
        ChartModel m = Model(v);
        Sized s(&m);
        QSignalSpy clicked(&s.view, &ChartView::RecordClicked);
        QSignalSpy hovered(&s.view, &ChartView::RecordHovered);
        const QPointF at7 = s.view.PointOf(7);

        Mouse(s.view, QEvent::MouseMove, at7, Qt::NoButton, Qt::NoButton);
        QCOMPARE(s.view.HoverRecord(), 7);
        QCOMPARE(hovered.count(), 1);
        Mouse(s.view, QEvent::MouseButtonPress, at7, Qt::LeftButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseButtonRelease, at7, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.takeFirst().at(0).toInt(), 7);

        // Zoomed in, a drag pans and is no click.
        s.view.ZoomAt(at7, 0.5, 0.5);
        const double x0 = s.view.Viewport().X0();
        const QPointF start = s.view.PointOf(7);
        Mouse(s.view, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseMove, start + QPointF(60, 0), Qt::NoButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseMove, start + QPointF(120, 0), Qt::NoButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseButtonRelease, start + QPointF(120, 0), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(s.view.Viewport().X0() < x0);  // content followed the pointer to the right
        // A wobble below the drag distance is still a click.
        const QPointF p = s.view.PointOf(5);
        Mouse(s.view, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseMove, p + QPointF(1, 1), Qt::NoButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseButtonRelease, p + QPointF(1, 1), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 1);
        // The right button neither clicks nor drags.
        Mouse(s.view, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
        Mouse(s.view, QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 1);
        // Outside the plot: nothing.
        Mouse(s.view, QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton);
        Mouse(s.view, QEvent::MouseButtonRelease, QPointF(2, 2), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicked.count(), 1);
        Mouse(s.view, QEvent::MouseMove, QPointF(2, 2), Qt::NoButton, Qt::NoButton);
        QCOMPARE(s.view.HoverRecord(), 0);
        QCOMPARE(hovered.last().at(0).toInt(), 0);

        Mouse(s.view, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!s.view.Viewport().Zoomed());
    }

    void readoutAndGuideArePainted() {
        std::vector<double> v(30, 2.0);
        ChartModel m = Model(v);
        Sized s(&m);
        auto amber = [](QRgb c) { return qRed(c) > 230 && qGreen(c) > 170 && qGreen(c) < 230 && qBlue(c) < 100; };
        QCOMPARE(Count(s.Render().image, s.view.rect(), amber), 0);
        Mouse(s.view, QEvent::MouseMove, s.view.PointOf(3), Qt::NoButton, Qt::NoButton);
        s.view.SetReadout("#3   21:20:04   2 V");
        const Picture p = s.Render();
        QVERIFY(Count(p.image, p.plot, amber) > 10);
        // The readout box sits in the upper corner away from the guide.
        const QRect right(p.plot.x() + p.plot.width() / 2, p.plot.y() + 6, p.plot.width() / 2, 20);
        QVERIFY(Count(p.image, right, IsInk) > 20);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&s.view, &leave);
        QCOMPARE(s.view.HoverRecord(), 0);
    }

    void zoomSurvivesGrowthButNotANewChannel() {
        std::vector<double> v(200, 1.0);
        ChartModel m = Model(v);
        Sized s(&m);
        s.view.ZoomAt(s.view.PlotRect().center(), 0.25, 1);
        const double x0 = s.view.Viewport().X0();
        m.values.push_back(3);  // a live arrival
        m.labels.push_back("21:30:00");
        s.view.ModelChanged();
        QCOMPARE(s.view.Viewport().X0(), x0);
        QVERIFY(s.view.Viewport().Zoomed());
        m.channel = 5;
        s.view.ModelChanged();
        QVERIFY(!s.view.Viewport().Zoomed());
        QCOMPARE(s.view.Viewport().Points(), 201);
        // A model with no points takes no zoom.
        ChartModel empty;
        s.view.SetModel(&empty);
        s.view.ZoomAt(QPointF(100, 100), 0.5, 0.5);
        QVERIFY(!s.view.Viewport().Zoomed());
        QCOMPARE(s.view.PointOf(1), QPointF());
    }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"

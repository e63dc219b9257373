// Cost of one chart redraw at the store's full size: ours (model fill plus
// QPainter rendering) and, where Qt Charts is installed, the same picture
// through a QBarSeries and a QLineSeries for comparison; and the cost of one
// zoom or pan frame on the full store.
//
// Besides the usual benchmark flags, --chart_png_dir=DIR writes each
// benchmark's picture to DIR before the timings start.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquire/kiss_file_reader.h"
#include "session/handlers.h"
#include "chart/chart_viewport.h"
#include "chart_view/chart_view.h"
#include "sample_pass.h"
#include "session/session.h"

#ifdef KELVANOR_HAVE_QT_CHARTS
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#endif

namespace kelvanor {
namespace {

constexpr int kFullStore = 10000;
constexpr int kBatteryChannel = 3;
const QSize kImageSize(1000, 600);

std::string g_pngDir;

// One session with the full store decoded, shared by every benchmark.
Session& FullSession() {
    static const std::unique_ptr<Session> session = [] {
        auto s = std::make_unique<Session>();
        ReadKissBytes(s->Road(), samples::SimulatedRecording(kFullStore));
        return s;
    }();
    return *session;
}

void SavePicture(const QImage& image, const char* name) {
    if (g_pngDir.empty()) return;
    image.save(QString::fromStdString(g_pngDir + "/" + name + ".png"));
}

void OurRedraw(benchmark::State& state, bool bars, const char* picture) {
    Session& session = FullSession();
    session.barChart = bars;
    ChartView view;
    view.resize(kImageSize);
    view.SetModel(&session.chart);
    QImage image(kImageSize, QImage::Format_ARGB32_Premultiplied);
    auto redraw = [&] {
        DrawChannelChart(session, kBatteryChannel);
        view.ModelChanged();
        QPainter painter(&image);
        view.RenderTo(painter, image.rect());
    };
    redraw();
    SavePicture(image, picture);
    for (auto _ : state) {
        redraw();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["points"] = session.chart.Points();
}

void BM_ChartRedraw10000(benchmark::State& state) { OurRedraw(state, true, "ours_bars"); }
BENCHMARK(BM_ChartRedraw10000)->Unit(benchmark::kMillisecond);

void BM_ChartRedrawLine10000(benchmark::State& state) { OurRedraw(state, false, "ours_line"); }
BENCHMARK(BM_ChartRedrawLine10000)->Unit(benchmark::kMillisecond);

// One frame of exploring the full store: a wheel step or a drag step on the
// view, then the repaint. The model is not rebuilt (zooming and panning do
// not redraw the chart); the sequence zooms in from the whole chart to about
// 200 records, pans both ways on both axes and zooms back out, so frames mix
// the per-pixel-column drawing of dense views with single bars.
void ZoomPanFrames(benchmark::State& state, bool bars, const char* picture) {
    Session& session = FullSession();
    session.barChart = bars;
    DrawChannelChart(session, kBatteryChannel);
    ChartView view;
    view.resize(kImageSize);
    view.SetModel(&session.chart);
    QImage image(kImageSize, QImage::Format_ARGB32_Premultiplied);
    auto paint = [&] {
        QPainter painter(&image);
        view.RenderTo(painter, view.rect());
    };
    paint();
    const QPointF centre = view.PlotRect().center();
    std::vector<std::function<void()>> steps;
    for (int i = 0; i < 12; ++i) steps.push_back([&] { view.ZoomAt(centre + QPointF(60, -20), 0.7, 0.9); });
    for (int i = 0; i < 10; ++i) steps.push_back([&] { view.PanByPixels(QPointF(-25, 4)); });
    for (int i = 0; i < 10; ++i) steps.push_back([&] { view.PanByPixels(QPointF(25, -4)); });
    for (int i = 0; i < 12; ++i) steps.push_back([&] { view.ZoomAt(centre + QPointF(60, -20), 1 / 0.7, 1 / 0.9); });
    for (int i = 0; i < 12; ++i) steps[static_cast<std::size_t>(i)]();
    paint();
    SavePicture(image, picture);
    view.ResetView();
    std::size_t k = 0;
    long long visible = 0;
    for (auto _ : state) {
        steps[k]();
        paint();
        visible += VisibleRecords(view.Viewport()).Count();
        benchmark::DoNotOptimize(image.constBits());
        k = (k + 1) % steps.size();
    }
    state.counters["points"] = session.chart.Points();
    state.counters["visible"] = benchmark::Counter(static_cast<double>(visible), benchmark::Counter::kAvgIterations);
}

void BM_ChartZoomPanFrame10000(benchmark::State& state) { ZoomPanFrames(state, true, "ours_zoomed_bars"); }
BENCHMARK(BM_ChartZoomPanFrame10000)->Unit(benchmark::kMillisecond);

void BM_ChartZoomPanFrameLine10000(benchmark::State& state) { ZoomPanFrames(state, false, "ours_zoomed_line"); }
BENCHMARK(BM_ChartZoomPanFrameLine10000)->Unit(benchmark::kMillisecond);

#ifdef KELVANOR_HAVE_QT_CHARTS

// Rebuilds the chart's series and axes from the model, as each of our
// redraws does, and renders the view into an image.
class QtChartsRedraw {
public:
    explicit QtChartsRedraw(bool bars) : bars_(bars) {
        chart_ = new QChart;
        chart_->setAnimationOptions(QChart::NoAnimation);
        chart_->legend()->setAlignment(Qt::AlignBottom);
        view_.setChart(chart_);
        view_.resize(kImageSize);
        view_.show();  // offscreen: lets the view take its size and lay out
        QCoreApplication::processEvents();
    }

    void Redraw(QImage& image) {
        Session& session = FullSession();
        session.barChart = bars_;
        DrawChannelChart(session, kBatteryChannel);
        const ChartModel& model = session.chart;

        chart_->removeAllSeries();
        for (QAbstractAxis* axis : chart_->axes()) {
            chart_->removeAxis(axis);
            delete axis;
        }
        QStringList categories;
        categories.reserve(model.Points());
        for (int i = 0; i < model.Points(); ++i) {
            // Category names must be unique; the record number keeps them so.
            categories.append(QString::fromStdString(model.labels[static_cast<std::size_t>(i)]) + " #" +
                              QString::number(i + 1));
        }
        auto* x = new QBarCategoryAxis;
        x->append(categories);
        auto* y = new QValueAxis;
        QAbstractSeries* series = nullptr;
        if (bars_) {
            auto* set = new QBarSet(QString::fromStdString(model.legend));
            QList<qreal> values(model.values.begin(), model.values.end());
            set->append(values);
            set->setColor(ChartView::SeriesColour());
            set->setBorderColor(ChartView::SeriesColour().darker(160));
            auto* bar = new QBarSeries;
            bar->append(set);
            series = bar;
        } else {
            auto* line = new QLineSeries;
            line->setName(QString::fromStdString(model.legend));
            QList<QPointF> points;
            points.reserve(model.Points());
            for (int i = 0; i < model.Points(); ++i) points.append(QPointF(i, model.values[static_cast<std::size_t>(i)]));
            line->replace(points);
            line->setPen(QPen(ChartView::SeriesColour(), PenPixels(model.lineWidth)));
            series = line;
        }
        chart_->addSeries(series);
        chart_->addAxis(x, Qt::AlignBottom);
        chart_->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        y->applyNiceNumbers();

        QCoreApplication::processEvents();  // Qt Charts lays out on posted events
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        view_.render(&painter, QRectF(image.rect()), view_.rect());
    }

private:
    bool bars_;
    QChart* chart_;  // owned by the view
    QChartView view_;
};

void QtChartsBench(benchmark::State& state, bool bars, const char* picture) {
    QtChartsRedraw redraw(bars);
    QImage image(kImageSize, QImage::Format_ARGB32_Premultiplied);
    redraw.Redraw(image);
    SavePicture(image, picture);
    for (auto _ : state) {
        redraw.Redraw(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_QtChartsBarSeries10000(benchmark::State& state) { QtChartsBench(state, true, "qtcharts_bars"); }
BENCHMARK(BM_QtChartsBarSeries10000)->Unit(benchmark::kMillisecond);

void BM_QtChartsLineSeries10000(benchmark::State& state) { QtChartsBench(state, false, "qtcharts_line"); }
BENCHMARK(BM_QtChartsLineSeries10000)->Unit(benchmark::kMillisecond);

#endif  // KELVANOR_HAVE_QT_CHARTS

}  // namespace
}  // namespace kelvanor

int main(int argc, char** argv) {
    // Take our own flag out before the benchmark library sees the rest.
    const char* const pngFlag = "--chart_png_dir=";
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], pngFlag, std::strlen(pngFlag)) == 0) {
            kelvanor::g_pngDir = argv[i] + std::strlen(pngFlag);
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    QApplication app(count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

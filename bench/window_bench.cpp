// The window's speed: start-up to a shown window, and a 10000-beacon import
// from the menu command to the painted chart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "sample_pass.h"
#include "session/session.h"
#include "window/main_window.h"
#include "window_fakes.h"

namespace kelvanor {
namespace {

using bench::NoKeys;
using bench::OneFile;
using NoMessages = bench::PrintedMessages;

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    OneFile files;
    NoMessages messages;
    NoKeys keys;
    const std::string programDir = Folder().path().toStdString() + "/";
    for (auto _ : state) {
        auto session = std::make_unique<Session>();
        MainWindow window(*session, files, messages, keys, programDir);
        window.Form_Load();
        window.show();
        window.repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WindowImport10000(benchmark::State& state) {
    OneFile files;
    files.path = QDir(Folder().path()).filePath("2020-11-29_kelvanor-10000.kss");
    {
        const std::string bytes = samples::SimulatedRecording(10000);
        QFile f(files.path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    NoMessages messages;
    NoKeys keys;
    auto session = std::make_unique<Session>();
    MainWindow window(*session, files, messages, keys, Folder().path().toStdString() + "/");
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();
    QWidget* chart = window.findChild<QWidget*>("MSChart1");
    for (auto _ : state) {
        window.MnuOpenKISSFile_Click();
        chart->repaint();  // the first painted chart
        benchmark::DoNotOptimize(session->RecordCount());
    }
    state.counters["records"] = session->RecordCount();
}
BENCHMARK(BM_WindowImport10000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace kelvanor

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

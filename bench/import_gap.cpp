// The window through an import far beyond the store: a recording of BEACONS
// beacons (default 500000, about 118 MB) imported from the menu while a
// 10 ms timer runs. Reports the import's time, the longest gap between the
// timer's ticks (the longest time the event loop was blocked) and the peak
// memory, and fails when the loop was blocked for more than 100 ms.
//   kelvanor_import_gap [BEACONS]
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "sample_pass.h"
#include "session/session.h"
#include "window/main_window.h"
#include "window_fakes.h"

using namespace kelvanor;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int beacons = argc > 1 ? std::atoi(argv[1]) : 500000;

    QTemporaryDir dir;
    bench::OneFile files;
    files.path = QDir(dir.path()).filePath("huge.kss");
    qint64 fileSize = 0;
    {
        const std::string block = samples::SimulatedRecording(1000);
        QFile f(files.path);
        f.open(QIODevice::WriteOnly);
        for (int done = 0; done < beacons; done += 1000) f.write(block.data(), static_cast<qint64>(block.size()));
        fileSize = f.size();
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);

    auto session = std::make_unique<Session>();
    bench::PrintedMessages messages;
    bench::NoKeys keys;
    MainWindow window(*session, files, messages, keys, dir.path().toStdString() + "/");
    window.Form_Load();
    window.show();

    QElapsedTimer clock;
    qint64 last = 0, longest = 0, importMs = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - last > 50 && std::getenv("KELVANOR_SHOW_GAPS")) {
            std::printf("gap of %lld ms from %lld ms\n", static_cast<long long>(now - last),
                        static_cast<long long>(last));
        }
        longest = std::max(longest, now - last);
        last = now;
    });
    QTimer::singleShot(50, [&] {
        const qint64 start = clock.elapsed();
        window.MnuOpenKISSFile_Click();
        importMs = clock.elapsed() - start;
        if (std::getenv("KELVANOR_SHOW_GAPS")) {
            std::printf("import from %lld to %lld ms\n", static_cast<long long>(start),
                        static_cast<long long>(clock.elapsed()));
        }
        QTimer::singleShot(200, &app, &QCoreApplication::quit);
    });
    clock.start();
    tick.start();
    app.exec();

    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("recording: %d beacons, %.1f MB\n", beacons, fileSize / 1e6);
    std::printf("records stored: %d, frame log: %.1f MB\n", session->RecordCount(),
                session->frameLog.size() / 1e6);
    std::printf("import: %lld ms, longest event-loop gap: %lld ms\n", static_cast<long long>(importMs),
                static_cast<long long>(longest));
    std::printf("peak resident memory: %.1f MB (%.1f MB before the window)\n", after.ru_maxrss / 1024.0,
                before.ru_maxrss / 1024.0);
    return longest <= 100 ? 0 : 1;
}

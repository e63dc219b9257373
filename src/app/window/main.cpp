// kelvanor: the telemetry decoder's window.
//   kelvanor [--open FILE...] [--grab PNG]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "session/session.h"
#include "window/main_window.h"
#include "window/qt_interfaces.h"
#include "window/regional_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kelvanor");
    QApplication::setApplicationVersion("0.3");
    QFont font = QApplication::font();
    font.setPointSizeF(7.5);
    QApplication::setFont(font);

    QCommandLineParser parser;
    parser.setApplicationDescription("KELVANOR Telemetry Decoder");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption open("open", "Import FILE at start (.kss: recording, else SatNOGS log); "
                                    "further files follow as positional arguments.",
                            "FILE");
    QCommandLineOption grab("grab", "Save a picture of the window to PNG once it has settled, then quit.",
                            "PNG");
    parser.addOption(open);
    parser.addOption(grab);
    parser.addPositionalArgument("FILE", "More files for --open.", "[FILE...]");
    parser.process(app);

    auto session = std::make_unique<kelvanor::Session>();
    session->regional = kelvanor::RegionalFromLocale(QLocale::system());
    kelvanor::AsyncKeyState keys;
    kelvanor::MainWindow* window = nullptr;
    kelvanor::DialogFileChooser files(nullptr);
    kelvanor::BoxMessageSink messages(nullptr);
    const std::string programDir = QDir(QCoreApplication::applicationDirPath()).path().toStdString() + "/";
    kelvanor::MainWindow main(*session, files, messages, keys, programDir);
    window = &main;
    window->Form_Load();
    window->show();

    QStringList toOpen = parser.values(open);
    if (!toOpen.isEmpty()) toOpen += parser.positionalArguments();
    const QString grabPath = parser.value(grab);
    QTimer::singleShot(0, window, [window, toOpen, grabPath] {
        if (!toOpen.isEmpty()) window->OpenFiles(toOpen);
        if (grabPath.isEmpty()) return;
        QTimer::singleShot(300, window, [window, grabPath] {
            const bool ok = window->grab().save(grabPath, "PNG");
            std::fprintf(ok ? stdout : stderr, "%s %s\n", qPrintable(grabPath),
                         ok ? "saved" : "could not be saved");
            QCoreApplication::exit(ok ? 0 : 1);
        });
    });
    return app.exec();
}

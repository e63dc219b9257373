// kelvanor: the telemetry decoder's window.
//   kelvanor [--open FILE] [--grab PNG] [--scale F] [FILE...]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/shell/program_paths.h"
#include "kelvanor_version.h"
#include "session/session.h"
#include "window/main_window.h"
#include "window/qt_interfaces.h"
#include "window/regional_qt.h"
#include "window/twips.h"

namespace {

// Beside the program in a build tree; the user's folders when installed.
kelvanor::ProgramPaths FindProgramPaths() {
    kelvanor::PathFacts facts;
    const QString dir = QDir(QCoreApplication::applicationDirPath()).path();
    facts.programDir = QFile::encodeName(dir).toStdString() + "/";
    facts.programDirWritable = QFileInfo(dir).isWritable();
    auto folder = [](QStandardPaths::StandardLocation location) {
        const QString path = QStandardPaths::writableLocation(location);
        return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString() + "/";
    };
    facts.configHome = folder(QStandardPaths::GenericConfigLocation);
    facts.dataHome = folder(QStandardPaths::GenericDataLocation);
    facts.fileExists = [](const std::string& path) {
        return QFileInfo(QFile::decodeName(path.c_str())).isFile();
    };
    return kelvanor::ChooseProgramPaths(facts);
}

// The command line, set up alike for the window and for --help/--version.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption open{"open",
                            "Import FILE at start (.kss: recording, else SatNOGS log); "
                            "further files follow as positional arguments.",
                            "FILE"};
    QCommandLineOption grab{
        "grab", "Save a picture of the window to PNG once it has settled, then quit.", "PNG"};
    QCommandLineOption scale{"scale",
                             "Enlarge the window's arrangement by F (1 to 3), its fonts staying as "
                             "they are, so long values read in a larger type.",
                             "F", "1"};

    explicit CommandLine(const kelvanor::ProgramPaths& paths) {
        parser.setApplicationDescription(
            "KELVANOR Telemetry Decoder\n" +
            QString::fromLocal8Bit(paths.HelpText().c_str()).trimmed());
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(open);
        parser.addOption(grab);
        parser.addOption(scale);
        parser.addPositionalArgument("FILE", "More files to import at start, as with --open.",
                                     "[FILE...]");
    }
};

// --help and --version print and end without opening a display.
bool AsksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--") break;
        if (a == "-h" || a == "--help" || a == "--help-all" || a == "-?" || a == "-v" ||
            a == "--version") {
            return true;
        }
    }
    return false;
}

void NameTheProgram() {
    QCoreApplication::setApplicationName("kelvanor");
    QCoreApplication::setApplicationVersion(KELVANOR_VERSION);
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        NameTheProgram();
        CommandLine line(FindProgramPaths());
        line.parser.process(app);  // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    NameTheProgram();
    QFont font = QApplication::font();
    font.setPointSizeF(7.5);
    QApplication::setFont(font);

    const kelvanor::ProgramPaths paths = FindProgramPaths();
    CommandLine line(paths);
    QCommandLineParser& parser = line.parser;
    const QCommandLineOption& open = line.open;
    const QCommandLineOption& grab = line.grab;
    parser.process(app);
    bool isNumber = false;
    const double scale = parser.value(line.scale).toDouble(&isNumber);
    if (!isNumber || !kelvanor::SetArrangementScale(scale)) {
        std::fprintf(stderr, "kelvanor: --scale takes a number from 1 to 3\n");
        return 2;
    }

    auto session = std::make_unique<kelvanor::Session>();
    session->regional = kelvanor::RegionalFromLocale(QLocale::system());
    kelvanor::AsyncKeyState keys;
    kelvanor::MainWindow* window = nullptr;
    kelvanor::DialogFileChooser files(nullptr);
    kelvanor::BoxMessageSink messages(nullptr);
    kelvanor::MainWindow main(*session, files, messages, keys, paths);
    window = &main;
    window->Form_Load();
    window->show();

    const QStringList toOpen = parser.values(open) + parser.positionalArguments();
    const QString grabPath = parser.value(grab);
    QTimer::singleShot(0, window, [window, toOpen, grabPath] {
        if (!toOpen.isEmpty()) window->OpenFiles(toOpen);
        if (grabPath.isEmpty()) return;
        window->ShowWhole();  // the whole window, whatever the screen
        QTimer::singleShot(300, window, [window, grabPath] {
            const bool ok = window->grab().save(grabPath, "PNG");
            std::fprintf(ok ? stdout : stderr, "%s %s\n", qPrintable(grabPath),
                         ok ? "saved" : "could not be saved");
            QCoreApplication::exit(ok ? 0 : 1);
        });
    });
    return app.exec();
}

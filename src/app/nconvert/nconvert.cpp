// nconvert: the screenshot converter. Accepts the command line the window
// starts it with,
//   nconvert -out png -colors 256 -quiet -D FILE...
// and writes each FILE as a PNG of at most the given number of colours
// beside it (its extension replaced by .png), deleting the source after a
// successful conversion when -D is given. Exits non-zero when any file fails.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <cstdio>

#include "kelvanor_version.h"

namespace {

constexpr const char* kUsageLine = "usage: nconvert -out png [-colors N] [-quiet] [-D] FILE...";

constexpr const char* kHelp =
    "Converts each FILE (any image format Qt reads, such as the window's BMP\n"
    "screenshots) into a PNG beside it, its extension replaced by .png.\n"
    "  -out png    the output format (only png)\n"
    "  -colors N   at most N colours, 2 to 256 (an indexed PNG)\n"
    "  -quiet      no message per converted file\n"
    "  -D          delete FILE once it has been converted\n"
    "  --help, --version\n"
    "Exit status: 0 all converted, 1 a file could not be read or written, 2 usage error.\n";

int Usage(const char* message) {
    std::fprintf(stderr, "nconvert: %s\n%s\n", message, kUsageLine);
    return 2;
}

QString PngName(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    // Image conversion needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    QString format;
    int colors = 0;
    bool quiet = false, deleteSource = false;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--help") {
            std::printf("%s\n%s", kUsageLine, kHelp);
            return 0;
        } else if (a == "--version") {
            std::printf("nconvert (KELVANOR Telemetry Decoder) %s\n", KELVANOR_VERSION);
            return 0;
        } else if (a == "-out") {
            if (++i >= args.size()) return Usage("-out needs a format");
            format = args[i].toLower();
        } else if (a == "-colors") {
            bool ok = false;
            if (++i >= args.size()) return Usage("-colors needs a number");
            colors = args[i].toInt(&ok);
            if (!ok || colors < 2 || colors > 256) return Usage("-colors takes 2 to 256");
        } else if (a == "-quiet") {
            quiet = true;
        } else if (a == "-D") {
            deleteSource = true;
        } else if (a.startsWith('-') && a.size() > 1) {
            return Usage("unknown option");
        } else {
            files << a;
        }
    }
    if (format != "png") return Usage("only -out png is supported");
    if (files.isEmpty()) return Usage("no input file");

    int failures = 0;
    for (const QString& file : files) {
        QImage image(file);  // the format is recognised from the content
        if (image.isNull()) {
            std::fprintf(stderr, "nconvert: cannot read %s\n", qPrintable(file));
            ++failures;
            continue;
        }
        if (colors > 0) {
            image = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        }
        const QString out = PngName(file);
        if (!image.save(out, "PNG")) {
            std::fprintf(stderr, "nconvert: cannot write %s\n", qPrintable(out));
            ++failures;
            continue;
        }
        if (deleteSource && QFileInfo(file).absoluteFilePath() != QFileInfo(out).absoluteFilePath()) {
            QFile::remove(file);
        }
        if (!quiet) std::printf("%s -> %s\n", qPrintable(file), qPrintable(out));
    }
    return failures == 0 ? 0 : 1;
}

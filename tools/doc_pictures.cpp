// kelvanor-doc-pictures OUT_DIR: the window's pictures in docs/, made from
// the sample pass on the offscreen platform. QT_SCALE_FACTOR=2 makes the 200%
// ones; KELVANOR_DOC_ARRANGEMENT=F (or --arrangement F) makes only the value
// pages of a window started with --scale F.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWheelEvent>
#include <cstdio>
#include <memory>

#include "chart_view/chart_view.h"
#include "sample_pass.h"
#include "session/session.h"
#include "window/main_window.h"
#include "window/twips.h"

using namespace kelvanor;

namespace {

// The file dialog answers with the sample; message boxes and keys stay quiet.
struct Stubs : FileChooser, MessageSink, KeyStateSource {
    QStringList chosen;
    bool Choose(const QString&, QStringList& paths) override {
        paths = chosen;
        return true;
    }
    void Information(const QString&, const QString&) override {}
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }
};

struct Pictures {
    QDir out;
    QTemporaryDir dir;
    QString sample = dir.filePath("2020-11-29_kelvanor.kss");
    Stubs stubs;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
    bool ok = true;

    // A window started in the scratch folder, showing the sample pass.
    void Start() {
        window.reset();
        session = std::make_unique<Session>();
        QFile conf(dir.filePath("conf.ini"));
        ok &= conf.open(QIODevice::WriteOnly) &&
              conf.write("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n") > 0;
        conf.close();
        window = std::make_unique<MainWindow>(*session, stubs, stubs, stubs,
                                              dir.path().toStdString() + "/");
        window->Form_Load();
        window->show();
        window->ShowWhole();
        stubs.chosen = {sample};
        window->MnuOpenKISSFile_Click();
    }
    template <typename T>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    void Show(int record) { Find<QScrollBar>("HScroll1")->setValue(record); }
    QString Tag() { return QString::number(qRound(window->devicePixelRatio() * 100)); }
    void Save(const QImage& picture, const QString& name) {
        const bool saved = picture.save(out.filePath(name));
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out.filePath(name)));
        ok &= saved;
    }
    // Both value pages, page 2 first so that page 1 stays on show.
    void Pages(const QString& pattern) {
        for (int page : {1, 0}) {
            Find<QTabWidget>("SSTab1")->setCurrentIndex(page);
            QCoreApplication::processEvents();
            Save(window->grab().toImage(), pattern.arg(page + 1));
        }
    }
    void Send(QWidget* w, QEvent&& e) { QApplication::sendEvent(w, &e); }

    // The value pages of record 120 (at --scale `arrangement`).
    void Values(const QString& arrangement) {
        ok &= SetArrangementScale(arrangement.toDouble());
        Start();
        Show(120);
        Pages("values-page%1-" + Tag() + (arrangement == "1" ? "" : "-scale" + arrangement) +
              ".png");
        SetArrangementScale(1);
    }

    // Channel 3 charted, zoomed around record 142 under the pointer; then the
    // tooltip of its value box, drawn where it would appear.
    void Chart() {
        window->Option1_Click(3);
        Show(141);
        Show(142);
        ChartView* chart = window->chart();
        const QPointF at150 = chart->PointOf(150), at142 = chart->PointOf(142);
        Send(chart, QWheelEvent(at150, chart->mapToGlobal(at150), QPoint(), QPoint(0, 720),
                                Qt::NoButton, {}, Qt::NoScrollPhase, false));
        Send(chart, QMouseEvent(QEvent::MouseMove, at142, chart->mapToGlobal(at142), Qt::NoButton,
                                {}, Qt::NoModifier));
        QCoreApplication::processEvents();
        QImage picture = window->grab().toImage();
        Save(picture, "chart-explore.png");
        auto* box = Find<QWidget>("Text1_3");
        const QPoint at(box->width() / 2, box->height() / 2);
        Send(box, QHelpEvent(QEvent::ToolTip, at, box->mapToGlobal(at)));
        QElapsedTimer waited;
        waited.start();
        while (!QToolTip::isVisible() && waited.elapsed() < 5000) QCoreApplication::processEvents();
        for (QWidget* tip : QApplication::topLevelWidgets())
            if (tip->inherits("QTipLabel") && tip->isVisible())
                QPainter(&picture).drawImage(box->mapTo(window.get(), at + QPoint(12, 16)),
                                             tip->grab().toImage());
        ok &= QToolTip::isVisible();
        Save(picture, "value-provenance.png");
        QToolTip::hideText();
    }

    // Record 142 under the shipped limits.ini, given values out of range.
    void Limits() {
        QFile::remove(dir.filePath("limits.ini"));
        ok &= QFile::copy(QCoreApplication::applicationDirPath() + "/limits.ini",
                          dir.filePath("limits.ini"));
        Start();
        const double patch[][3] = {{141, 3, 8.62}, {142, 3, 8.62},  {141, 5, 38},
                                   {142, 5, 38},   {142, 48, 43.5}, {142, 12, 4},
                                   {142, 59, 650}, {142, 82, 67},   {142, 98, 1}};
        for (auto [n, c, v] : patch) session->records.Record(int(n)).Values[std::size_t(c)] = v;
        window->Option1_Click(3);
        Show(142);
        Pages("limits-page%1-" + Tag() + ".png");
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication::setAttribute(Qt::AA_Use96Dpi);  // as under the window tests
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString arrangement = qEnvironmentVariable("KELVANOR_DOC_ARRANGEMENT", "1");
    if (args.size() == 3 && args[0] == "--arrangement") {
        arrangement = args[1];
        args = args.mid(2);
    }
    if (args.size() != 1 || args[0].startsWith('-')) {
        std::fprintf(stderr, "usage: kelvanor-doc-pictures [--arrangement F] OUT_DIR\n");
        return 2;
    }
    QFont font = QApplication::font();
    font.setPointSizeF(7.5);  // the program's own size, as in its --grab pictures
    QApplication::setFont(font);
    Pictures p;
    p.out = QDir(args[0]);
    QFile sample(p.sample);
    p.ok = p.dir.isValid() && p.out.exists() && sample.open(QIODevice::WriteOnly) &&
           sample.write(QByteArray::fromStdString(samples::SimulatedRecording())) > 0;
    sample.close();
    if (!p.ok) {
        std::fprintf(stderr, "kelvanor-doc-pictures: cannot use %s\n", qPrintable(args[0]));
        return 1;
    }
    p.Values(arrangement);
    if (arrangement == "1") {
        p.Chart();
        p.Limits();
    }
    p.window.reset();
    return p.ok ? 0 : 1;
}

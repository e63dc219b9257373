// The health limits as the operator sees them: marks on the value boxes,
// counts beside the chart statistics, limit lines and every sample beyond a
// bound in the chart, the red notice of a live beacon and the silent link.
#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "chart/chart_model.h"
#include "chart_view/chart_view.h"
#include "limits/limit_set.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/stepping_clock.h"
#include "support/temp_dir.h"
#include "window/main_window.h"
#include "window/twips.h"

using namespace kelvanor;

namespace {

std::string Beacon(int millivolts) {
    BeaconEncoder b = testing::PlausibleBeacon(millivolts);
    b.SetBatteryMillivolts(millivolts);
    return KissFrame(b.Frame());
}

}  // namespace

class LimitsWindowTest : public QObject, public FileChooser, public MessageSink, public KeyStateSource {
    Q_OBJECT

    QStringList chosen;
    bool Choose(const QString&, QStringList& paths) override { return paths = chosen, true; }
    void Information(const QString&, const QString&) override {}
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }

    testing::TempDir dir;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;

    // A window whose folder holds `confIni` and, unless null, `limitsIni`.
    void Start(const std::string& confIni, const char* limitsIni) {
        window.reset();
        session = std::make_unique<Session>();
        testing::WriteFile(dir.File("conf.ini"), confIni);
        std::filesystem::remove(dir.File("limits.ini"));
        if (limitsIni) testing::WriteFile(dir.File("limits.ini"), limitsIni);
        window = std::make_unique<MainWindow>(*session, *this, *this, *this, dir.File(""));
        window->Form_Load();
        window->show();
    }
    QWidget* Find(const QString& name) { return window->findChild<QWidget*>(name); }
    QString Text(const QString& name) {
        QWidget* w = Find(name);
        return qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : qobject_cast<QLineEdit*>(w)->text();
    }
    // "-", or the frame's line style and the symbol of channel c's mark.
    QString Mark(int c) {
        QWidget* frame = Find(QString("LimitFrame_%1").arg(c));
        if (!frame->isVisibleTo(window.get())) return "-";
        return (frame->styleSheet().contains("solid") ? "solid " : "dashed ") + Text(QString("LimitSymbol_%1").arg(c));
    }

private slots:
    // The marks follow the record shown, counted back for persistence; with
    // no limits.ini nothing is marked or counted, and a bad line is named.
    void marksAndCountsFollowTheRecordShown() {
        std::string pass;
        for (int mv : {8000, 8400, 8600, 8600, 5000})
            pass += RecordingEntry("2021-02-04 12:54:56.123 UTC", Beacon(mv));
        testing::WriteFile(dir.File("p.kss"), pass);
        chosen = {QString::fromStdString(dir.File("p.kss"))};
        for (const char* limits : {(const char*)nullptr, "3 = yellow_high 8.3, red_high 8.5, red_low 6, persistence 2\n12 red 9"}) {
            Start("SCREENSHOT=YES\n", limits);
            QCOMPARE(Text("Text4"), limits ? QString::fromStdString(dir.File("limits.ini line 2: no \"=\"; line ignored")) : "");
            window->MnuOpenKISSFile_Click();
            QString seen;
            for (int n = 1; n <= 5; ++n) {
                window->findChild<QScrollBar*>("HScroll1")->setValue(n);
                seen += Mark(3) + "|";
            }
            QCOMPARE(seen, limits ? QString::fromUtf8("-|-|dashed ▲|solid ▲|solid ▼|") : "-|-|-|-|-|");
            QCOMPARE(Text("ChartStats").startsWith("limits: 1 red, 0 yellow   |   min "), limits != nullptr);
        }
    }

    // The charted channel's bounds as lines; one red sample among 10000 is
    // inked red above the red line at every width and zoom.
    void singleRedSampleAmongTenThousand() {
        const LimitSet limits = ParseLimits("3 = yellow_high 8.3, red_high 8.5");
        for (bool spike : {true, false}) {
            ChartModel m{.drawn = true, .channel = 3, .values = std::vector<double>(10000, 7.5),
                         .labels = std::vector<std::string>(10000, "21:20:00")};
            m.values[4321] = spike ? 9.0 : 8.4;  // else yellow only
            ChartView view;
            view.SetModel(&m);
            view.SetLimits(&limits);
            for (int width : {200, 333, 800, 1700}) {
                view.resize(width, 300);
                view.ResetView();
                for (int zoom = 0; zoom < (spike ? 6 : 1); ++zoom) {
                    if (zoom > 0) view.ZoomAt(view.PointOf(4322), 0.2, 1);
                    QImage image(view.size(), QImage::Format_RGB32);  // one pixel a column at any screen scale
                    QPainter painter(&image);
                    const QRect plot = view.RenderTo(painter, view.rect());
                    // The red line: the row with most red; red ink above it is the sample.
                    std::vector<int> red(image.height()), amber(image.height());
                    for (int y = plot.top(); y <= plot.bottom(); ++y) {
                        for (int x = plot.left() + 1; x < plot.right(); ++x) {
                            red[y] += image.pixel(x, y) == ChartView::LimitColour(true).rgb();
                            amber[y] += image.pixel(x, y) == ChartView::LimitColour(false).rgb();
                        }
                    }
                    const int line = std::max_element(red.begin(), red.end()) - red.begin(), most = red[line];
                    const int above = std::accumulate(red.begin(), red.begin() + line - 1, 0);
                    const int amberRows = std::count_if(amber.begin(), amber.end(), [&](int a) { return a > plot.width() / 3; });
                    const QString where = QString("width %1 zoom %2").arg(width).arg(zoom);
                    QVERIFY2(!spike || (most > plot.width() / 2 && amberRows >= 1), qPrintable(where));
                    QVERIFY2((above > 0) == spike, qPrintable(where));
                }
            }
        }
    }

    // A live beacon that raises a channel to red is named in the status
    // line; a connected link silent for STALE_SECONDS says so beside its state.
    void liveRedNoticeAndSilentLink() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Start("TCP_SERVER=127.0.0.1\nTCP_PORT=" + std::to_string(server.serverPort()) + "\nSTALE_SECONDS=30\n",
              "3 = red_high 8.5\n");
        testing::SteppingClock clock;
        window->SetClock(&clock);
        window->SetRecordingDir(dir.File(""));
        QTest::mouseClick(window->findChild<QCheckBox*>("Check5"), Qt::LeftButton);
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE_WITH_TIMEOUT(Text("Label2"), QString("Connected"), 5000);
        clock.now += std::chrono::seconds(29);
        window->Timer1_Timer();
        QCOMPARE(Text("Label2"), QString("Connected"));
        clock.now += std::chrono::seconds(2);
        window->Timer1_Timer();
        QCOMPARE(Text("Label2"), QString("Connected - no beacon for 31 s"));
        const char* notices[] = {"", "RED: EPS Battery VOC 8.6 (red_high 8.5)", ""};  // 8.7: still red
        for (int n = 1; n <= 3; ++n) {
            peer->write(QByteArray::fromStdString(Beacon(7900 + 350 * n)));
            QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), n, 5000);
            QCOMPARE(Text("Text4").section(" | ", 1), QString(notices[n - 1]));
        }
        window->Timer1_Timer();
        QCOMPARE(Text("Label2"), QString("Connected"));
    }

    // Pictures for the documentation, made only when KELVANOR_DOC_SHOTS names
    // a folder (run with QT_SCALE_FACTOR=2 for the 200% ones): the sample pass
    // under the shipped limits.ini, records 141 and 142 given values out of
    // their ranges, record 142 shown with the battery voltage charted.
    void documentationPictures() {
        if (qEnvironmentVariableIsEmpty("KELVANOR_DOC_SHOTS")) QSKIP("KELVANOR_DOC_SHOTS not set");
        const QDir out(qEnvironmentVariable("KELVANOR_DOC_SHOTS"));
        QFont font = QApplication::font();
        font.setPointSizeF(7.5);  // the program's own size
        QApplication::setFont(font);
        const std::string shipped = testing::ReadFile(QCoreApplication::applicationDirPath().toStdString() + "/limits.ini");
        QVERIFY(!shipped.empty());
        Start("TCP_SERVER = localhost\nTCP_PORT=8001\n", shipped.c_str());
        window->ShowWhole();
        testing::WriteFile(dir.File("2020-11-29_kelvanor.kss"), samples::SimulatedRecording());
        chosen = {QString::fromStdString(dir.File("2020-11-29_kelvanor.kss"))};
        window->MnuOpenKISSFile_Click();
        const std::pair<int, double> both[] = {{3, 8.62}, {5, 38}}, last[] = {{48, 43.5}, {12, 4}, {59, 650}, {82, 67}, {98, 1}};
        for (int n : {141, 142})
            for (auto [c, v] : both) session->records.Record(n).Values[static_cast<std::size_t>(c)] = v;
        for (auto [c, v] : last) session->records.Record(142).Values[static_cast<std::size_t>(c)] = v;
        window->Option1_Click(3);
        window->findChild<QScrollBar*>("HScroll1")->setValue(142);
        const QString tag = QString::number(qRound(window->devicePixelRatio() * 100));
        for (int page : {1, 0}) {
            window->findChild<QTabWidget*>("SSTab1")->setCurrentIndex(page);
            QCoreApplication::processEvents();
            QVERIFY(window->grab().save(out.filePath(QString("limits-page%1-%2.png").arg(page + 1).arg(tag))));
        }
    }
};

QTEST_MAIN(LimitsWindowTest)
#include "limits_window_test.moc"

// The main window under the offscreen platform, driven through its widgets'
// object names: what it shows of the session, which command each menu, key,
// button and dialog runs, and what the operator sees of files and faults, of
// the station link, the archive and forwarding.
// The decoding, the texts and the export bytes are pinned by the core tests,
// the conf.ini rules and the screenshot names by shell_test, recording faults
// by live_arrival_test, escapes, split frames and time stamps of the station
// link by station_link_test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>
#include <functional>

#include "acquire/kiss_framing.h"
#include "archive/archive_tap.h"
#include "chart_view/chart_view.h"
#include "kelvanor_version.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/stepping_clock.h"
#include "support/temp_dir.h"
#include "support/widget_events.h"
#include "window/archive_range_dialog.h"
#include "window/channel_pages.h"
#include "window/main_window.h"
#include "window/qt_interfaces.h"

using namespace kelvanor;

namespace {

// A plausible beacon of packet number `packet` as it comes over a KISS link.
QByteArray Wire(int packet) {
    return QByteArray::fromStdString(KissFrame(testing::PlausibleBeacon(packet).Frame()));
}

QByteArray ReadBytes(const QString& path) {
    return QByteArray::fromStdString(testing::ReadFile(path.toStdString()));
}

}  // namespace

// The fixture stands for the file dialog, the message boxes, the keys and the
// archive range dialog.
class WindowTest : public QObject,
                   public FileChooser,
                   public MessageSink,
                   public KeyStateSource,
                   public RangeChooser {
    Q_OBJECT

    QStringList chosen, shown;  // the dialog's answer; the boxes shown
    bool cancel = false;
    int shift = 0, right = 0;  // 0x8000 held, 0x0001 pressed since the last query
    std::pair<qint64, qint64> offered;  // the last pass the range dialog was offered
    qint64 rangeFrom = 0;               // and the start of the range it answers
    bool Choose(const QString&, QStringList& paths) override {
        if (!cancel) paths = chosen;
        return !cancel;
    }
    void Information(const QString& t, const QString& s) override { shown << t + ": " + s; }
    int QueryShift() override { return std::exchange(shift, shift & 0x8000); }
    int QueryRightButton() override { return std::exchange(right, right & 0x8000); }
    bool ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass, qint64& from,
                     qint64& to) override {
        offered = *lastPass;
        std::tie(from, to) = std::pair(rangeFrom, lastPass->second);
        return true;
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
    testing::SteppingClock clock;  // on 2021-02-04
    QString sample;                // the operator's recording of a pass

    // Starts the program with `confIni` in the folder (none when null) on a new
    // session; `beforeLoad` sets the window up before its Form_Load.
    void Start(const QByteArray& confIni, const std::function<void(MainWindow&)>& beforeLoad = {}) {
        window.reset();
        shown.clear();
        session = std::make_unique<Session>();
        QFile::remove(dir->filePath("conf.ini"));
        if (!confIni.isNull())
            testing::WriteFile(dir->filePath("conf.ini").toStdString(), confIni.toStdString());
        window = std::make_unique<MainWindow>(*session, *this, *this, *this,
                                              dir->path().toStdString() + "/");
        window->SetRangeChooser(this);
        if (beforeLoad) beforeLoad(*window);
        window->Form_Load();
        window->show();
    }
    template <typename T = QLineEdit>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    QString Text(const QString& box) { return Find(box)->text(); }
    QString Label(const QString& name) { return Find<QLabel>(name)->text(); }
    // The record counter and the first value box, as the operator reads them.
    QString Shown() { return Text("Text2") + " " + Text("Text1_0"); }
    QScrollBar* Browser() { return Find<QScrollBar>("HScroll1"); }
    QString Day() { return dir->filePath("2021-02-04_kelvanor.kss"); }
    void Open(const QStringList& paths, bool kiss = true) {
        chosen = paths;
        kiss ? window->MnuOpenKISSFile_Click() : window->MnuOpenServerLog_Click();
    }
    // Starts the window on a link in stream mode that reconnects.
    void StartStream(const QString& link) {
        Start((link + "\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n").toUtf8());
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sample = dir->filePath("2020-11-29_kelvanor.kss");
        testing::WriteFile(sample.toStdString(), samples::SimulatedRecording());
        shift = right = 0;
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
    }
    void cleanup() { window.reset(); }

    void startUpMenusConfIniAndRefusedConnection() {
        QCOMPARE(Label("Label2"), QString("[LOCALHOST:8001]"));
        QVERIFY(!Find<QCheckBox>("CheckSerial")->isVisible());  // no SERIAL_PORT, no serial box
        QString captions;  // each with one keyboard letter, distinct within its menu
        for (QAction* menu : window->menuBar()->actions()) {
            captions += "\n" + menu->text();
            for (QAction* item : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
                if (!item->isSeparator()) captions += "|" + item->text();
        }
        QCOMPARE(captions,
                 QString("\n&File|&Open KISS File|Open &SatNOGS CSV|Open &Archive Range...|"
                         "E&xit\n&TLM File|"
                         "Write &CSV File|Write T&LM File|Export &Visible Range...\n&Info"));
        // On a screen under 1366 x 768 (offscreen: 800 x 600) the fixed client
        // area scrolls inside a window that fits.
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QCOMPARE(window->client()->size(), QSize(711, 801));
        auto* area = Find<QScrollArea>("ClientScroll");
        area->ensureWidgetVisible(Browser());
        const QPoint corner = window->client()->mapFrom(area->viewport(), QPoint());
        QVERIFY(QRect(corner, area->viewport()->size()).contains(Browser()->geometry()));
        // Each conf.ini starts the program; connecting ends in "Error" and the
        // status line says why.
        const std::pair<QByteArray, QString> cases[] = {
            {QByteArray(), "TCP_SERVER"},  // no conf.ini
            {"TCP_SERVER=127.0.0.1\r\nTCP_PORT=0\r\n", "TCP_PORT"},
            {"TCP_SERVER=127.0.0.1\r\nTCP_PORT=65536\r\n", "TCP_PORT"},
            {"TCP_SERVER=no-such-station.invalid\r\nTCP_PORT=8001\r\n", ""},
        };
        for (const auto& [conf, why] : cases) {
            Start(conf);
            QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Error"), 15000);
            QVERIFY2(!Text("Text4").isEmpty() && Text("Text4").contains(why), conf.constData());
            QVERIFY(Find<QFrame>("Shape10")->styleSheet().contains("255, 0, 0"));
        }
    }

    // The scroll bar's keys, the name buttons and the chart browse one pass;
    // the debug page shows its newest line at the left edge.
    void browsingThePass() {
        const QString fifo = dir->filePath("f.kss");  // named in the status line; import goes on
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
        Open({fifo, sample});
        QCOMPARE(Shown() + " " + Text("Text4"), "#1 / 300 48213 " + fifo + ": not a regular file");
        QApplication::setActiveWindow(window.get());  // Tab reaches the bar
        Find("Text2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const std::pair<Qt::Key, int> keysAndPositions[] = {
            {Qt::Key_Right, 2}, {Qt::Key_Left, 1},    {Qt::Key_PageDown, 11}, {Qt::Key_PageUp, 1},
            {Qt::Key_End, 300}, {Qt::Key_Right, 300}, {Qt::Key_Home, 1},      {Qt::Key_Left, 1}};
        for (auto [key, position] : keysAndPositions) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(Text("Text2"), QString("#%1 / 300").arg(position));
        }
        auto* log = Find<QPlainTextEdit>("Text5");
        Find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QTRY_VERIFY(log->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
        QCOMPARE(log->horizontalScrollBar()->value(), 0);
        // The set name button stays set when clicked again; Shift or the right
        // button pressed anew selects a channel without a redraw.
        auto* button = Find<QRadioButton>("Option1_47");
        for (int twice = 0; twice < 2; ++twice) button->click();
        QVERIFY(button->isChecked() && std::ranges::count_if(window->findChildren<QRadioButton*>(),
                                                             &QRadioButton::isChecked) == 1);
        Browser()->setValue(9);
        for (int* key : {&shift, &right}) {
            *key = 0x8001;
            window->Option1_Click(3);
            QVERIFY(session->chart.channel == 47 && Find<QRadioButton>("Option1_3")->isChecked());
            QCOMPARE(Shown(), QString("#9 / 300 48221"));
        }
        window->Option1_Click(3);  // held, not pressed anew: the redraw shows record 1
        QVERIFY(session->chart.channel == 3 && Text("Text1_0") == "48213");
        // A click on the chart browses; Export Visible Range writes what it
        // shows, adding ".csv" to a name without an extension.
        ChartView* chart = window->chart();
        testing::Wheel(chart, chart->PointOf(100), 6);
        for (int record : {120, 150}) {
            testing::Click(chart, chart->PointOf(record));
            QCOMPARE(Shown(), QString("#%1 / 300 %2").arg(record).arg(48212 + record));
        }
        const RecordSpan seen = VisibleRecords(chart->Viewport());
        QVERIFY(seen.first > 1 && seen.last < 300);
        chosen = {dir->filePath("range")};
        window->ExportVisibleRange_Click();
        QCOMPARE(ReadBytes(dir->filePath("range.csv")).count("\r\n"), seen.Count() + 1);
        QVERIFY(!QFile::exists(dir->filePath("range")));
        // A double click (its unzoom is chart_view_test's) shows the record
        // shown before it, though its first half was a click elsewhere.
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick})
            testing::Mouse(chart, type, chart->PointOf(150), Qt::LeftButton, Qt::LeftButton);
        testing::Mouse(chart, QEvent::MouseButtonRelease, chart->PointOf(150), Qt::LeftButton, {});
        QCOMPARE(Shown(), QString("#120 / 300 48332"));
        cancel = true;  // a cancelled dialog imports the last selection again
        window->MnuOpenKISSFile_Click();
        QCOMPARE(Shown(), QString("#1 / 300 48213"));
        // A screenshot goes to the image folder, which holds the operator's
        // recording, and it is open: it takes the next free name.
        window->SetConverterProgram(QCoreApplication::applicationDirPath() + "/nconvert");
        for (const QString name : {"2020-11-29_kelvanor", "2020-11-29_kelvanor-2"}) {
            window->Command1_Click();
            const QString png = dir->filePath(name + ".png");
            QCOMPARE(Text("Text4"), png + " converted and saved");
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(png) && !QFile::exists(dir->filePath(name + ".bmp")), 10000);
        }
        QCOMPARE(ReadBytes(sample), QByteArray::fromStdString(samples::SimulatedRecording()));
        // The CSV export of a SatNOGS log, which would be the log itself, takes
        // another name.
        cancel = false;
        const QString satnogs = dir->filePath("satnogs.csv");
        testing::WriteFile(satnogs.toStdString(), samples::SimulatedSatnogsLog(20));
        Open({satnogs}, false);
        const QByteArray before = ReadBytes(satnogs);
        window->WriteCSVFile_Click();
        QCOMPARE(ReadBytes(satnogs), before);
        QCOMPARE(Text("Text4"), dir->filePath("satnogs-2.csv") + " has been written (" + satnogs +
                                    " was read by the last import and is kept)");
    }

    // Every text of the sample pass fits its box whole, and the whole
    // disclaimer shows, in the program's font and in one twice as large. The
    // Info window is single, and Escape closes it.
    void wholeTextsAndTheInfoWindow() {
        const QFont before = QApplication::font();
        for (double scale : {1.0, 2.0}) {
            QFont font = before;  // the program's font, then twice as large
            font.setPointSizeF(7.5 * scale);
            QApplication::setFont(font);
            Start("");
            Open({sample});
            for (int record = 1; record <= 300; ++record) {
                Browser()->setValue(record);
                for (int c = 0; c < kChannelCount; ++c) {
                    auto* box = window->pages()->valueBox(c);
                    const double room = box->width() - 2 - 4;  // inside border and margins
                    QVERIFY2(QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= room &&
                                 box->font().pointSizeF() >= 4,
                             qPrintable(box->objectName() + ": " + box->text()));
                }
            }
            window->MnuInfo_Click();
            QLabel* text = window->info()->findChild<QLabel*>("Label11");
            QTRY_VERIFY(text->isVisible());
            QVERIFY(text->height() >= text->heightForWidth(text->width()));
            QVERIFY(window->info()->rect().contains(
                QRect(text->mapTo(window->info(), QPoint()), text->size())));
        }
        QApplication::setFont(before);
        QWidget* info = window->info();
        QCOMPARE(info->findChild<QLabel*>("Label2")->text(),
                 QString("Version 0.3    (04 Feb 2021)"));
        const QString disclaimer = info->findChild<QLabel*>("Label11")->text();
        QVERIFY(disclaimer.startsWith("THE SOFTWARE IS PROVIDED ") &&
                disclaimer.endsWith("USE OR PERFORMANCE OF THIS SOFTWARE."));
        window->MnuInfo_Click();
        QCOMPARE(window->info(), info);
        QTest::keyClick(info, Qt::Key_Escape);
        QTRY_VERIFY(window->info() == nullptr);
    }

    void fileDialogsStartInTheFolderUsedLast() {
        DialogFileChooser files(nullptr);
        QString startedIn;
        auto answer = [&](const QString& choose) {
            QTimer::singleShot(0, [&startedIn, choose] {
                QFileDialog* dialog = nullptr;
                QTRY_VERIFY(dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
                startedIn = dialog->directory().absolutePath();
                dialog->selectFile(choose);
                static_cast<QDialog*>(dialog)->accept();
            });
        };
        answer(sample);
        QVERIFY(files.Choose("All Files (*)", chosen) && chosen == QStringList{sample});
        answer("b.csv");
        QString saved;
        QVERIFY(files.ChooseSaveFile("All Files (*)", saved) && saved == dir->filePath("b.csv"));
        QCOMPARE(startedIn, dir->path());
    }

    // --- the live connection ---

    // New arrivals move the view only with FOLLOW_NEWEST. A link at the day
    // file's name (to /dev/full) is neither followed nor deleted and the
    // status line says so; a vanished folder shows a box; decoding goes on.
    void liveArrivalsAndRecordingFaults() {
        for (bool follow : {false, true}) {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost, 0));
            Start("TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + QByteArray::number(server.serverPort()) +
                  (follow ? "\r\nFOLLOW_NEWEST=yes\r\n" : "\r\n"));
            window->SetClock(&clock);
            QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
            QVERIFY(server.waitForNewConnection(5000));
            QTcpSocket* peer = server.nextPendingConnection();
            QVERIFY(QFile::link("/dev/full", Day()));
            for (int n = 1; n <= 3; ++n) {
                peer->write(Wire(70 + n));
                QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), n, 5000);
                const int at = follow ? n : 1;
                QCOMPARE(Shown(), QString("#%1 / %2 %3").arg(at).arg(n).arg(70 + at));
            }
            QCOMPARE(Text("Text4"), "not recorded: " + Day() + ": not a regular file");
            QVERIFY(shown.isEmpty() && QFileInfo(Day()).isSymLink() && QFile::remove(Day()));
            window->SetRecordingDir(dir->filePath("gone/").toStdString());
            peer->write(Wire(74));
            QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), 4, 5000);
            QCOMPARE(shown.takeLast(), QString("KELVANOR: File Not Found"));
        }
    }

    // --- the health limits ---

    // The sample pass under the shipped limits.ini, records 141 and 142 given values out of range:
    // the marks follow the record shown, counted back for persistence, and are counted beside the
    // chart statistics.
    void limitMarksAndCounts() {
        QFile::copy(QCoreApplication::applicationDirPath() + "/limits.ini",
                    dir->filePath("limits.ini"));
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
        Open({sample});
        const double patch[][3] = {{141, 3, 8.62}, {142, 3, 8.62},  {141, 5, 38},
                                   {142, 5, 38},   {142, 48, 43.5}, {142, 12, 4},
                                   {142, 59, 650}, {142, 82, 67},   {142, 98, 1}};
        for (auto [n, c, v] : patch) session->records.Record(int(n)).Values[std::size_t(c)] = v;
        window->Option1_Click(3);
        QString seen;  // the frame style and symbol of channels 3, 5 and 12
        for (int n : {141, 143, 142}) {
            Browser()->setValue(n);
            for (QString c : {"_3", "_5", "_12"}) {
                auto* frame = Find<QLabel>("LimitFrame" + c);
                seen += frame && frame->isVisibleTo(window.get())
                            ? frame->styleSheet().section(' ', 6, 6) +
                                  Find<QLabel>("LimitSymbol" + c)->text()
                            : "-";
            }
        }
        QCOMPARE(seen, QString::fromUtf8("------solid▲dashed▼solid◆"));
        QVERIFY(
            Find<QLabel>("ChartStats")->text().startsWith("limits: 3 red, 4 yellow   |   min "));
        // Live beacons at 8.6 V: the second (persistence 2) is named in the status line.
        BeaconEncoder hot = testing::PlausibleBeacon(9);
        hot.SetBatteryMillivolts(8600);
        for (bool named : {false, true}) {
            window->HandleArrival(QByteArray::fromStdString(KissFrame(hot.Frame())));
            QCOMPARE(Text("Text4").contains("RED: EPS Battery VOC 8.6 (red_high 8.5)"), named);
        }
    }

    // --- the station link ---

    // A serial TNC on a socat pseudo-terminal pair, and the TCP client in
    // stream mode coming back after the server dropped it.
    void serialTncOnSocatAndTheLostDevice() {
        if (QStandardPaths::findExecutable("socat").isEmpty()) QSKIP("socat is not installed");
        const QString a = dir->filePath("a"), b = dir->filePath("b");
        QProcess socat;
        socat.start("socat", {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(a) && QFile::exists(b); }, 5000));
        StartStream("SERIAL_PORT=" + b + "\r\nSERIAL_BAUD=115200");
        QCOMPARE(Label("LabelSerial"), "[" + b + ":115200]");
        QTest::mouseClick(Find<QCheckBox>("CheckSerial"), Qt::LeftButton);
        QTRY_COMPARE(Label("LabelSerial"), QString("Open"));
        const int tnc = ::open(a.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
        const QByteArray wire = Wire(1);
        QCOMPARE(::write(tnc, wire.constData(), wire.size()), wire.size());
        QTRY_COMPARE(session->RecordCount(), 1);
        ::close(tnc);
        socat.terminate();
        QTRY_VERIFY(Label("LabelSerial").startsWith("Error:"));
        QVERIFY(Label("LabelSerial").endsWith("next try in 1 s"));
    }

    void tcpStreamComesBackAfterTheServerDroppedIt() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        StartStream(QString("TCP_SERVER=127.0.0.1\r\nTCP_PORT=%1\r\nSTALE_SECONDS=60")
                        .arg(server.serverPort()));
        window->SetClock(&clock);
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        for (int records : {1, 2}) {
            QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
            QTRY_COMPARE(Label("Label2"), QString("Connected"));
            QTcpSocket* peer = server.nextPendingConnection();
            peer->write(Wire(1) + Wire(1).left(100));  // the cut frame is dropped with the link
            QTRY_COMPARE(session->RecordCount(), records);
            clock.now += std::chrono::seconds(75);  // then silent for 75 s
            window->Timer1_Timer();
            QCOMPARE(Label("Label2"), QString("Connected - no beacon for 75 s"));
            peer->close();
            QTRY_COMPARE(Label("Label2"), QString("Peer is closing the connection"));
            QVERIFY(session->statusText.find("next try in 1 s") != std::string::npos);
        }
    }

    // --- the archive ---

    // Imports and live arrivals go in, "Open Archive Range..." loads a range
    // as an import loads a file, and an archive file the window must not use
    // is told and left alone.
    void importsAndArrivalsGoInAndARangeLoadsAsAnImport() {
        Start("");  // the default archive, beside the program
        window->OpenFiles({sample});
        window->HandleArrival(Wire(7));
        // The live beacon alone is the last pass; the range from the sample
        // pass's start to its end loads both.
        const auto pass = samples::SimulatedPass();
        rangeFrom = *UtcMilliseconds(pass.front().rxTimestamp);
        window->MnuOpenArchiveRange_Click();
        QCOMPARE(offered.second - offered.first, 1);
        QCOMPARE(Text("Text2"), QString("#1 / 301"));
        QCOMPARE(session->display.rxCaption, "RX Timestamp: " + pass.front().rxTimestamp);
        QVERIFY(Text("Text4").startsWith("301 beacons loaded from "));
        QVERIFY(shown.isEmpty());
        // The dialog opens on the last pass, up to the second after it.
        ArchiveRangeDialog dialog(std::pair<qint64, qint64>{1606684801141LL, 1606685399248LL},
                                  nullptr);
        QCOMPARE(std::pair(dialog.FromMs(), dialog.ToMs()),
                 std::pair(1606684801141LL, 1606685400000LL));
        // A file that is not an archive (the sample) is told once; the window
        // goes on without an archive (the file left alone: the archive's test).
        Start("ARCHIVE=" + sample.toUtf8());
        window->OpenFiles({sample});
        QCOMPARE(session->RecordCount(), 300);
        QVERIFY(window->archive() == nullptr && shown.size() == 1 &&
                shown[0].contains("not a KELVANOR archive"));
    }

    // --- forwarding ---

    // Live beacons go to a telemetry database on 127.0.0.1 that first hangs
    // (and to a second one that is down): imports are never forwarded, and the
    // window goes on handling arrivals and events while a request waits for
    // its time-out.
    void liveBeaconsGoOutImportsDoNotAndTheWindowKeepsUpWhileTheServerHangs() {
        const QString log = dir->filePath("db.log"), pass = dir->filePath("pass.kss");
        QProcess database;
        database.start("python3", {SIDS_SERVER_PATH, "--log", log, "--answers", "hang"});
        QVERIFY(database.waitForReadyRead(5000));
        const QByteArray port = database.readLine().split(':').last().trimmed();
        testing::WriteFile(pass.toStdString(), samples::SimulatedRecording(5));
        Start("SIDS_URL=http://127.0.0.1:1/\r\nSIDS_URL=http://127.0.0.1:" + port +
                  "/\r\nSIDS_NORAD_ID=99999\r\nSIDS_CALLSIGN=n0call"
                  "\r\nSIDS_LATITUDE=49.7\r\nSIDS_LONGITUDE=8.9\r\n",
              [this](MainWindow& w) {
                  w.SetForwardTimeout(std::chrono::seconds(2));
                  w.SetRecordingDir(dir->path().toStdString() + "/");
              });
        window->OpenFiles({pass});

        // Two beacons while the server holds the first request (a stream's own
        // time stamps: the kelvanor-cli test).
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer handling;
        for (int packet : {1, 2}) {
            handling.start();
            window->HandleArrival(Wire(packet));
            QVERIFY(handling.elapsed() < 100);
            QTest::qWait(500);
        }
        QVERIFY(ticks >= 10);  // about 20 without load
        QTRY_COMPARE_WITH_TIMEOUT(
            Find<QFrame>("Shape10")->toolTip().section(';', 0, 0),
            QString("SiDS: 2 queued, 2 sent, 0 refused"), 10000);
        QVERIFY(Find<QLabel>("Label2")->toolTip().contains("; last error: "));

        // The first request timed out and went again; each with its beacon's
        // reception time; the import sent nothing.
        const QList<QByteArray> lines = ReadBytes(log).split('\n');
        QCOMPARE(lines.size(), 4);  // and an empty rest
        QCOMPARE(lines[0].mid(5), lines[1].mid(4));
        for (int i : {1, 2}) {
            QString rx = QString::fromStdString(session->records.Record(5 + i).RxTime.substr(0, 23));
            QVERIFY(lines[i].startsWith(
                ("201 99999 N0CALL " + rx.replace(' ', 'T') + "Z ").toLatin1()));
        }
        QVERIFY(lines[1].endsWith(" longLat 8.9E 49.7N " KELVANOR_VERSION));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"

// The main window under the offscreen platform, driven through its widgets'
// object names: what it shows of the session, which command each menu, key,
// button and dialog runs, and what the operator sees of files and faults.
// The decoding, the texts and the export bytes are pinned by the core tests.
#include <sys/stat.h>

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

#include "acquire/kiss_framing.h"
#include "chart_view/chart_view.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/small_disk.h"
#include "window/channel_pages.h"
#include "window/main_window.h"
#include "window/qt_interfaces.h"

using namespace kelvanor;

namespace {

struct NoonClock : UtcClock {
    std::chrono::system_clock::time_point Now() const override {
        return std::chrono::sys_days{std::chrono::year{2021} / 2 / 4} + std::chrono::hours{12};
    }
};

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void Mouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Wheel(QWidget* w, QPointF pos, int notches) {
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// A plausible beacon as it comes over the wire, with a byte to escape.
QByteArray Wire(int packet) {
    BeaconEncoder b = kelvanor::testing::PlausibleBeacon(packet);
    b.SetByte(120, 0xC0);
    return QByteArray::fromStdString(KissFrame(b.Frame()));
}

}  // namespace

// The fixture stands for the file dialog, the message boxes and the keys.
class WindowTest : public QObject, public FileChooser, public MessageSink, public KeyStateSource {
    Q_OBJECT

    QStringList chosen, shown;  // the dialog's answer; the boxes shown
    QString filter;             // the dialog's file types
    bool cancel = false;
    int shift = 0, right = 0;  // 0x8000 held, 0x0001 pressed since the last query
    bool Choose(const QString& types, QStringList& paths) override {
        filter = types;
        if (!cancel) paths = chosen;
        return !cancel;
    }
    void Information(const QString& title, const QString& text) override {
        shown << title + ": " + text;
    }
    int QueryShift() override { return std::exchange(shift, shift & 0x8000); }
    int QueryRightButton() override { return std::exchange(right, right & 0x8000); }

    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
    NoonClock clock;
    std::unique_ptr<QTemporaryDir> dir;
    QString sample;  // the operator's recording of a pass

    void Start(const QByteArray& confIni) {
        window.reset();
        session = std::make_unique<Session>();
        QFile::remove(dir->filePath("conf.ini"));
        if (!confIni.isNull()) QVERIFY(WriteBytes(dir->filePath("conf.ini"), confIni));
        window = std::make_unique<MainWindow>(*session, *this, *this, *this,
                                              dir->path().toStdString() + "/");
        window->Form_Load();
        window->show();
    }
    template <typename T = QLineEdit>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    QString Text(const QString& box) { return Find(box)->text(); }
    // The record counter and the first value box, as the operator reads them.
    QString Shown() { return Text("Text2") + " " + Text("Text1_0"); }
    QScrollBar* Browser() { return Find<QScrollBar>("HScroll1"); }
    QString Day() { return dir->filePath("2021-02-04_kelvanor.kss"); }
    void Open(const QStringList& paths, bool kiss = true) {
        chosen = paths;
        kiss ? window->MnuOpenKISSFile_Click() : window->MnuOpenServerLog_Click();
    }
    void ScaleFont(double scale) {
        QFont font = QApplication::font();
        font.setPointSizeF(7.5 * scale);
        QApplication::setFont(font);
    }
    // Connects the window to an in-test server on 127.0.0.1; the server's side.
    QTcpSocket* ConnectLive(QTcpServer& server, const QByteArray& moreConf = "") {
        if (!server.listen(QHostAddress::LocalHost, 0)) return nullptr;
        Start("TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + QByteArray::number(server.serverPort()) +
              "\r\n" + moreConf);
        window->SetClock(&clock);
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        if (!server.waitForNewConnection(5000)) return nullptr;
        QTcpSocket* peer = server.nextPendingConnection();
        const bool up = QTest::qWaitFor([&] { return window->Winsock_State() == "Connected"; });
        return up ? peer : nullptr;
    }
    void Send(QTcpSocket* peer, const QByteArray& bytes, int records) {
        peer->write(bytes);
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), records, 5000);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sample = dir->filePath("2020-11-29_kelvanor.kss");
        QVERIFY(WriteBytes(sample, QByteArray::fromStdString(samples::SimulatedRecording())));
        shown.clear();
        cancel = false;
        shift = right = 0;
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
    }
    void cleanup() { window.reset(); }

    void startUpArrangementAndMenus() {
        QCOMPARE(Find<QLabel>("Label2")->text(), QString("[LOCALHOST:8001]"));
        auto* tabs = Find<QTabWidget>("SSTab1");
        QStringList pages;  // each page's title and name buttons, every button inside it
        for (int p = 0; p < tabs->count(); ++p) {
            const auto buttons = tabs->widget(p)->findChildren<QRadioButton*>();
            for (auto* b : buttons) QVERIFY(tabs->widget(p)->rect().contains(b->geometry()));
            pages << tabs->tabText(p) + " " + QString::number(buttons.size());
        }
        QCOMPARE(pages, QStringList({"Main | FSW | CDH 59", "EPS | UHF | S-Band | CIP | ADCS 58",
                                     "debug 0"}));
        QWidget* client = window->client();
        QVERIFY(!client->rect().intersects(Find<QRadioButton>("Option1_52")->geometry()));
        QStringList captions;  // each with exactly one keyboard letter
        for (QAction* menu : window->menuBar()->actions()) {
            QStringList items{menu->text()};
            for (QAction* item : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
                if (!item->isSeparator()) items << item->text();
            for (const QString& item : items) QVERIFY2(item.count('&') == 1, qPrintable(item));
            captions << items.join('|').remove('&');
        }
        QCOMPARE(captions,
                 QStringList({"File|Open KISS File|Open SatNOGS CSV|Exit",
                              "TLM File|Write CSV File|Write TLM File|Export Visible Range...",
                              "Info"}));
        // On a screen under 1366 x 768 (offscreen: 800 x 600) the fixed client
        // area scrolls inside a window that fits.
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QCOMPARE(client->size(), QSize(711, 801));
        auto* area = Find<QScrollArea>("ClientScroll");
        area->ensureWidgetVisible(Browser());
        QVERIFY(QRect(client->mapFrom(area->viewport(), QPoint()), area->viewport()->size())
                    .contains(Browser()->geometry()));
        QVERIFY(Find<QPushButton>("Command1")->isVisible());
        Start("SCREENSHOT=no\r\n");
        QVERIFY(!Find<QPushButton>("Command1")->isVisible());
    }

    // Each conf.ini starts the program; connecting ends in "Error", the status
    // line says why, and the program goes on.
    void hostileConfIniAndRefusedConnection() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const QByteArray closedPort = QByteArray::number(probe.serverPort());
        probe.close();
        const std::pair<QByteArray, QString> cases[] = {
            {QByteArray(), "TCP_SERVER"},  // no conf.ini
            {"TCP_SERVER=127.0.0.1\r\nTCP_PORT=0\r\n", "TCP_PORT"},
            {"TCP_SERVER=127.0.0.1\r\nTCP_PORT=65536\r\n", "TCP_PORT"},
            {"TCP_SERVER=no-such-station.invalid\r\nTCP_PORT=8001\r\n", ""},
            {"TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + closedPort + "\r\n", ""},  // nothing listens
        };
        for (const auto& [conf, why] : cases) {
            Start(conf);
            QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Error"), 15000);
            QVERIFY2(!Text("Text4").isEmpty() && Text("Text4").contains(why), conf.constData());
            QVERIFY(Find<QFrame>("Shape10")->styleSheet().contains("255, 0, 0"));
            Open({sample});
            QCOMPARE(session->RecordCount(), 300);
        }
    }

    void importShowsTheSessionAndTheKeysBrowse() {
        Open({sample});
        QCOMPARE(Shown() + " " + Text("Text4"), "#1 / 300 48213 " + sample);
        QVERIFY(filter.contains("*.kss"));
        QCOMPARE(Find<QLabel>("Label3")->text(), QString("OBC Timestamp: 2020-11-29 21:20:00"));
        QCOMPARE(Find<QPlainTextEdit>("Text5")->blockCount(), 300);
        Browser()->setValue(5);
        QCOMPARE(Shown(), QString("#5 / 300 48217"));
        QApplication::setActiveWindow(window.get());  // Tab reaches the bar, and its keys browse
        Find("Text2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Browser());
        const std::pair<Qt::Key, int> keysAndPositions[] = {
            {Qt::Key_Right, 6}, {Qt::Key_Left, 5},    {Qt::Key_PageDown, 15}, {Qt::Key_PageUp, 5},
            {Qt::Key_End, 300}, {Qt::Key_Right, 300}, {Qt::Key_Home, 1},      {Qt::Key_Left, 1}};
        for (auto [key, position] : keysAndPositions) {
            QTest::keyClick(Browser(), key);
            QCOMPARE(Text("Text2"), QString("#%1 / 300").arg(position));
        }
        auto* log = Find<QPlainTextEdit>("Text5");  // the debug page: newest line, left edge
        Find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QTRY_VERIFY(log->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
        QCOMPARE(log->horizontalScrollBar()->value(), 0);
        Browser()->setValue(40);
        cancel = true;  // a cancel imports the last selection again, back at record 1...
        window->MnuOpenKISSFile_Click();
        QCOMPARE(Shown(), QString("#1 / 300 48213"));
        window->MnuOpenServerLog_Click();  // ...but never hands a recording to the SatNOGS reader
        QVERIFY(session->RecordCount() == 0 && Text("Text1_0").isEmpty());
        QCOMPARE(ReadBytes(sample), QByteArray::fromStdString(samples::SimulatedRecording()));
    }

    // A FIFO is named in the status line on either road, and the import goes
    // on; too many files is a box. The SatNOGS log is rewritten with CR LF, and
    // its CSV export, which would be the log itself, takes another name.
    void selectionOutcomes() {
        const QString fifo = dir->filePath("f.kss"), log = dir->filePath("satnogs.csv");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
        Open({fifo, sample});
        QCOMPARE(session->RecordCount(), 300);
        QCOMPARE(Text("Text4"), fifo + ": not a regular file");
        Open({fifo}, false);
        QCOMPARE(Text("Text4"), fifo + ": not a regular file");
        QVERIFY(shown.isEmpty());
        Open(QStringList(200, dir->filePath("a-long-recording-name.kss")));
        QCOMPARE(shown, QStringList{"KELVANOR: Es wurden zu viele Dateien ausgewählt!"});
        QCOMPARE(session->RecordCount(), 0);
        QVERIFY(WriteBytes(log, QByteArray::fromStdString(samples::SimulatedSatnogsLog(20))));
        Open({log}, false);
        QVERIFY(filter.contains("*.csv"));
        QCOMPARE(ReadBytes(log).count("\r\n"), 21);
        window->WriteCSVFile_Click();
        QCOMPARE(ReadBytes(log).count("\r\n"), 21);
        QCOMPARE(Text("Text4"), dir->filePath("satnogs-2.csv") + " has been written (" + log +
                                    " was read by the last import and is kept)");
    }

    void channelButtonsStyleBoxAndTlm() {
        Open({sample});
        auto* button = Find<QRadioButton>("Option1_47");
        button->click();
        button->click();  // the set button again: it stays set, the only one
        int set = 0;
        for (auto* b : window->findChildren<QRadioButton*>()) set += b->isChecked();
        QVERIFY(set == 1 && button->isChecked());
        QCOMPARE(Find<QWidget>("Frame1")->property("title").toString(),
                 QString("EPS Solar 0 Temp (C)"));
        QVERIFY(Find("Text1_47")->styleSheet().contains("255, 255, 192"));
        Browser()->setValue(9);
        for (int* key : {&shift, &right}) {  // pressed anew: selects, no redraw
            *key = 0x8001;
            window->Option1_Click(3);
            QVERIFY(session->chart.channel == 47 && Find<QRadioButton>("Option1_3")->isChecked());
            QCOMPARE(Shown(), QString("#9 / 300 48221"));
        }
        window->Option1_Click(3);  // held, not pressed anew: the redraw shows record 1
        QCOMPARE(session->chart.channel, 3);
        QCOMPARE(Text("Text1_0"), QString("48213"));
        QTest::mouseClick(Find<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(!session->chart.bars && session->chart.lineWidth == 30.0f);
        Find("Text1_3")->clear();  // the TLM report prints the boxes as they stand
        QTest::keyClicks(Find("Text1_3"), "typed");
        window->WriteTLMFile_Click();
        const QString tlm = dir->filePath("2020-11-29_kelvanor.tlm");
        QVERIFY(ReadBytes(tlm).contains("EPS Battery VOC     typed          V   "));
        QCOMPARE(Text("Text4"), tlm + " has been written");
    }

    // The image folder holds the operator's recording; a copy of it is open.
    void screenshotNeverReplacesTheOperatorsFiles() {
        QVERIFY(QDir(dir->path()).mkdir("copy"));
        QVERIFY(QFile::copy(sample, dir->filePath("copy/2020-11-29_kelvanor.kss")));
        Open({dir->filePath("copy/2020-11-29_kelvanor.kss")});
        window->SetConverterProgram(dir->filePath("no-such-converter"));
        window->Command1_Click();
        QCOMPARE(shown, QStringList{"Error: nconvert.exe not found"});
        QVERIFY(Find<QCheckBox>("Check1")->isVisible());  // the window as it was
        QCOMPARE(Text("Text4"), dir->filePath("2020-11-29_kelvanor.bmp") + " saved");
        QVERIFY(QFile::remove(dir->filePath("2020-11-29_kelvanor.bmp")));
        const QString converter = QCoreApplication::applicationDirPath() + "/nconvert";
        if (!QFileInfo(converter).isExecutable()) QSKIP("nconvert not built");
        window->SetConverterProgram(converter);
        for (const QString name : {"2020-11-29_kelvanor", "2020-11-29_kelvanor-2"}) {
            window->Command1_Click();
            const QString png = dir->filePath(name + ".png");
            QCOMPARE(Text("Text4"), png + " converted and saved");
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(png) && !QFile::exists(dir->filePath(name + ".bmp")), 10000);
            QCOMPARE(QImage(png).size(), window->client()->size() * window->devicePixelRatio());
        }
        QCOMPARE(ReadBytes(sample), QByteArray::fromStdString(samples::SimulatedRecording()));
        QCOMPARE(shown.size(), 1);
    }

    // Every text of the sample pass fits its box whole, and the whole
    // disclaimer shows, in the program's font and in one twice as large.
    void wholeTextsAtOneAndTwoTimesTheFont() {
        const QFont before = QApplication::font();
        for (double scale : {1.0, 2.0}) {
            ScaleFont(scale);
            Start("");
            Open({sample});
            for (int record = 1; record <= 300; ++record) {
                Browser()->setValue(record);
                for (int c = 0; c < kChannelCount; ++c) {
                    auto* box = window->pages()->valueBox(c);
                    const double room = box->width() - 2 - 4;  // inside border and margins
                    QVERIFY2(
                        QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= room &&
                            box->font().pointSizeF() >= 4,
                        qPrintable(QString("%1 at %2: %3").arg(c).arg(scale).arg(box->text())));
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
    }

    void infoWindowIsModelessSingleAndClosesOnEscape() {
        window->MnuInfo_Click();
        QWidget* info = window->info();
        QVERIFY(info != nullptr && info->isVisible() && info->windowTitle() == "Info");
        QCOMPARE(info->findChild<QLabel*>("Label2")->text(),
                 QString("Version 0.3    (04 Feb 2021)"));
        const QString disclaimer = info->findChild<QLabel*>("Label11")->text();
        QVERIFY(disclaimer.startsWith("THE SOFTWARE IS PROVIDED "));
        QVERIFY(disclaimer.endsWith("USE OR PERFORMANCE OF THIS SOFTWARE."));
        window->MnuInfo_Click();
        QCOMPARE(window->info(), info);
        QTest::keyClick(info, Qt::Key_Escape);
        QTRY_VERIFY(window->info() == nullptr);
    }

    void fileDialogsStartInTheFolderUsedLast() {
        QVERIFY(QDir(dir->path()).mkdir("first"));
        const QString first = dir->filePath("first/a.kss");
        QVERIFY(QFile::copy(sample, first));
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
        QStringList chosen;
        answer(first);
        QVERIFY(files.Choose("All Files (*)", chosen) && chosen == QStringList{first});
        answer("b.csv");
        QString saved;
        QVERIFY(files.ChooseSaveFile("All Files (*)", saved));
        QCOMPARE(startedIn, dir->filePath("first"));
        QCOMPARE(saved, dir->filePath("first/b.csv"));
    }

    // A click on the chart browses; a double click shows the whole chart and
    // the record shown before it, though its first half was a click elsewhere.
    void chartClicksBrowse() {
        Open({sample});
        ChartView* chart = window->chart();
        const QRectF styleBox(Find<QCheckBox>("Check1")->geometry().translated(-chart->pos()));
        chart->grab();
        for (const QRectF& r : chart->LabelRects()) QVERIFY(!r.intersects(styleBox));
        Wheel(chart, chart->PointOf(100), 6);
        for (int record : {120, 150}) {
            Mouse(chart, QEvent::MouseButtonPress, chart->PointOf(record));
            Mouse(chart, QEvent::MouseButtonRelease, chart->PointOf(record), Qt::NoButton);
            QCOMPARE(Shown(), QString("#%1 / 300 %2").arg(record).arg(48212 + record));
        }
        Mouse(chart, QEvent::MouseButtonPress, chart->PointOf(150));
        Mouse(chart, QEvent::MouseButtonDblClick, chart->PointOf(150));
        Mouse(chart, QEvent::MouseButtonRelease, chart->PointOf(150), Qt::NoButton);
        QVERIFY(!chart->Viewport().Zoomed());
        QCOMPARE(Shown(), QString("#120 / 300 48332"));
        Wheel(chart, chart->PointOf(100), 6);  // an import of as many records unzooms too
        Open({sample});
        QVERIFY(!chart->Viewport().Zoomed());
        QCOMPARE(Find<QLabel>("ChartStats")->text(),
                 QString("min 48213   max 48512   mean 48362.5"));
    }

    void valueBoxTooltipAndChangeMarks() {
        QCOMPARE(window->ValueBoxToolTip(19), QString());  // nothing shown yet
        Open({sample});
        auto mark = [this](int c) {
            return window->pages()->changeMark(c)->isVisibleTo(window->pages()->valueBox(c));
        };
        QVERIFY(!mark(0));  // the first record after an import
        Browser()->setValue(7);
        window->WriteCSVFile_Click();  // a status refresh keeps the marks
        QVERIFY(mark(0) && !mark(2));  // the packet counter moves on, the mode stays
        QVERIFY(!Find("Text1_1")->styleSheet().contains("255, 255, 192"));  // and no highlight
        const QString tip = window->ValueBoxToolTip(3);
        QVERIFY2(tip.startsWith("Record #7\nChannel 3: EPS Battery VOC (V)\n"
                                "Frame offset 29, 2 bytes, little-endian unsigned\nRaw field: ") &&
                     tip.contains("Conversion: raw / 1000") &&
                     tip.endsWith("Value: " + Text("Text1_3") + " V"),
                 qPrintable(tip));
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), Find("Text1_3")->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(Find("Text1_3"), &help);
        QTRY_COMPARE(QToolTip::text(), tip);
        QToolTip::hideText();
        Open({sample});  // an import starts afresh
        QVERIFY(!mark(0));
    }

    // Exports of a pass whose folder is gone say why in a box, and the next
    // works once the folder is back; Export Visible Range adds ".csv".
    void exportsSayWhyAndGoOn() {
        Start("IMAGE_PATH=/dev/null/shots/\r\n");
        QVERIFY(QDir(dir->path()).mkdir("pass"));
        const QString data = dir->filePath("pass/2020-11-29_kelvanor");
        QVERIFY(QFile::copy(sample, data + ".kss"));
        Open({data + ".kss"});
        QVERIFY(QDir(dir->filePath("pass")).removeRecursively());
        window->WriteCSVFile_Click();
        window->WriteTLMFile_Click();
        window->Command1_Click();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[0].startsWith("Error: Cannot write " + data + ".csv"));
        QVERIFY(shown[1].startsWith("Error: Cannot write " + data + ".tlm"));
        QVERIFY(shown[2].startsWith("Error: Cannot save /dev/null/shots/"));
        QVERIFY(QDir(dir->path()).mkdir("pass"));
        Wheel(window->chart(), window->chart()->PointOf(150), 5);
        const RecordSpan seen = VisibleRecords(window->chart()->Viewport());
        QVERIFY(seen.first > 1 && seen.last < 300);
        chosen = {data};
        window->ExportVisibleRange_Click();  // a name without an extension gets ".csv"
        const QByteArray csv = ReadBytes(data + ".csv");
        QCOMPARE(csv.count("\r\n"), seen.Count() + 1);
        QVERIFY(csv.split('\n')[1].startsWith(session->records.Record(seen.first).RxTime.c_str()));
        QCOMPARE(Text("Text4") + " " + QString::fromStdString(session->currentFileName),
                 data + ".csv has been written " + data + ".kss");
        QVERIFY(!QFile::exists(data) && shown.size() == 3);
        chosen = {dir->filePath("gone/range.csv")};
        window->ExportVisibleRange_Click();
        QVERIFY(shown.last().startsWith("Error: Cannot write " + dir->filePath("gone")));
    }

    // --- the live connection ---

    void liveArrivalsAreDecodedRecordedAndShown() {
        for (bool follow : {false, true}) {
            QTcpServer server;
            QTcpSocket* peer = ConnectLive(server, follow ? "FOLLOW_NEWEST=yes\r\n" : "");
            QVERIFY(peer != nullptr);
            for (int n = 1; n <= 3; ++n) {
                Send(peer, Wire(70 + n), n);
                const int at = follow ? n : 1;
                QCOMPARE(Shown(), QString("#%1 / %2 %3").arg(at).arg(n).arg(70 + at));
                QCOMPARE(Browser()->value(), at);
            }
            QCOMPARE(Text("Text4"),
                     QString::number(Wire(73).size()) + " bytes has been added to " + Day());
            QCOMPARE(ReadBytes(Day()).left(30 + Wire(71).size()),
                     "\xC0\t2021-02-04 12:00:00.000 UTC\xC0" + Wire(71));
            QVERIFY(QFile::remove(Day()));
        }
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QCOMPARE(Find<QLabel>("Label2")->text(), QString("Closed"));
        QVERIFY(Find<QFrame>("Shape10")->styleSheet().contains("192, 192, 192"));
    }

    // Recording faults never stop the decoding: a link at the day file's
    // name (to /dev/full) is neither followed nor deleted and the status line
    // says so; a vanished folder or a read-only disk shows a box, and
    // recording resumes once the disk takes writes again.
    void liveRecordingFaults() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        QVERIFY(QFile::link("/dev/full", Day()));
        Send(peer, Wire(1), 1);
        QCOMPARE(Text("Text4"), "not recorded: " + Day() + ": not a regular file");
        QVERIFY(shown.isEmpty() && QFileInfo(Day()).isSymLink());
        window->SetRecordingDir(dir->filePath("gone/").toStdString());
        Send(peer, Wire(2), 2);
        QCOMPARE(shown, QStringList{"KELVANOR: File Not Found"});
        QCOMPARE(Shown(), QString("#1 / 2 1"));
        testing::SmallDisk disk(dir->filePath("disk").toStdString(), "size=64k");
        if (!disk.Mounted()) QSKIP(disk.Why().c_str());
        window->SetRecordingDir(disk.Folder() + "/");
        Send(peer, Wire(3), 3);
        QVERIFY(disk.ReadOnly(true));
        Send(peer, Wire(4), 4);
        QCOMPARE(shown.last(), QString("KELVANOR: Disk Not Ready"));
        QVERIFY(disk.ReadOnly(false));
        Send(peer, Wire(5), 5);
        QCOMPARE(shown.size(), 2);
        const QByteArray day =
            ReadBytes(disk.Folder().c_str() + QString("/2021-02-04_kelvanor.kss"));
        QVERIFY(day.size() == 2 * (30 + Wire(3).size()) && day.endsWith(Wire(5)));
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(),
                                  QString("Peer is closing the connection"), 5000);
    }

    // Pictures for the documentation, made only when KELVANOR_DOC_SHOTS names
    // a folder (run with QT_SCALE_FACTOR=2 for the 200% ones).
    void documentationPictures() {
        const QDir out(qEnvironmentVariable("KELVANOR_DOC_SHOTS"));
        if (qEnvironmentVariableIsEmpty("KELVANOR_DOC_SHOTS")) QSKIP("KELVANOR_DOC_SHOTS not set");
        const QFont before = QApplication::font();
        ScaleFont(1);  // the program's own size, as in its --grab pictures
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
        window->ShowWhole();
        Open({sample});
        Browser()->setValue(120);
        const int percent = qRound(window->devicePixelRatio() * 100);
        for (int page : {1, 0}) {
            Find<QTabWidget>("SSTab1")->setCurrentIndex(page);
            QCoreApplication::processEvents();
            QVERIFY(window->grab().save(
                out.filePath(QString("values-page%1-%2.png").arg(page + 1).arg(percent))));
        }
        window->Option1_Click(3);
        Browser()->setValue(141);
        Browser()->setValue(142);
        Wheel(window->chart(), window->chart()->PointOf(150), 6);
        Mouse(window->chart(), QEvent::MouseMove, window->chart()->PointOf(142), Qt::NoButton);
        QCoreApplication::processEvents();
        QImage picture = window->grab().toImage();
        QVERIFY(picture.save(out.filePath("chart-explore.png")));
        auto* box = Find("Text1_3");  // its tooltip, drawn where it would appear
        const QPoint at(box->width() / 2, box->height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &help);
        QWidget* tip = nullptr;
        QTRY_VERIFY(tip = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible()) return w;
            return static_cast<QWidget*>(nullptr);
        }());
        QPainter(&picture).drawImage(box->mapTo(window.get(), at + QPoint(12, 16)),
                                     tip->grab().toImage());
        QVERIFY(picture.save(out.filePath("value-provenance.png")));
        QToolTip::hideText();
        QApplication::setFont(before);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"

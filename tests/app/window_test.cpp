// The main window under the offscreen platform: start-up, arrangement,
// imports through the dialog interface, browsing, the chart commands, the
// exports, the screenshot and the Info window.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <sys/stat.h>

#include <memory>

#include "acquire/kiss_framing.h"
#include "acquire/utc_clock.h"
#include "chart/chart_readout.h"
#include "chart_view/chart_view.h"
#include "decode/beacon_encoder.h"
#include "decode/number_text.h"
#include "export/csv_export.h"
#include "sample_pass.h"
#include "session/handlers.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/recording_chunks.h"
#include "support/small_disk.h"
#include "window/channel_pages.h"
#include "window/info_window.h"
#include "window/main_window.h"
#include "window/qt_interfaces.h"

using namespace kelvanor;

namespace {

class FakeChooser : public FileChooser {
public:
    bool Choose(const QString& filter, QStringList& paths) override {
        lastFilter = filter;
        if (cancel) return false;
        paths = next;
        return true;
    }
    QStringList next;
    bool cancel = false;
    QString lastFilter;
};

class FakeMessages : public MessageSink {
public:
    void Information(const QString& title, const QString& text) override {
        shown << title + ": " + text;
    }
    QStringList shown;
};

class FakeKeys : public KeyStateSource {
public:
    int QueryShift() override { return std::exchange(shift, shift & 0x8000); }
    int QueryRightButton() override { return std::exchange(right, right & 0x8000); }
    int shift = 0, right = 0;
};

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void Mouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Click(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, pos, button, button);
    Mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void Wheel(QWidget* w, QPointF pos, int notches) {
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

class FixedClock : public UtcClock {
public:
    std::chrono::system_clock::time_point Now() const override { return now; }
    std::chrono::system_clock::time_point now =
        std::chrono::sys_days{std::chrono::year{2021} / 2 / 4} + std::chrono::hours{12};
};

std::string Beacon(int packet) {
    BeaconEncoder b = kelvanor::testing::PlausibleBeacon(packet);
    b.SetByte(120, 0xC0);  // escaped on the wire
    return b.Frame();
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
    FakeChooser chooser;
    FakeMessages messages;
    FakeKeys keys;
    std::unique_ptr<QTemporaryDir> dir;
    QString sample;

    void Start(const QByteArray& confIni, bool writeConf = true) {
        window.reset();
        session = std::make_unique<Session>();
        if (writeConf) {
            QFile f(dir->filePath("conf.ini"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(confIni);
        } else {
            QFile::remove(dir->filePath("conf.ini"));
        }
        window = std::make_unique<MainWindow>(*session, chooser, messages, keys,
                                              QDir(dir->path()).path().toStdString() + "/");
        window->Form_Load();
        window->show();
    }
    template <typename T>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    QString Value(int c) { return Find<QLineEdit>(QString("Text1_%1").arg(c))->text(); }
    void ImportSample() {
        chooser.cancel = false;
        chooser.next = {sample};
        window->MnuOpenKISSFile_Click();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sample = dir->filePath("2020-11-29_kelvanor.kss");
        WriteBytes(sample, samples::SimulatedRecording());
        messages.shown.clear();
        keys = FakeKeys{};
        chooser.cancel = false;
        chooser.next.clear();
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
    }
    void cleanup() { window.reset(); }

    void startUpReadsConfIni() {
        QCOMPARE(window->windowTitle().left(27), QString("KELVANOR Telemetry Decoder "));
        QCOMPARE(Find<QLabel>("Label2")->text(), QString("[LOCALHOST:8001]"));
        QVERIFY(Find<QPushButton>("Command1")->isVisible());
        QVERIFY(Find<QCheckBox>("Check1")->isChecked());
        QVERIFY(!Find<QCheckBox>("Check5")->isChecked());
        QCOMPARE(Find<QTabWidget>("SSTab1")->currentIndex(), 0);
        QCOMPARE(Find<QRadioButton>("Option1_0")->text(), QString("Beacon Packet"));
        QCOMPARE(Find<QLabel>("Label1_52")->text(), QString("C"));
        QCOMPARE(Find<QLabel>("Label1_5")->text(), QString());

        Start("SCREENSHOT=no\r\n");
        QVERIFY(!Find<QPushButton>("Command1")->isVisible());
        Start("", /*writeConf=*/false);
        QVERIFY(Find<QLineEdit>("Text4")->text().contains("conf.ini"));
        QVERIFY(Find<QPushButton>("Command1")->isVisible());
        Start("TCP_PORT=abc\r\nno equals sign\r\n");
        QVERIFY(Find<QLineEdit>("Text4")->text().contains("TCP_PORT"));
    }

    void arrangementHas59And58ChannelsAndHides52() {
        auto* tabs = Find<QTabWidget>("SSTab1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QString("Main | FSW | CDH"));
        QCOMPARE(tabs->tabText(1), QString("EPS | UHF | S-Band | CIP | ADCS"));
        QCOMPARE(tabs->tabText(2), QString("debug"));
        int perPage[2] = {0, 0};
        for (int p = 0; p < 2; ++p) {
            for (auto* b : tabs->widget(p)->findChildren<QRadioButton*>()) {
                ++perPage[p];
                QVERIFY2(tabs->widget(p)->rect().contains(b->geometry()), qPrintable(b->objectName()));
            }
        }
        QCOMPARE(perPage[0], 59);
        QCOMPARE(perPage[1], 58);
        auto* hidden = Find<QRadioButton>("Option1_52");
        QWidget* client = window->client();
        QVERIFY(hidden->parentWidget() == client);
        QVERIFY(!client->rect().intersects(hidden->geometry()));
        for (const char* name : {"HScroll1", "Text2", "Text4", "Text5", "Check1", "Check5", "Label2",
                                 "Label3", "Label4", "Shape10", "Command1", "Frame1", "MSChart1"}) {
            QVERIFY2(window->findChild<QWidget*>(name) != nullptr, name);
        }
        // Captions as they are, each with its keyboard letter.
        QStringList captions;
        for (QAction* menu : window->menuBar()->actions()) {
            QStringList items{menu->text()};
            if (menu->menu()) {
                for (QAction* item : menu->menu()->actions())
                    if (!item->isSeparator()) items << item->text();
            }
            for (const QString& item : items) QVERIFY2(item.count('&') == 1, qPrintable(item));
            captions << items.join('|').remove('&');
        }
        QCOMPARE(captions,
                 QStringList({"File|Open KISS File|Open SatNOGS CSV|Exit",
                              "TLM File|Write CSV File|Write TLM File|Export Visible Range...",
                              "Info"}));
        // The fixed client area scrolls within a window that fits the screen
        // (the offscreen screen is 800 x 600, smaller than 1366 x 768).
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QCOMPARE(client->size(), QSize(711, 801));
        auto* area = Find<QScrollArea>("ClientScroll");
        area->ensureWidgetVisible(Find<QScrollBar>("HScroll1"));
        const QRect seen(client->mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
        QVERIFY(seen.contains(Find<QScrollBar>("HScroll1")->geometry()));
    }

    void importThroughTheDialogAndBrowse() {
        ImportSample();
        QCOMPARE(session->RecordCount(), 300);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#1 / 300"));
        QCOMPARE(Value(0), QString("48213"));
        QCOMPARE(Find<QLabel>("Label3")->text(), QString("OBC Timestamp: 2020-11-29 21:20:00"));
        QCOMPARE(Find<QLineEdit>("Text4")->text(), sample);
        QCOMPARE(Find<QPlainTextEdit>("Text5")->blockCount(), 300);
        QVERIFY(chooser.lastFilter.contains("*.kss"));

        auto* scroll = Find<QScrollBar>("HScroll1");
        QCOMPARE(scroll->maximum(), 300);
        scroll->setValue(5);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#5 / 300"));
        QCOMPARE(Value(0), QString("48217"));
        scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(Value(0), QString("48218"));
        // Tab reaches the bar, and its keys browse.
        QApplication::setActiveWindow(window.get());
        Find<QLineEdit>("Text2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), scroll);
        const std::pair<Qt::Key, int> keysAndPositions[] = {
            {Qt::Key_Right, 7}, {Qt::Key_Left, 6},    {Qt::Key_PageDown, 16}, {Qt::Key_PageUp, 6},
            {Qt::Key_End, 300}, {Qt::Key_Right, 300}, {Qt::Key_Home, 1},      {Qt::Key_Left, 1}};
        for (auto [key, position] : keysAndPositions) {
            QTest::keyClick(scroll, key);
            QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#%1 / 300").arg(position));
        }
        // The debug page opens on its newest line, at the left edge.
        auto* log = Find<QPlainTextEdit>("Text5");
        Find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QTRY_VERIFY(log->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
        QCOMPARE(log->horizontalScrollBar()->value(), 0);
        Find<QTabWidget>("SSTab1")->setCurrentIndex(0);

        // A cancel re-imports the previous selection of the same command;
        // its first record pulls the position back to 1.
        scroll->setValue(40);
        chooser.cancel = true;
        window->MnuOpenKISSFile_Click();
        QCOMPARE(session->RecordCount(), 300);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#1 / 300"));
        // ...but never hands the recording to the SatNOGS reader.
        const QByteArray before = ReadBytes(sample);
        window->MnuOpenServerLog_Click();
        QCOMPARE(session->RecordCount(), 0);
        QCOMPARE(ReadBytes(sample), before);
        QCOMPARE(Value(0), QString());
    }

    // A FIFO in the selection neither freezes the window nor stops the
    // import; the status line names it on either import road.
    void specialFileInTheSelectionIsReportedInTheStatusLine() {
        const QString fifo = dir->filePath("f.kss");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
        chooser.cancel = false;
        chooser.next = {fifo, sample};
        window->MnuOpenKISSFile_Click();
        QCOMPARE(session->RecordCount(), 300);
        QCOMPARE(Find<QLineEdit>("Text4")->text(), fifo + ": not a regular file");
        chooser.next = {fifo};
        window->MnuOpenServerLog_Click();
        QCOMPARE(Find<QLineEdit>("Text4")->text(), fifo + ": not a regular file");
        QVERIFY(messages.shown.isEmpty());
    }

    void tooManyFilesShowsTheMessageAndImportsNothing() {
        QStringList many;
        for (int i = 0; i < 200; ++i) many << dir->filePath(QString("recording-number-%1.kss").arg(i));
        chooser.next = many;
        window->MnuOpenKISSFile_Click();
        QCOMPARE(messages.shown, QStringList{"KELVANOR: " + QString::fromUtf8(kTooManyFiles)});
        QCOMPARE(session->RecordCount(), 0);
    }

    void satnogsLogIsRewrittenWithCrLfOnce() {
        const QString log = dir->filePath("satnogs.csv");
        const std::string text = samples::SimulatedSatnogsLog(20);
        WriteBytes(log, text);
        chooser.next = {log};
        window->MnuOpenServerLog_Click();
        QCOMPARE(session->RecordCount(), 20);
        const QByteArray rewritten = ReadBytes(log);
        QCOMPARE(rewritten.count("\r\n"), 21);
        window->MnuOpenServerLog_Click();
        QCOMPARE(ReadBytes(log), rewritten);
        QVERIFY(chooser.lastFilter.contains("*.csv"));
        // Its CSV export would be the log itself: another name, and the status says which.
        window->WriteCSVFile_Click();
        QCOMPARE(ReadBytes(log), rewritten);
        QCOMPARE(ReadBytes(dir->filePath("satnogs-2.csv")).count("\r\n"), 21);
        QCOMPARE(Find<QLineEdit>("Text4")->text(), dir->filePath("satnogs-2.csv") +
                                                       " has been written (" + log +
                                                       " was read by the last import and is kept)");
    }

    void channelSelectionAndItsSuppression() {
        ImportSample();
        window->Option1_Click(47);
        QCOMPARE(session->chart.channel, 47);
        QCOMPARE(window->findChild<QWidget*>("Frame1")->property("title").toString(),
                 QString("EPS Solar 0 Temp (C)"));
        QVERIFY(Find<QRadioButton>("Option1_47")->isChecked());
        QVERIFY(!Find<QRadioButton>("Option1_0")->isChecked());
        QVERIFY(Find<QLineEdit>("Text1_47")->styleSheet().contains("255, 255, 192"));
        Find<QRadioButton>("Option1_47")->click();  // the set button again: it stays set
        QVERIFY(Find<QRadioButton>("Option1_47")->isChecked());
        int set = 0;
        for (auto* b : window->findChildren<QRadioButton*>()) set += b->isChecked() ? 1 : 0;
        QCOMPARE(set, 1);

        Find<QScrollBar>("HScroll1")->setValue(9);
        keys.shift = 0x8001;  // pressed since the last query
        window->Option1_Click(3);
        QCOMPARE(session->chart.channel, 47);
        QCOMPARE(session->selectedChannel, 3);
        QCOMPARE(Value(0), QString("48221"));  // still record 9
        QVERIFY(Find<QRadioButton>("Option1_3")->isChecked());
        // held but not pressed anew: redraws
        window->Option1_Click(3);
        QCOMPARE(session->chart.channel, 3);
        QCOMPARE(Value(0), QString("48213"));
        keys.right = 0x8001;
        window->Option1_Click(5);
        QCOMPARE(session->chart.channel, 3);
    }

    void barAndLineSwitch() {
        ImportSample();
        QVERIFY(session->chart.bars);
        QTest::mouseClick(Find<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(!session->chart.bars);
        QCOMPARE(session->chart.lineWidth, 30.0f);
        QTest::mouseClick(Find<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(session->chart.bars);
    }

    void tlmAfterChartRefreshPrintsTheBoxes() {
        ImportSample();
        Find<QScrollBar>("HScroll1")->setValue(50);
        window->Option1_Click(0);  // the redraw shows record 1
        auto* box = Find<QLineEdit>("Text1_3");
        box->clear();
        QTest::keyClicks(box, "typed");
        session->currentFileName = dir->filePath("pass.kss").toStdString();
        window->WriteTLMFile_Click();
        const QByteArray tlm = ReadBytes(dir->filePath("pass.tlm"));
        QVERIFY(tlm.contains("Beacon Packet       48213          "));
        QVERIFY(tlm.contains("EPS Battery VOC     typed          V   "));
        QCOMPARE(Find<QLineEdit>("Text4")->text(), dir->filePath("pass.tlm") + " has been written");
        window->WriteCSVFile_Click();
        QCOMPARE(ReadBytes(dir->filePath("pass.csv")).count("\r\n"), 301);
    }

    void screenshotWithTheConverter() {
        const QString converter = QDir(QCoreApplication::applicationDirPath()).filePath("nconvert");
        if (!QFileInfo(converter).isExecutable()) QSKIP("nconvert not built");
        Start(QString("IMAGE_PATH=%1/shots/\r\n").arg(dir->path()).toUtf8());
        QDir(dir->path()).mkdir("shots");
        ImportSample();
        window->SetConverterProgram(converter);
        window->Command1_Click();
        QVERIFY(messages.shown.isEmpty());
        const QString png = dir->filePath("shots/2020-11-29_kelvanor.png");
        QCOMPARE(Find<QLineEdit>("Text4")->text(), png + " converted and saved");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(png), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(dir->filePath("shots/2020-11-29_kelvanor.kss")), 10000);
        QImage picture(png);
        QCOMPARE(picture.size(), window->client()->size() * window->devicePixelRatio());
        QVERIFY(Find<QCheckBox>("Check1")->isVisible());
        QVERIFY(ReadBytes(sample).size() > 1000);  // the data file untouched
    }

    void screenshotWithoutConverterKeepsTheBitmapAndTheData() {
        // Image folder = the data's folder: the data file must survive.
        ImportSample();
        const QByteArray data = ReadBytes(sample);
        window->SetConverterProgram(dir->filePath("no-such-converter"));
        window->Command1_Click();
        QCOMPARE(messages.shown, QStringList{"Error: nconvert.exe not found"});
        const QString bitmap = dir->filePath("2020-11-29_kelvanor.bmp");
        QVERIFY(QFile::exists(bitmap));
        QCOMPARE(Find<QLineEdit>("Text4")->text(), bitmap + " saved");
        QCOMPARE(ReadBytes(sample), data);
    }

    void screenshotNeverReplacesTheOperatorsFiles() {
        const QString converter = QDir(QCoreApplication::applicationDirPath()).filePath("nconvert");
        if (!QFileInfo(converter).isExecutable()) QSKIP("nconvert not built");
        // A copy of the recording opened from another folder; the image
        // folder holds the real one.
        QDir(dir->path()).mkdir("copy");
        QVERIFY(QFile::copy(sample, dir->filePath("copy/2020-11-29_kelvanor.kss")));
        const QByteArray recording = ReadBytes(sample);
        chooser.next = {dir->filePath("copy/2020-11-29_kelvanor.kss")};
        window->MnuOpenKISSFile_Click();
        window->SetConverterProgram(converter);
        for (const QString name : {"2020-11-29_kelvanor", "2020-11-29_kelvanor-2"}) {
            window->Command1_Click();
            const QString png = dir->filePath(name + ".png");
            QCOMPARE(Find<QLineEdit>("Text4")->text(), png + " converted and saved");
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(png) && !QFile::exists(dir->filePath(name + ".bmp")), 10000);
        }
        QCOMPARE(ReadBytes(sample), recording);
        QVERIFY(messages.shown.isEmpty());
    }

    void categoryLabelsOnEveryKthRecordClearOfTheStyleBox() {
        ChartView* chart = window->chart();
        auto* box = Find<QCheckBox>("Check1");
        const QRectF boxInChart(
            box->geometry().translated(-chart->pos()));  // both in the chart frame
        for (auto [beacons, labels] :
             {std::pair{101, 51}, std::pair{300, 50}, std::pair{1000, 50}}) {
            WriteBytes(sample, samples::SimulatedRecording(beacons));
            ImportSample();
            chart->grab();
            QCOMPARE(chart->LabelRects().size(), labels);
            for (const QRectF& r : chart->LabelRects()) QVERIFY(!r.intersects(boxInChart));
            for (int i = 1; i < labels; ++i)
                QVERIFY(!chart->LabelRects()[i].intersects(chart->LabelRects()[i - 1]));
        }
    }

    // Every text of the sample pass fits its box whole, in the program's
    // font and in one twice as large.
    void valueBoxesShowTheirWholeText() {
        const QFont before = QApplication::font();
        for (double scale : {1.0, 2.0}) {
            QFont font = before;
            font.setPointSizeF(7.5 * scale);
            QApplication::setFont(font);
            Start("");
            ImportSample();
            for (int record = 1; record <= session->RecordCount(); ++record) {
                Find<QScrollBar>("HScroll1")->setValue(record);
                for (int c = 0; c < kChannelCount; ++c) {
                    auto* box = window->pages()->valueBox(c);
                    const double room = box->width() - 2 - 4;  // inside the border and the margins
                    QVERIFY2(
                        QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= room,
                        qPrintable(QString("%1 at %2: %3").arg(c).arg(scale).arg(box->text())));
                    QVERIFY2(box->font().pointSizeF() >= 4,
                             qPrintable(QString("%1: %2 in %3 pt")
                                            .arg(c)
                                            .arg(box->text())
                                            .arg(box->font().pointSizeF())));
                }
            }
        }
        QApplication::setFont(before);
    }

    void fileDialogsStartInTheFolderUsedLast() {
        QDir(dir->path()).mkdir("first");
        const QString first = dir->filePath("first/a.kss");
        WriteBytes(first, "x");
        DialogFileChooser files(nullptr);
        QString startedIn;
        auto answer = [&](const QString& choose) {
            QTimer::singleShot(0, [&startedIn, choose] {
                QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) !=
                            nullptr);
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                startedIn = dialog->directory().absolutePath();
                dialog->selectFile(choose);
                static_cast<QDialog*>(dialog)->accept();
            });
        };
        QStringList chosen;
        answer(first);
        QVERIFY(files.Choose("All Files (*)", chosen));
        QCOMPARE(chosen, QStringList{first});
        answer("b.csv");
        QString saved;
        QVERIFY(files.ChooseSaveFile("All Files (*)", saved));
        QCOMPARE(startedIn, dir->filePath("first"));
        QCOMPARE(saved, dir->filePath("first/b.csv"));
    }

private:
    // Connects the TCP client to an in-test server on 127.0.0.1 and returns
    // the server side of the connection.
    QTcpSocket* ConnectLive(QTcpServer& server, const QByteArray& moreConf = {}) {
        if (!server.listen(QHostAddress::LocalHost, 0)) return nullptr;
        Start(QString("TCP_SERVER=127.0.0.1\r\nTCP_PORT=%1\r\n").arg(server.serverPort()).toUtf8() +
              moreConf);
        window->SetClock(&clock);
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        if (!server.waitForNewConnection(5000)) return nullptr;
        QTcpSocket* peer = server.nextPendingConnection();
        if (!QTest::qWaitFor([this] { return window->Winsock_State() == "Connected"; }, 5000)) {
            return nullptr;
        }
        return peer;
    }

    // The bytes of the day's recording that came from the server: every
    // chunk after its timestamp record.
    qsizetype RecordedBytes() {
        qsizetype n = 0;
        for (const std::string& c : testing::RecordedChunks(ReadBytes(dir->filePath("2021-02-04_kelvanor.kss")).toStdString())) {
            n += static_cast<qsizetype>(c.size());
        }
        return n;
    }

    // Every chunk of the recording is the next stretch of what was sent;
    // with `oneArrivalGaps`, at most one arrival (under 10 bytes) is missing
    // between two of them, else any number of such arrivals may be.
    void ExpectRecordedInOrder(const QByteArray& sent, bool oneArrivalGaps = true) {
        std::size_t rest = 0;
        const std::vector<std::string> chunks = testing::RecordedChunks(
            ReadBytes(dir->filePath("2021-02-04_kelvanor.kss")).toStdString(), &rest);
        QCOMPARE(rest, std::size_t{0});
        qsizetype offset = 0;
        for (const std::string& c : chunks) {
            const QByteArray chunk = QByteArray::fromStdString(c);
            const qsizetype at = sent.indexOf(chunk, offset);
            QVERIFY(at >= offset);
            if (oneArrivalGaps) QVERIFY(at - offset < 10);
            offset = at + chunk.size();
        }
        if (oneArrivalGaps) QVERIFY(sent.size() - offset < 10);
    }

    FixedClock clock;

private slots:
    void liveArrivalIsDecodedRecordedAndShown() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        const std::string chunk = KissFrame(Beacon(77));
        peer->write(chunk.data(), static_cast<qint64>(chunk.size()));
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), 1, 5000);
        QCOMPARE(Value(0), QString("77"));
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#1 / 1"));
        const QString recording = dir->filePath("2021-02-04_kelvanor.kss");
        QCOMPARE(Find<QLineEdit>("Text4")->text(),
                 QString("%1 bytes has been added to %2").arg(chunk.size()).arg(recording));
        const QByteArray bytes = ReadBytes(recording);
        QCOMPARE(bytes.mid(0, 2), QByteArray("\xC0\x09"));
        QCOMPARE(bytes.mid(2, 27), QByteArray("2021-02-04 12:00:00.000 UTC"));
        QCOMPARE(bytes.mid(30), QByteArray(chunk.data(), static_cast<qsizetype>(chunk.size())));
        QCOMPARE(session->chart.Points(), 1);

        // Clearing the box shows "Closed" at once.
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QCOMPARE(Find<QLabel>("Label2")->text(), QString("Closed"));
        QVERIFY(Find<QFrame>("Shape10")->styleSheet().contains("192, 192, 192"));
    }

    void liveFollowNewestShowsEachArrival() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server, "FOLLOW_NEWEST=yes\r\n");
        QVERIFY(peer != nullptr);
        for (int n = 1; n <= 3; ++n) {
            const std::string chunk = KissFrame(Beacon(70 + n));
            peer->write(chunk.data(), static_cast<qint64>(chunk.size()));
            peer->flush();
            QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), n, 5000);
            QCOMPARE(Value(0), QString::number(70 + n));
            QCOMPARE(Find<QScrollBar>("HScroll1")->value(), n);
            QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#%1 / %1").arg(n));
        }
    }

    void liveShortArrivalsRefreshButAreNotRecorded() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        Find<QLineEdit>("Text1_0")->setText("before");
        session->display.value[0] = "before";
        peer->write("\xC0\x00short\xC0");
        QTRY_COMPARE_WITH_TIMEOUT(Find<QLineEdit>("Text2")->text(), QString("#1 / 0"), 5000);
        QCOMPARE(Value(0), QString("before"));  // record 0: nothing to show
        QVERIFY(!QFile::exists(dir->filePath("2021-02-04_kelvanor.kss")));
    }

    void peerClosingAndRefusedAndUnconfigured() {
        {
            QTcpServer server;
            QTcpSocket* peer = ConnectLive(server);
            QVERIFY(peer != nullptr);
            peer->disconnectFromHost();
            QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Peer is closing the connection"),
                                      5000);
        }
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();  // nothing listens there now
        Start(QString("TCP_SERVER=127.0.0.1\r\nTCP_PORT=%1\r\n").arg(port).toUtf8());
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Error"), 5000);
        QVERIFY(Find<QFrame>("Shape10")->styleSheet().contains("255, 0, 0"));

        Start("SCREENSHOT=YES\r\n");
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QCOMPARE(window->Winsock_State(), QString("Error"));
        QVERIFY(Find<QLineEdit>("Text4")->text().contains("TCP_SERVER"));
    }

    void liveUnwritableRecordingStillDecodes() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        window->SetRecordingDir(dir->filePath("gone/").toStdString());
        for (int i = 0; i < 2; ++i) {
            const std::string chunk = KissFrame(Beacon(i));
            peer->write(chunk.data(), static_cast<qint64>(chunk.size()));
            peer->flush();
            QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), i + 1, 5000);
        }
        QCOMPARE(messages.shown.first(), QString("KELVANOR: File Not Found"));
    }

    void installedProgramUsesTheUserFolders() {
        // Not yet existing user folders; the shipped conf.ini is read.
        const std::string data = dir->filePath("home/.local/share/kelvanor/").toStdString();
        const std::string shipped = dir->filePath("conf.ini").toStdString();
        ProgramPaths paths;
        paths.userFolders = true;
        paths.confIni = shipped;
        paths.userConfIni = dir->filePath("home/.config/kelvanor/conf.ini").toStdString();
        paths.dataDir = data;
        window.reset();
        session = std::make_unique<Session>();
        window = std::make_unique<MainWindow>(*session, chooser, messages, keys, paths);
        window->Form_Load();
        window->show();
        QCOMPARE(Find<QLabel>("Label2")->text(), QString("[LOCALHOST:8001]"));
        QCOMPARE(Find<QLineEdit>("Text4")->text(),
                 QString::fromStdString("conf.ini: " + shipped + "; files: " + data));
        QVERIFY(Find<QLineEdit>("Text4")->toolTip().contains(QString::fromStdString(paths.userConfIni)));
        QVERIFY(QFileInfo(QString::fromStdString(data)).isDir());
        QCOMPARE(window->configuration().imagePath, data);

        // Exports without a data file land in the data folder.
        window->WriteCSVFile_Click();
        QVERIFY(QFileInfo::exists(QString::fromStdString(data + "kelvanor.csv")));
        QCOMPARE(Find<QLineEdit>("Text4")->text(), QString::fromStdString(data + "kelvanor.csv has been written"));

        // A data folder that cannot be made is named, and the program still starts.
        WriteBytes(dir->filePath("file"), "x");
        paths.dataDir = dir->filePath("file/kelvanor/").toStdString();
        window.reset();
        session = std::make_unique<Session>();
        window = std::make_unique<MainWindow>(*session, chooser, messages, keys, paths);
        window->Form_Load();
        QVERIFY(Find<QLineEdit>("Text4")->text().startsWith("cannot create "));
    }

    void hostileConfIniStartsAndEndsInError_data() {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing") << QByteArray() << false << "TCP_SERVER";
        QTest::newRow("empty") << QByteArray("") << true << "TCP_SERVER";
        QTest::newRow("binary") << QByteArray("\x00\xff\xc0\x01=\x02\r\n\x7f\x00", 10) << true << "TCP_SERVER";
        QTest::newRow("no =") << QByteArray("TCP_SERVER 127.0.0.1\r\nTCP_PORT 8001\r\n") << true << "TCP_SERVER";
        for (const char* port : {"abc", "-1", "0", "99999"}) {
            QTest::newRow(port) << QByteArray("TCP_SERVER=127.0.0.1\r\nTCP_PORT=") + port + "\r\n" << true
                                << "TCP_PORT";
        }
        QTest::newRow("host that does not resolve")
            << QByteArray("TCP_SERVER=no-such-station.invalid\r\nTCP_PORT=8001\r\n") << true << "";
    }

    void hostileConfIniStartsAndEndsInError() {
        QFETCH(QByteArray, conf);
        QFETCH(bool, written);
        QFETCH(QString, status);
        Start(conf, written);
        QVERIFY(window->isVisible());
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Error"), 15000);
        QVERIFY(!Find<QLineEdit>("Text4")->text().isEmpty());
        QVERIFY(Find<QLineEdit>("Text4")->text().contains(status));
        ImportSample();  // and the program goes on
        QCOMPARE(session->RecordCount(), samples::kSampleBeacons);
    }

    void liveRandomBytesAndA10MegabyteArrivalAreRecordedInOrder_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("writes");
        QByteArray random(200000, '\0');
        quint32 x = 2463534242u;
        for (char& c : random) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            c = static_cast<char>(x);
        }
        QTest::newRow("random bytes in 50 writes") << random << 50;
        QTest::newRow("10 MB in one write") << QByteArray(10 << 20, '\x5A') << 1;
    }

    void liveRandomBytesAndA10MegabyteArrivalAreRecordedInOrder() {
        QFETCH(QByteArray, sent);
        QFETCH(int, writes);
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        const qsizetype step = sent.size() / writes;
        for (qsizetype at = 0; at < sent.size(); at += step) peer->write(sent.mid(at, step));
        peer->flush();
        QTRY_VERIFY_WITH_TIMEOUT(sent.size() - RecordedBytes() < 10, 20000);
        ExpectRecordedInOrder(sent);
        QCOMPARE(window->Winsock_State(), QString("Connected"));
    }

    void liveOneBytePerWriteAndAPeerClosingMidFrame() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        const std::string beacon = KissFrame(Beacon(5));
        for (char c : beacon) {
            peer->write(&c, 1);
            peer->flush();
            QTest::qWait(1);
        }
        const std::string half = KissFrame(Beacon(6)).substr(0, 100);
        peer->write(half.data(), static_cast<qint64>(half.size()));
        peer->flush();
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(window->Winsock_State(), QString("Peer is closing the connection"), 5000);
        QCOMPARE(session->RecordCount(), 0);  // a beacon in pieces is no beacon
        ExpectRecordedInOrder(QByteArray::fromStdString(beacon + half), false);
        QVERIFY(ReadBytes(dir->filePath("2021-02-04_kelvanor.kss")).endsWith(QByteArray::fromStdString(half)));
    }

    void liveSilentServerStaysConnected() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        QTest::qWait(1500);  // a timer tick or more
        QCOMPARE(window->Winsock_State(), QString("Connected"));
        QCOMPARE(session->RecordCount(), 0);
        QVERIFY(!QFile::exists(dir->filePath("2021-02-04_kelvanor.kss")));
    }

    // A link at the day file's name (here to /dev/full) is neither followed
    // nor deleted: no message box, and the status line says what failed.
    void liveRecordingRefusesALinkAndSaysSo() {
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        const QString day = dir->filePath("2021-02-04_kelvanor.kss");
        QVERIFY(QFile::link("/dev/full", day));
        auto send = [&](int packet) {
            const std::string chunk = KissFrame(Beacon(packet));
            peer->write(chunk.data(), static_cast<qint64>(chunk.size()));
            peer->flush();
            return QByteArray::fromStdString(chunk);
        };
        send(1);
        QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), 1, 5000);
        QCOMPARE(session->records.Record(1).Values[0], 1.0);  // decoded all the same
        QCOMPARE(Find<QLineEdit>("Text4")->text(), "not recorded: " + day + ": not a regular file");
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(QFileInfo(day).isSymLink());

        QVERIFY(QFile::remove(day));
        const QByteArray second = send(2);
        QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), 2, 5000);
        const QByteArray recorded = ReadBytes(day);
        QCOMPARE(recorded.size(), 30 + second.size());
        QVERIFY(recorded.endsWith(second));
    }

    void liveRecordingFolderTurningReadOnlyAndBack() {
        testing::SmallDisk disk(dir->filePath("disk").toStdString(), "size=64k");
        if (!disk.Mounted()) QSKIP(disk.Why().c_str());
        QTcpServer server;
        QTcpSocket* peer = ConnectLive(server);
        QVERIFY(peer != nullptr);
        window->SetRecordingDir(disk.Folder() + "/");
        const QString day = QString::fromStdString(disk.Folder() + "/2021-02-04_kelvanor.kss");
        auto send = [&](int packet) {
            const std::string chunk = KissFrame(Beacon(packet));
            peer->write(chunk.data(), static_cast<qint64>(chunk.size()));
            peer->flush();
            QTRY_COMPARE_WITH_TIMEOUT(session->RecordCount(), packet, 5000);
        };
        const int entry = 30 + static_cast<int>(KissFrame(Beacon(1)).size());
        send(1);
        QVERIFY(disk.ReadOnly(true));
        send(2);
        send(3);
        QCOMPARE(messages.shown, QStringList({"KELVANOR: Disk Not Ready", "KELVANOR: Disk Not Ready"}));
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#1 / 3"));  // shown all the same
        QCOMPARE(ReadBytes(day).size(), entry);
        QVERIFY(disk.ReadOnly(false));
        send(4);
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(ReadBytes(day).size(), 2 * entry);
    }

    void exportsIntoAMissingFolderSayWhyAndGoOn() {
        Start("IMAGE_PATH=/dev/null/shots/\r\nSCREENSHOT=YES\r\n");
        QDir(dir->path()).mkdir("pass");
        const QString data = dir->filePath("pass/2020-11-29_kelvanor.kss");
        QVERIFY(QFile::copy(sample, data));
        chooser.next = {data};
        window->MnuOpenKISSFile_Click();
        QCOMPARE(session->RecordCount(), samples::kSampleBeacons);
        QVERIFY(QDir(dir->filePath("pass")).removeRecursively());

        window->WriteCSVFile_Click();
        window->WriteTLMFile_Click();
        window->Command1_Click();
        QCOMPARE(messages.shown.size(), 3);
        QVERIFY(messages.shown[0].startsWith("Error: Cannot write " + dir->filePath("pass/2020-11-29_kelvanor.csv")));
        QVERIFY(messages.shown[1].startsWith("Error: Cannot write " + dir->filePath("pass/2020-11-29_kelvanor.tlm")));
        QVERIFY(messages.shown[2].startsWith("Error: Cannot save /dev/null/shots/"));
        // Still browsing, and the next export works once the folder is back.
        Find<QScrollBar>("HScroll1")->setValue(7);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#7 / %1").arg(samples::kSampleBeacons));
        QVERIFY(QDir(dir->path()).mkdir("pass"));
        window->WriteCSVFile_Click();
        QCOMPARE(messages.shown.size(), 3);
        QVERIFY(QFile::exists(dir->filePath("pass/2020-11-29_kelvanor.csv")));
    }

    void infoWindowIsModelessAndSingle() {
        window->MnuInfo_Click();
        InfoWindow* info = window->info();
        QVERIFY(info != nullptr);
        QVERIFY(info->isVisible());
        QCOMPARE(info->windowTitle(), QString("Info"));
        QCOMPARE(info->findChild<QLabel*>("Label2")->text(),
                 QString("Version 0.3    (04 Feb 2021)"));
        const QString disclaimer = info->findChild<QLabel*>("Label11")->text();
        QVERIFY(disclaimer.startsWith("THE SOFTWARE IS PROVIDED "));
        QVERIFY(disclaimer.endsWith("USE OR PERFORMANCE OF THIS SOFTWARE."));
        window->MnuInfo_Click();
        QCOMPARE(window->info(), info);
        QTest::keyClick(info, Qt::Key_Escape);
        QTRY_VERIFY(window->info() == nullptr);
        // The whole disclaimer shows on every opening, in the program's font
        // and in one twice as large.
        const QFont before = QApplication::font();
        for (double scale : {1.0, 2.0}) {
            QFont font = before;
            font.setPointSizeF(7.5 * scale);
            QApplication::setFont(font);
            window->MnuInfo_Click();
            QLabel* text = window->info()->findChild<QLabel*>("Label11");
            QTRY_VERIFY(text->isVisible());
            QVERIFY2(text->height() >= text->heightForWidth(text->width()),
                     qPrintable(QString::number(scale)));
            QVERIFY(window->info()->rect().contains(
                QRect(text->mapTo(window->info(), QPoint(0, 0)), text->size())));
            window->info()->close();
            QTRY_VERIFY(window->info() == nullptr);
        }
        QApplication::setFont(before);
    }

    // --- exploring the chart ---

    void chartClickBrowsesButADragDoesNot() {
        ImportSample();
        ChartView* chart = window->chart();
        Click(chart, chart->PointOf(40));
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#40 / 300"));
        QCOMPARE(Value(0), QString("48252"));
        QCOMPARE(Find<QScrollBar>("HScroll1")->value(), 40);
        // Zoomed in, a drag pans the chart and leaves the browser.
        Wheel(chart, chart->PointOf(100), 6);
        QVERIFY(chart->Viewport().Zoomed());
        const double x0 = chart->Viewport().X0();
        const QPointF from = chart->PointOf(100);
        Mouse(chart, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(chart, QEvent::MouseMove, from - QPointF(80, 0), Qt::NoButton, Qt::LeftButton);
        Mouse(chart, QEvent::MouseButtonRelease, from - QPointF(80, 0), Qt::LeftButton, Qt::NoButton);
        QVERIFY(chart->Viewport().X0() > x0);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#40 / 300"));
        // The right button is no click on the chart.
        Click(chart, chart->PointOf(120), Qt::RightButton);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#40 / 300"));
        Click(chart, chart->PointOf(120));
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#120 / 300"));
        // A double click shows the whole chart again and leaves the record
        // shown before it, though its first half was a click elsewhere.
        const QPointF at = chart->PointOf(150);
        Click(chart, at);
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#150 / 300"));
        Mouse(chart, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(chart, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(chart, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!chart->Viewport().Zoomed());
        QCOMPARE(Find<QLineEdit>("Text2")->text(), QString("#120 / 300"));
        QCOMPARE(Value(0), QString("48332"));
        // So does an import, even of as many records on the same channel.
        Wheel(chart, chart->PointOf(100), 6);
        QVERIFY(chart->Viewport().Zoomed());
        ImportSample();
        QVERIFY(!chart->Viewport().Zoomed());
    }

    void hoverReadoutAndStatistics() {
        ImportSample();
        window->Option1_Click(3);
        ChartView* chart = window->chart();
        Mouse(chart, QEvent::MouseMove, chart->PointOf(10), Qt::NoButton, Qt::NoButton);
        QCOMPARE(chart->HoverRecord(), 10);
        const BeaconRecord& r = session->records.Record(10);
        QCOMPARE(chart->Readout(), QString("#10   %1   %2 V").arg(QString::fromStdString(r.RxTime))
                                       .arg(QString::fromStdString(kelvanor::NumberText(r.Values[3]))));
        const QString stats = Find<QLabel>("ChartStats")->text();
        QCOMPARE(stats, QString::fromStdString(StatsText(session->chart.stats, "V", '.')));
        QVERIFY(stats.startsWith("min "));
        QCOMPARE(session->chart.stats.count, 300);
        // Every redraw brings its own statistics; the redraw still ends on record 1.
        window->Option1_Click(0);
        QCOMPARE(Find<QLabel>("ChartStats")->text(), QString("min 48213   max 48512   mean 48362.5"));
        QCOMPARE(Value(0), QString("48213"));
        QCOMPARE(chart->Readout(), QString("#10   %1   48222").arg(QString::fromStdString(r.RxTime)));
    }

    void valueBoxTellsWhatItsValueIsMadeOf() {
        QCOMPARE(window->ValueBoxToolTip(19), QString());  // nothing shown yet
        ImportSample();
        Find<QScrollBar>("HScroll1")->setValue(7);
        const QString tip = window->ValueBoxToolTip(3);
        QVERIFY2(tip.startsWith("Record #7\nChannel 3: EPS Battery VOC (V)\n"
                                "Frame offset 29, 2 bytes, little-endian unsigned\nRaw field: "),
                 qPrintable(tip));
        QVERIFY(tip.contains("Conversion: raw / 1000"));
        QVERIFY(tip.endsWith("Value: " + Value(3) + " V"));
        // Shown as the box's tooltip.
        auto* box = Find<QLineEdit>("Text1_3");
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(box, &help);
        QTRY_COMPARE(QToolTip::text(), tip);
        QToolTip::hideText();
    }

    void changeMarksFollowTheRecordsShown() {
        ImportSample();
        auto mark = [this](int c) { return window->pages()->changeMark(c)->isVisibleTo(Find<QLineEdit>(QString("Text1_%1").arg(c))); };
        QVERIFY(!mark(0));  // the first record after an import
        Find<QScrollBar>("HScroll1")->setValue(2);
        QVERIFY(mark(0));   // the packet counter moves on
        QVERIFY(!mark(2));  // the mode stays
        // The mark is no highlight: the selected box keeps its colour, others stay white.
        QVERIFY(Find<QLineEdit>("Text1_0")->styleSheet().contains("255, 255, 192"));
        QVERIFY(!Find<QLineEdit>("Text1_1")->styleSheet().contains("255, 255, 192"));
        // A status refresh shows no new record and keeps the marks.
        window->WriteCSVFile_Click();
        QVERIFY(mark(0));
        // An import empties the boxes and starts afresh.
        ImportSample();
        QVERIFY(!mark(0));
        QCOMPARE(session->changeMarks.Count(), 0);
    }

    void exportVisibleRangeWritesTheRecordsInView() {
        ImportSample();
        ChartView* chart = window->chart();
        Wheel(chart, chart->PointOf(150), 5);
        const RecordSpan seen = VisibleRecords(chart->Viewport());
        QVERIFY(seen.first > 1 && seen.last < 300);
        const QString out = dir->filePath("visible.csv");
        chooser.next = {out};
        window->ExportVisibleRange_Click();
        const QByteArray bytes = ReadBytes(out);
        QCOMPARE(bytes, QByteArray::fromStdString(CsvText(session->records, session->regional.decimalSeparator, seen.first, seen.last)));
        QCOMPARE(bytes.count("\r\n"), seen.Count() + 1);
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QVERIFY(bytes.split('\n').at(1).startsWith(QByteArray::fromStdString(session->records.Record(seen.first).RxTime)));
        QCOMPARE(Find<QLineEdit>("Text4")->text(), out + " has been written");
        QCOMPARE(QString::fromStdString(session->currentFileName), sample);  // exports' name rule untouched

        // A name typed without an extension gets ".csv".
        chooser.next = {dir->filePath("typed")};
        window->ExportVisibleRange_Click();
        QCOMPARE(ReadBytes(dir->filePath("typed.csv")), bytes);
        QVERIFY(!QFile::exists(dir->filePath("typed")));
        // Cancelled: nothing written.
        chooser.cancel = true;
        QFile::remove(out);
        window->ExportVisibleRange_Click();
        QVERIFY(!QFile::exists(out));
        // Unwritable: a message.
        chooser.cancel = false;
        chooser.next = {dir->filePath("no/such/folder.csv")};
        window->ExportVisibleRange_Click();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown.front().startsWith("Error: Cannot write "));
    }

    // Pictures of the exploring features for the documentation, made only
    // when KELVANOR_DOC_SHOTS names a folder.
    void documentationPictures() {
        const QString out = qEnvironmentVariable("KELVANOR_DOC_SHOTS");
        if (out.isEmpty()) QSKIP("KELVANOR_DOC_SHOTS not set");
        // The program's own font size, as in its --grab pictures.
        const QFont before = QApplication::font();
        QFont small = before;
        small.setPointSizeF(7.5);
        QApplication::setFont(small);
        Start("TCP_SERVER = localhost\r\nTCP_PORT=8001\r\n");
        window->ShowWhole();
        ImportSample();
        // Both channel pages on a record of the sample, at the scale the
        // run was started with (QT_SCALE_FACTOR=2 for 200%).
        const QString scale = QString::number(qRound(window->devicePixelRatio() * 100));
        Find<QScrollBar>("HScroll1")->setValue(120);
        for (int page : {0, 1}) {
            Find<QTabWidget>("SSTab1")->setCurrentIndex(page);
            QCoreApplication::processEvents();
            QVERIFY(window->grab().save(
                QDir(out).filePath(QString("values-page%1-%2.png").arg(page + 1).arg(scale))));
        }
        Find<QTabWidget>("SSTab1")->setCurrentIndex(0);
        window->Option1_Click(3);
        Find<QScrollBar>("HScroll1")->setValue(141);
        Find<QScrollBar>("HScroll1")->setValue(142);
        ChartView* chart = window->chart();
        Wheel(chart, chart->PointOf(150), 6);
        Mouse(chart, QEvent::MouseMove, chart->PointOf(142), Qt::NoButton, Qt::NoButton);
        QCoreApplication::processEvents();
        QImage picture = window->grab().toImage();
        QVERIFY(picture.save(QDir(out).filePath("chart-explore.png")));

        // The value box's tooltip, drawn into the picture where it would appear.
        auto* box = Find<QLineEdit>("Text1_3");
        const QPoint at(box->width() / 2, box->height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &help);
        QWidget* tip = nullptr;
        QTRY_VERIFY((tip = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible()) return w;
            return static_cast<QWidget*>(nullptr);
        }()) != nullptr);
        const QImage tipImage = tip->grab().toImage();
        QPainter painter(&picture);
        const QPoint where = box->mapTo(window.get(), at + QPoint(12, 16));
        painter.drawImage(where, tipImage);
        painter.end();
        QVERIFY(picture.save(QDir(out).filePath("value-provenance.png")));
        QToolTip::hideText();
        QApplication::setFont(before);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"

// The window's station link: a serial TNC on a socat pseudo-terminal pair,
// and the TCP client in stream mode coming back after the server dropped it.
#include <fcntl.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "acquire/kiss_framing.h"
#include "acquire/utc_clock.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "window/main_window.h"

using namespace kelvanor;

namespace {

struct NoChooser : FileChooser {
    bool Choose(const QString&, QStringList&) override { return false; }
};
struct Messages : MessageSink {
    void Information(const QString&, const QString& text) override { shown << text; }
    QStringList shown;
};
struct NoKeys : KeyStateSource {
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }
};

// Packet counter 0x00DBC0C0 puts FEND and FESC into the frame.
const std::string kWire = KissFrame(testing::PlausibleBeacon(0x00DBC0C0).Frame());
const QByteArray kStamp =
    QByteArray::fromStdString(KissFrame(std::string("\x09\x00\x00\x01\x76\x15\xE0\x79\x0B", 9)));
constexpr const char* kStampText =
    "2020-11-29 21:20:01.291 UTC";  // what kStamp holds, in the C form

}  // namespace

class StationWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;
    NoChooser chooser;
    Messages messages;
    NoKeys keys;

    void Start(const QByteArray& conf) {
        window.reset();
        session = std::make_unique<Session>();
        QFile f(dir->filePath("conf.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(conf);
        f.close();
        window = std::make_unique<MainWindow>(*session, chooser, messages, keys,
                                              dir->path().toStdString() + "/");
        window->Form_Load();
        session->regional = RegionalSettings::C();
        window->show();
    }
    template <typename T>
    T* Find(const char* name) {
        return window->findChild<T*>(name);
    }

private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { window.reset(); }

    void serialTncOnSocatJoinsSplitFramesAndReportsTheLostDevice() {
        if (QStandardPaths::findExecutable("socat").isEmpty()) QSKIP("socat is not installed");
        const QString a = dir->filePath("a"), b = dir->filePath("b");
        QProcess socat;
        socat.start("socat", {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(a) && QFile::exists(b); }, 5000));
        Start(
            ("SERIAL_PORT=" + b + "\r\nSERIAL_BAUD=115200\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n")
                .toUtf8());
        QCOMPARE(Find<QLabel>("LabelSerial")->text(), "[" + b + ":115200]");
        QTest::mouseClick(Find<QCheckBox>("CheckSerial"), Qt::LeftButton);
        QTRY_COMPARE(Find<QLabel>("LabelSerial")->text(), QString("Open"));

        const int tnc = ::open(a.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
        QVERIFY(tnc >= 0);
        const QByteArray first = kStamp + QByteArray::fromStdString(kWire.substr(0, 60));
        QCOMPARE(::write(tnc, first.constData(), first.size()), first.size());
        QTest::qWait(200);
        QCOMPARE(::write(tnc, kWire.data() + 60, kWire.size() - 60), qsizetype(kWire.size() - 60));
        QTRY_COMPARE(session->RecordCount(), 1);
        QCOMPARE(QString::fromStdString(session->records.Record(1).RxTime), QString(kStampText));
        ::close(tnc);

        socat.terminate();
        socat.waitForFinished(5000);
        QTRY_COMPARE(Find<QLabel>("LabelSerial")->text().left(6), QString("Error:"));
        QVERIFY(Find<QLabel>("LabelSerial")->text().endsWith("next try in 1 s"));
    }

    void tcpStreamComesBackAfterTheServerDroppedIt() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Start(QString("TCP_SERVER=127.0.0.1\r\nTCP_PORT=%1\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n")
                  .arg(server.serverPort())
                  .toUtf8());
        QVERIFY(!Find<QCheckBox>("CheckSerial")->isVisible());  // no SERIAL_PORT: no box
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket* peer = server.nextPendingConnection();
        // Two frames in one write, the first cut off by the server's end.
        peer->write(kStamp + QByteArray::fromStdString(kWire + kWire.substr(0, 100)));
        QVERIFY(peer->waitForBytesWritten(2000));
        QTRY_COMPARE(session->RecordCount(), 1);
        peer->close();
        QTRY_COMPARE(Find<QLabel>("Label2")->text(), QString("Peer is closing the connection"));
        QVERIFY(session->statusText.find("next try in 1 s") != std::string::npos);

        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections() || server.waitForNewConnection(100),
                                 5000);
        QTRY_COMPARE(Find<QLabel>("Label2")->text(), QString("Connected"));
        peer = server.nextPendingConnection();
        peer->write(QByteArray::fromStdString(kWire));  // the cut frame is gone; this one counts
        QVERIFY(peer->waitForBytesWritten(2000));
        QTRY_COMPARE(session->RecordCount(), 2);
    }
};

QTEST_MAIN(StationWindowTest)
#include "station_window_test.moc"

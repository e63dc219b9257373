// The window's station link: a serial TNC on a socat pseudo-terminal pair,
// and the TCP client in stream mode coming back after the server dropped it.
// Escapes, split frames and time stamps are pinned by station_link_test.
#include <fcntl.h>
#include <unistd.h>

#include <QtNetwork>

#include "support/window_fixture.h"

using namespace kelvanor;

const QByteArray kWire = testing::Wire(1);

class StationTest : public QObject, public testing::WindowFixture {
    Q_OBJECT

    // Starts the window on a link in stream mode that reconnects.
    void Start(const QString& link) {
        WindowFixture::Start((link + "\r\nKISS_STREAM=YES\r\nRECONNECT=YES\r\n").toUtf8());
    }
    QString Label(const char* name) { return Find<QLabel>(name)->text(); }

private slots:
    void cleanup() { window.reset(); }

    void serialTncOnSocatAndTheLostDevice() {
        if (QStandardPaths::findExecutable("socat").isEmpty()) QSKIP("socat is not installed");
        const QString a = dir->filePath("a"), b = dir->filePath("b");
        QProcess socat;
        socat.start("socat", {"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(a) && QFile::exists(b); }, 5000));
        Start("SERIAL_PORT=" + b + "\r\nSERIAL_BAUD=115200");
        QCOMPARE(Label("LabelSerial"), "[" + b + ":115200]");
        QTest::mouseClick(Find<QCheckBox>("CheckSerial"), Qt::LeftButton);
        QTRY_COMPARE(Label("LabelSerial"), QString("Open"));
        const int tnc = ::open(a.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
        QCOMPARE(::write(tnc, kWire.constData(), kWire.size()), kWire.size());
        QTRY_COMPARE(session->RecordCount(), 1);
        ::close(tnc);
        socat.terminate();
        QTRY_VERIFY(Label("LabelSerial").startsWith("Error:"));
        QVERIFY(Label("LabelSerial").endsWith("next try in 1 s"));
    }

    void tcpStreamComesBackAfterTheServerDroppedIt() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Start(QString("TCP_SERVER=127.0.0.1\r\nTCP_PORT=%1").arg(server.serverPort()));
        QTest::mouseClick(Find<QCheckBox>("Check5"), Qt::LeftButton);
        for (int records : {1, 2}) {
            QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
            QTRY_COMPARE(Label("Label2"), QString("Connected"));
            QTcpSocket* peer = server.nextPendingConnection();
            peer->write(kWire + kWire.left(100));  // the cut frame is dropped with the link
            QTRY_COMPARE(session->RecordCount(), records);
            peer->close();
            QTRY_COMPARE(Label("Label2"), QString("Peer is closing the connection"));
            QVERIFY(session->statusText.find("next try in 1 s") != std::string::npos);
        }
    }
};

QTEST_MAIN(StationTest)
#include "station_window_test.moc"

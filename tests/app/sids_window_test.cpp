// The window forwarding live beacons to a telemetry database on 127.0.0.1
// that first hangs (and to a second one that is down): imports are never
// forwarded, and the window goes on handling arrivals and events while a
// request waits for its time-out.
#include <QtTest>
#include <QtWidgets>

#include "acquire/kiss_framing.h"
#include "kelvanor_version.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"
#include "window/main_window.h"

using namespace kelvanor;

class SidsWindowTest : public QObject,
                       public FileChooser,
                       public MessageSink,
                       public KeyStateSource {
    Q_OBJECT

    bool Choose(const QString&, QStringList&) override { return false; }
    void Information(const QString&, const QString&) override {}
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }

private slots:
    void liveBeaconsGoOutImportsDoNotAndTheWindowKeepsUpWhileTheServerHangs() {
        testing::TempDir dir;
        QProcess database;
        database.start("python3", {SIDS_SERVER_PATH, "--log", dir.File("db.log").c_str(),
                                   "--answers", "hang"});
        QVERIFY(database.waitForReadyRead(5000));
        const std::string port = database.readLine().split(':').last().trimmed().toStdString();
        testing::WriteFile(dir.File("conf.ini"),
                           "SIDS_URL=http://127.0.0.1:1/\r\nSIDS_URL=http://127.0.0.1:" + port +
                               "/\r\nSIDS_NORAD_ID=99999\r\nSIDS_CALLSIGN=n0call"
                               "\r\nSIDS_LATITUDE=49.7\r\nSIDS_LONGITUDE=8.9\r\n");
        testing::WriteFile(dir.File("pass.kss"), samples::SimulatedRecording(5));
        Session session;
        MainWindow window(session, *this, *this, *this, dir.File(""));
        window.SetForwardTimeout(std::chrono::seconds(2));
        window.SetRecordingDir(dir.File(""));
        window.Form_Load();
        window.OpenFiles({QString::fromStdString(dir.File("pass.kss"))});

        // Two beacons while the server holds the first request (a stream's own
        // time stamps: the kelvanor-cli test).
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer handling;
        for (double packet : {1, 2}) {
            handling.start();
            window.HandleArrival(
                QByteArray::fromStdString(KissFrame(testing::PlausibleBeacon(packet).Frame())));
            QVERIFY(handling.elapsed() < 100);
            QTest::qWait(500);
        }
        QVERIFY(ticks >= 10);  // about 20 without load
        QTRY_COMPARE_WITH_TIMEOUT(
            window.findChild<QFrame*>("Shape10")->toolTip().section(';', 0, 0),
            QString("SiDS: 2 queued, 2 sent, 0 refused"), 10000);
        QVERIFY(window.findChild<QLabel*>("Label2")->toolTip().contains("; last error: "));

        // The first request timed out and went again; each with its beacon's
        // reception time; the import sent nothing.
        const QList<QByteArray> lines =
            QByteArray::fromStdString(testing::ReadFile(dir.File("db.log"))).split('\n');
        QCOMPARE(lines.size(), 4);  // and an empty rest
        QCOMPARE(lines[0].mid(5), lines[1].mid(4));
        for (int i : {1, 2}) {
            QString rx = QString::fromStdString(session.records.Record(5 + i).RxTime.substr(0, 23));
            QVERIFY(lines[i].startsWith(
                ("201 99999 N0CALL " + rx.replace(' ', 'T') + "Z ").toLatin1()));
        }
        QVERIFY(lines[1].endsWith(" longLat 8.9E 49.7N " KELVANOR_VERSION));
    }
};

QTEST_MAIN(SidsWindowTest)
#include "sids_window_test.moc"

// The window forwarding live beacons to a telemetry database on 127.0.0.1
// that first hangs (and to a second one that is down): imports are never
// forwarded, and the window goes on handling arrivals and events while a
// request waits for its time-out.
#include "kelvanor_version.h"
#include "sample_pass.h"
#include "support/window_fixture.h"

using namespace kelvanor;

class SidsWindowTest : public QObject, public testing::WindowFixture {
    Q_OBJECT

private slots:
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
            window->HandleArrival(testing::Wire(packet));
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
        const QList<QByteArray> lines =
            QByteArray::fromStdString(testing::ReadFile(log.toStdString())).split('\n');
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

QTEST_MAIN(SidsWindowTest)
#include "sids_window_test.moc"

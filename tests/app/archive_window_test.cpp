// The window's archive: imports and live arrivals go in, "Open Archive
// Range..." loads a range as an import loads a file, and an archive file the
// window must not use is told and left alone.
#include <QtTest>
#include <QtWidgets>

#include "acquire/kiss_framing.h"
#include "archive/archive_tap.h"
#include "sample_pass.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"
#include "window/archive_range_dialog.h"
#include "window/main_window.h"

using namespace kelvanor;

class ArchiveWindowTest : public QObject,
                          public FileChooser,
                          public MessageSink,
                          public KeyStateSource,
                          public RangeChooser {
    Q_OBJECT

    bool Choose(const QString&, QStringList&) override { return false; }
    void Information(const QString&, const QString& text) override { shown << text; }
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }
    bool ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass, qint64& from, qint64& to) override {
        offered = lastPass;
        from = lastPass->first + fromOffset;
        to = lastPass->second;
        return true;
    }

    QTemporaryDir dir;
    QStringList shown;
    std::optional<std::pair<qint64, qint64>> offered;
    qint64 fromOffset = 0;
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;

    void Start(const std::string& confIni) {
        window.reset();
        shown.clear();
        session = std::make_unique<Session>();
        testing::WriteFile(dir.filePath("conf.ini").toStdString(), confIni);
        window = std::make_unique<MainWindow>(*session, *this, *this, *this, dir.path().toStdString() + "/");
        window->SetRangeChooser(this);
        window->Form_Load();
    }
    ArchiveStats Stats() {
        ArchiveStats stats;
        std::string error;
        window->archive()->archive()->Stats(stats, error);
        return stats;
    }

private slots:
    void importsAndArrivalsGoInAndARangeLoadsAsAnImport() {
        const QString sample = dir.filePath("p.kss");
        testing::WriteFile(sample.toStdString(), samples::SimulatedRecording());
        Start("");  // the default archive, beside the program
        QVERIFY(QFile::exists(dir.filePath("kelvanor-archive.sqlite")));
        window->OpenFiles({sample});
        window->OpenFiles({sample});
        window->HandleArrival(QByteArray::fromStdString(KissFrame(testing::PlausibleBeacon(7).Frame())));
        QCOMPARE(Stats().beacons, 301);
        QCOMPARE(Stats().duplicates, 308);
        // The live beacon is the newest pass; the sample pass (20 minutes
        // and more before it) is chosen by its own range.
        window->MnuOpenArchiveRange_Click();
        QCOMPARE(session->RecordCount(), 1);
        QCOMPARE(offered->second - offered->first, 1);
        const auto pass = samples::SimulatedPass();
        const qint64 first = *UtcMilliseconds(pass.front().rxTimestamp);
        fromOffset = first - offered->first;
        window->MnuOpenArchiveRange_Click();
        QCOMPARE(session->RecordCount(), 301);
        QCOMPARE(window->findChild<QLineEdit*>("Text2")->text(), QString("#1 / 301"));
        QCOMPARE(session->display.rxCaption, "RX Timestamp: " + pass.front().rxTimestamp);
        QVERIFY(window->findChild<QLineEdit*>("Text4")->text().startsWith("301 beacons loaded from "));
        QVERIFY(shown.isEmpty());
    }

    // The dialog opens on the last pass, up to the second after it; each quick
    // choice ends now. KELVANOR_DIALOG_PNG names a picture of it to save.
    void rangeDialogQuickChoices() {
        ArchiveRangeDialog dialog(std::pair<qint64, qint64>{1606684801141LL, 1606685399248LL}, nullptr);
        dialog.show();
        QCOMPARE(dialog.FromMs(), 1606684801141LL);
        QCOMPARE(dialog.ToMs(), 1606685400000LL);
        if (qEnvironmentVariableIsSet("KELVANOR_DIALOG_PNG")) dialog.grab().save(qEnvironmentVariable("KELVANOR_DIALOG_PNG"));
        const struct {
            const char* button;
            qint64 hours;
        } rows[] = {{"24 hours", 24}, {"7 days", 168}, {"30 days", 720}};
        for (const auto& row : rows) {
            for (QPushButton* b : dialog.findChildren<QPushButton*>())
                if (b->text() == row.button) b->click();
            QCOMPARE(dialog.ToMs() - dialog.FromMs(), row.hours * 3600000);
            QVERIFY(qAbs(dialog.ToMs() - QDateTime::currentMSecsSinceEpoch()) < 2000);
        }
    }

    void archiveFilesTheWindowMustNotUse() {
        const std::string notes = dir.filePath("notes.txt").toStdString();
        testing::WriteFile(notes, "my notes\r\n");
        QFile::remove(dir.filePath("kelvanor-archive.sqlite"));
        const struct {
            std::string confIni;
            QString message;
        } rows[] = {
            {"ARCHIVE=" + notes, "not a KELVANOR archive"},
            {"ARCHIVE=" + dir.filePath("no/such/folder/a.sqlite").toStdString(), "cannot open"},
            {"ARCHIVE=no", ""},
        };
        for (const auto& row : rows) {
            Start(row.confIni);
            QVERIFY(window->archive() == nullptr);
            QCOMPARE(shown.size(), row.message.isEmpty() ? 0 : 1);
            QVERIFY(shown.join("").contains(row.message));
            window->MnuOpenArchiveRange_Click();  // says there is none, loads nothing
            QCOMPARE(shown.size(), row.message.isEmpty() ? 1 : 2);
        }
        QCOMPARE(testing::ReadFile(notes), std::string("my notes\r\n"));
        QVERIFY(!QFile::exists(dir.filePath("kelvanor-archive.sqlite")));
    }
};

QTEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"

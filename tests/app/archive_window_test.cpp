// The window's archive: imports and live arrivals go in, "Open Archive
// Range..." loads a range as an import loads a file, and an archive file the
// window must not use is told and left alone.
#include "archive/archive_tap.h"
#include "sample_pass.h"
#include "support/window_fixture.h"
#include "window/archive_range_dialog.h"

using namespace kelvanor;

class ArchiveWindowTest : public QObject, public testing::WindowFixture, public RangeChooser {
    Q_OBJECT

    bool ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass, qint64& from,
                     qint64& to) override {
        offered = *lastPass;
        std::tie(from, to) = std::pair(rangeFrom, lastPass->second);
        return true;
    }
    std::pair<qint64, qint64> offered;
    qint64 rangeFrom = 0;

    void Start(const QByteArray& confIni) {
        WindowFixture::Start(confIni, [this](MainWindow& w) { w.SetRangeChooser(this); });
    }

private slots:
    void importsAndArrivalsGoInAndARangeLoadsAsAnImport() {
        const QString sample = dir->filePath("p.kss");
        testing::WriteFile(sample.toStdString(), samples::SimulatedRecording());
        Start("");  // the default archive, beside the program
        window->OpenFiles({sample});
        window->HandleArrival(testing::Wire(7));
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
};

QTEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"

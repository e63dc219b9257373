#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "session/import_sequence.h"
#include "acquire/utc_clock.h"
#include "app/shell/conf_ini.h"
#include "app/shell/program_paths.h"
#include "decode/reporter.h"
#include "limits/stale_watch.h"
#include "window/info_window.h"
#include "window/interfaces.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTimer;

namespace kelvanor {

struct Session;
class ChannelPages;
class ChartView;
class Forwarder;
class ArchiveTap;
class InfoWindow;
class LiveSocket;
class SerialLink;

// The main window. It holds no telemetry state of its own: every command
// runs on the session's core objects and the window then mirrors the texts
// they hold (SyncFromSession).
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Settings and files where `paths` says.
    MainWindow(Session& session, FileChooser& files, MessageSink& messages, KeyStateSource& keys,
               ProgramPaths paths);
    // Settings and files beside the program in `programDir` (ending in "/").
    MainWindow(Session& session, FileChooser& files, MessageSink& messages, KeyStateSource& keys,
               const std::string& programDir);
    ~MainWindow() override;

    // Start-up: names and units on the pages, then conf.ini.
    void Form_Load();
    const Configuration& configuration() const { return m_config; }
    const ProgramPaths& paths() const { return m_paths; }

    // Menu commands and controls.
    void MnuOpenKISSFile_Click();
    void MnuOpenServerLog_Click();
    // File "Open Archive Range...": a UTC range from the chooser, its newest
    // beacons loaded as an import loads a file.
    void MnuOpenArchiveRange_Click();
    // The range dialog; tests put in their own. nullptr: the real dialog.
    void SetRangeChooser(RangeChooser* chooser) { m_rangeChooser = chooser; }
    // The station archive every frame goes to (conf.ini ARCHIVE), or nullptr.
    ArchiveTap* archive() const { return m_archive.get(); }
    void WriteCSVFile_Click();
    void WriteTLMFile_Click();
    void MnuInfo_Click();
    void Command1_Click();
    void Option1_Click(int channel);
    void Check1_Click();
    void HScroll1_Change();

    // Chart exploration: the readout for the record hovered, a click on a
    // record moves the browser to it, and the records in view go to a CSV
    // file of the operator's choice.
    void ChartRecordHovered(int record);
    void ChartRecordClicked(int record);
    void ChartClickTakenBack();
    void ExportVisibleRange_Click();
    // What value box c's value is made of, for the record shown; empty while
    // the boxes show no record.
    QString ValueBoxToolTip(int channel) const;
    ChartView* chart() const { return m_chart; }

    // Live reception: the "TCP client" box, the one-second state timer, the
    // state text (which also colours the indicator) and one arrival.
    void Check5_Click();
    void Timer1_Timer();
    QString Winsock_State();
    void HandleArrival(const QByteArray& chunk);
    // The serial TNC's box (shown when conf.ini names SERIAL_PORT): open or
    // close the device; its state stands in the label beside it.
    void CheckSerial_Click();
    // The clock arrivals are stamped with; tests put in their own.
    void SetClock(const UtcClock* clock) { m_clock = clock ? clock : &m_systemClock; }
    // Forwarding of live beacons (conf.ini SIDS_URL and the station's keys),
    // or null when off; its state stands in the live indicator's tooltip.
    Forwarder* forwarder() const { return m_forwarder.get(); }
    void ShowForwardState();
    // The time one request may take (30 s); before Form_Load.
    void SetForwardTimeout(std::chrono::milliseconds timeout) { m_forwardTimeout = timeout; }
    // Where the daily recordings go (the program's folder by default).
    void SetRecordingDir(const std::string& dir) { m_recordingDir = dir; }

    // Imports files as the import commands do, without the dialog (the
    // program's --open): ".kss" as recordings, others as SatNOGS logs.
    void OpenFiles(const QStringList& paths);

    // The converter the screenshot starts; empty: beside the program, then PATH.
    void SetConverterProgram(const QString& path) { m_converter = path; }
    QString ConverterProgram() const;

    // Mirrors the session's texts, chart and scroll bar onto the widgets.
    void SyncFromSession();
    void SyncLog();  // the debug page's part of it, shown a step at a time
    void ShowLogEnd();  // the debug page on its newest line, at the left edge

    ChannelPages* pages() const { return m_pages; }
    // The fixed client area inside the window's scroll area.
    QWidget* client() const { return m_client; }
    // The size that shows the whole client area without scroll bars, and
    // the window resized to it (pictures of the whole window).
    QSize WholeSize() const;
    void ShowWhole();
    InfoWindow* info() const { return m_info; }
    Session& session() { return m_session; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Hooks;
    class Reporter;

    void BuildMenus();
    void BuildControls(QWidget* client);
    // Sizes the window to its client area, or to the screen when that is smaller.
    void FitToScreen();
    // The export name by the name rule (`ruleName`) and the one written:
    // another when the rule names a file the last import read.
    std::string ExportNameBesideImport(std::string_view defaultName, std::string_view extension,
                                       std::string& ruleName);
    void ExportWritten(const std::string& ruleName, const std::string& path);
    void ClearForNewRecords();
    void RunImport(ImportKind kind, QStringList& selection, const QString& filter);
    void ImportSelection(ImportKind kind, const QStringList& selection);
    // Forwarding as conf.ini sets it up; why it stays off goes to `problems`.
    void StartForwarding(std::string& problems);
    void OpenArchive();

    Session& m_session;
    FileChooser& m_files;
    MessageSink& m_messages;
    KeyStateSource& m_keys;
    ProgramPaths m_paths;
    Configuration m_config;
    std::unique_ptr<Hooks> m_hooks;
    std::unique_ptr<Reporter> m_reporter;
    std::unique_ptr<ArchiveTap> m_archive;
    RangeChooser* m_rangeChooser = nullptr;

    QStringList m_kissSelection;     // the last selection of "Open KISS File"
    QStringList m_satnogsSelection;  // the last selection of "Open SatNOGS CSV"
    std::vector<std::string>
        m_lastImport;  // the files the last import read; no export replaces them
    std::set<std::string>
        m_savedBitmaps;  // screenshots this run saved, which a capture may replace
    bool m_importing = false;
    std::size_t m_logShown = 0;
    bool m_logPending = false;  // the rest of the log is shown on a later turn
    QString m_converter;
    SystemUtcClock m_systemClock;
    const UtcClock* m_clock = &m_systemClock;
    std::string m_recordingDir;
    LiveSocket* m_live = nullptr;
    SerialLink* m_serial = nullptr;
    std::unique_ptr<Forwarder> m_forwarder;
    std::chrono::milliseconds m_forwardTimeout{30000};
    std::optional<int> m_beforeChartClick;  // the record shown before the last chart click
    StaleWatch m_stale;                     // STALE_SECONDS: silence on the live link

    QWidget* m_client = nullptr;
    ChannelPages* m_pages = nullptr;
    ChartView* m_chart = nullptr;
    QGroupBox* m_frame = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check5 = nullptr;
    QCheckBox* m_checkSerial = nullptr;
    QLabel* m_labelSerial = nullptr;
    QFrame* m_shape10 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_stats = nullptr;
    QPushButton* m_command1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLineEdit* m_text4 = nullptr;
    QScrollBar* m_scroll = nullptr;
    QTimer* m_timer1 = nullptr;
    QPointer<InfoWindow> m_info;
};

// "KELVANOR Telemetry Decoder (...)"
QString WindowTitle();

// The length of the name text the dialog would hand back for `paths`
// (one path, or the folder and each name separated by NUL characters),
// which must fit 2048 characters.
int SelectionTextLength(const QStringList& paths);

inline constexpr const char* kTooManyFiles = "Es wurden zu viele Dateien ausgewählt!";

}  // namespace kelvanor

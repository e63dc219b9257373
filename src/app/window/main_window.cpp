#include "window/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QToolTip>

#include "acquire/file_io.h"
#include "acquire/live_arrival.h"
#include "app/shell/screenshot_name.h"
#include "archive/archive_load.h"
#include "archive/archive_tap.h"
#include "channels/value_provenance.h"
#include "chart/chart_readout.h"
#include "chart_view/chart_view.h"
#include "export/csv_export.h"
#include "export/export_name.h"
#include "export/tlm_export.h"
#include "forward/forwarder.h"
#include "kelvanor_version.h"
#include "limits/limit_check.h"
#include "session/handlers.h"
#include "session/session.h"
#include "window/archive_range_dialog.h"
#include "window/channel_pages.h"
#include "window/info_window.h"
#include "window/live_socket.h"
#include "window/serial_link.h"
#include "window/twips.h"

namespace kelvanor {

namespace {

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string Local(const QString& s) { return s.toLocal8Bit().toStdString(); }

constexpr const char* kKissFilter = "KISS Files (*.kss);;All Files (*)";
constexpr const char* kLogFilter = "Log Files (*.csv);;All Files (*)";

}  // namespace

QString WindowTitle() {
    return "KELVANOR Telemetry Decoder (KELVANOR ground-station decoder developers)";
}

int SelectionTextLength(const QStringList& paths) {
    if (paths.size() == 1) return static_cast<int>(paths.front().size());
    int length = static_cast<int>(QFileInfo(paths.front()).absolutePath().size()) + 1;
    for (const QString& p : paths) length += static_cast<int>(QFileInfo(p).fileName().size()) + 1;
    return length;
}

// Lets the window breathe during long imports.
class MainWindow::Hooks final : public ImportHooks {
public:
    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
    void SetBusy(bool busy) override {
        if (busy && !m_busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        if (!busy && m_busy) QApplication::restoreOverrideCursor();
        m_busy = busy;
    }

private:
    bool m_busy = false;
};

// The core's information messages as message boxes.
class MainWindow::Reporter final : public MessageReporter {
public:
    explicit Reporter(MessageSink& sink) : m_sink(sink) {}
    void Information(std::string_view text) override {
        m_sink.Information("KELVANOR", QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }

private:
    MessageSink& m_sink;
};

MainWindow::MainWindow(Session& session, FileChooser& files, MessageSink& messages,
                       KeyStateSource& keys, const std::string& programDir)
    : MainWindow(session, files, messages, keys, PathsBesideProgram(programDir)) {}

MainWindow::MainWindow(Session& session, FileChooser& files, MessageSink& messages,
                       KeyStateSource& keys, ProgramPaths paths)
    : m_session(session),
      m_files(files),
      m_messages(messages),
      m_keys(keys),
      m_paths(std::move(paths)),
      m_hooks(std::make_unique<Hooks>()),
      m_reporter(std::make_unique<Reporter>(messages)) {
    m_recordingDir = m_paths.dataDir;
    if (m_paths.userFolders) m_session.dataFolder = m_paths.dataDir;
    setObjectName("Form1");
    setWindowTitle(WindowTitle());
    m_session.frameBytes.SetReporter(m_reporter.get());
    // The client area keeps its fixed size; a scroll area around it lets a
    // screen smaller than the window show all of it.
    m_client = new QWidget;
    m_client->setObjectName("client");
    m_client->setFixedSize(Px(10665), Px(12015));
    auto* area = new QScrollArea;
    area->setObjectName("ClientScroll");
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(m_client);
    setCentralWidget(area);
    BuildMenus();
    BuildControls(m_client);
    FitToScreen();
}

QSize MainWindow::WholeSize() const {
    return {m_client->width(), m_client->height() + menuBar()->sizeHint().height()};
}

void MainWindow::ShowWhole() { resize(WholeSize()); }

void MainWindow::FitToScreen() {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize whole = WholeSize();
    // Never larger than the client area, with room for both scroll bars once
    // the screen is too small for it.
    setMaximumSize(whole + QSize(bar, bar));
    QSize size = whole;
    if (QScreen* screen = this->screen()) {
        // The window manager's frame, as far as it is known before showing.
        const QSize room = screen->availableGeometry().size() - QSize(16, 40);
        if (size.width() > room.width() || size.height() > room.height()) {
            size = (size + QSize(bar, bar)).boundedTo(room);
        }
    }
    resize(size);
}

MainWindow::~MainWindow() {
    m_session.frameBytes.SetReporter(nullptr);
    if (m_session.tap == m_archive.get()) m_session.tap = nullptr;
    if (m_info) delete m_info;
}

void MainWindow::BuildMenus() {
    // The "&" marks each caption's keyboard letter (Alt+F, then O, ...).
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MnuFile");
    file->addAction("&Open KISS File", this, &MainWindow::MnuOpenKISSFile_Click)
        ->setObjectName("MnuOpenKISSFile");
    file->addAction("Open &SatNOGS CSV", this, &MainWindow::MnuOpenServerLog_Click)
        ->setObjectName("MnuOpenServerLog");
    file->addAction("Open &Archive Range...", this, &MainWindow::MnuOpenArchiveRange_Click)
        ->setObjectName("MnuOpenArchiveRange");
    file->addAction("E&xit", qApp, &QCoreApplication::quit)->setObjectName("MenuFileExit");
    QMenu* tlm = menuBar()->addMenu("&TLM File");
    tlm->setObjectName("MnuSettings");
    tlm->addAction("Write &CSV File", this, &MainWindow::WriteCSVFile_Click)
        ->setObjectName("WriteCSVFile");
    tlm->addAction("Write T&LM File", this, &MainWindow::WriteTLMFile_Click)
        ->setObjectName("WriteTLMFile");
    tlm->addSeparator();
    tlm->addAction("Export &Visible Range...", this, &MainWindow::ExportVisibleRange_Click)
        ->setObjectName("ExportVisibleRange");
    QAction* info = menuBar()->addAction("&Info", this, &MainWindow::MnuInfo_Click);
    info->setObjectName("MnuInfo");
}

void MainWindow::BuildControls(QWidget* client) {
    m_check5 = new QCheckBox("TCP client", client);
    m_check5->setObjectName("Check5");
    m_check5->setGeometry(TwipRect(120, 120, 1215, 255));
    m_shape10 = new QFrame(client);
    m_shape10->setObjectName("Shape10");
    m_shape10->setGeometry(TwipRect(1560, 180, 255, 135));
    // Styled by name, so the tooltip of the forwarding state keeps its own look.
    m_shape10->setStyleSheet("#Shape10 { background-color: rgb(192, 192, 192); border: 1px solid black; }");
    m_label2 = new QLabel(client);
    m_label2->setObjectName("Label2");
    m_label2->setGeometry(TwipRect(1920, 120, 4215, 255));
    m_label2->setStyleSheet("#Label2 { color: gray; }");  // not its tooltip
    connect(m_check5, &QCheckBox::clicked, this, &MainWindow::Check5_Click);
    m_live = new LiveSocket(this);
    connect(m_live, &LiveSocket::Arrival, this, &MainWindow::HandleArrival);
    connect(m_live, &LiveSocket::Failed, this, [this](const QString& reason) {
        m_session.statusText = "TCP client: " + reason.toStdString();
        SyncFromSession();
        Timer1_Timer();
    });
    connect(m_live, &LiveSocket::Connected, this, [this] {
        m_session.stream.Reset();
        m_stale.Start(m_clock->Now());
    });
    connect(m_live, &LiveSocket::StateChanged, this, &MainWindow::Timer1_Timer);

    // The serial TNC, right of the TCP client's row; shown only when
    // conf.ini names a device.
    m_checkSerial = new QCheckBox("Serial TNC", client);
    m_checkSerial->setObjectName("CheckSerial");
    m_checkSerial->setGeometry(TwipRect(6240, 120, 1335, 255));
    m_labelSerial = new QLabel(client);
    m_labelSerial->setObjectName("LabelSerial");
    m_labelSerial->setGeometry(TwipRect(7620, 120, 2955, 255));
    m_labelSerial->setStyleSheet("color: gray;");
    m_checkSerial->hide();
    m_labelSerial->hide();
    connect(m_checkSerial, &QCheckBox::clicked, this, &MainWindow::CheckSerial_Click);
    m_serial = new SerialLink(this);
    connect(m_serial, &SerialLink::Arrival, this, &MainWindow::HandleArrival);
    connect(m_serial, &SerialLink::Connected, this, [this] { m_session.stream.Reset(); });
    connect(m_serial, &SerialLink::StateChanged, this, [this](const QString& text) {
        m_labelSerial->setText(text);
        m_session.statusText = "Serial TNC " + m_config.serialPort + ": " + text.toStdString();
        SyncFromSession();
    });

    // Channel 52 sits beyond the client area's right edge.
    m_pages = new ChannelPages(client, client);
    connect(m_pages, &ChannelPages::NameClicked, this, &MainWindow::Option1_Click);
    connect(m_pages, &ChannelPages::ValueEdited, this, [this](int c, const QString& text) {
        m_session.display.value[static_cast<std::size_t>(c)] = text.toLatin1().toStdString();
    });
    for (int c = 0; c < kChannelCount; ++c) m_pages->valueBox(c)->installEventFilter(this);
    // The debug page opens on its newest line.
    connect(client->findChild<QTabWidget*>("SSTab1"), &QTabWidget::currentChanged, this,
            [this] { QTimer::singleShot(0, this, &MainWindow::ShowLogEnd); });

    m_label3 = new QLabel(client);
    m_label3->setObjectName("Label3");
    m_label3->setGeometry(TwipRect(2040, 6000, 4455, 255));
    m_label4 = new QLabel(client);
    m_label4->setObjectName("Label4");
    m_label4->setGeometry(TwipRect(6600, 6000, 3975, 255));
    QFont bold = m_label4->font();
    bold.setBold(true);
    m_label4->setFont(bold);

    m_frame = new QGroupBox(kChartFrameCaption, client);
    m_frame->setObjectName("Frame1");
    m_frame->setGeometry(TwipRect(120, 6480, 10455, 4935));
    m_chart = new ChartView(m_frame);
    m_chart->setGeometry(TwipRect(120, 240, 10215, 4575));
    m_chart->SetModel(&m_session.chart);
    connect(m_chart, &ChartView::RecordHovered, this, &MainWindow::ChartRecordHovered);
    connect(m_chart, &ChartView::RecordClicked, this, &MainWindow::ChartRecordClicked);
    connect(m_chart, &ChartView::ClickTakenBack, this, &MainWindow::ChartClickTakenBack);
    // The statistics sit in the frame's caption row, at its right end.
    m_stats = new QLabel(m_frame);
    m_stats->setObjectName("ChartStats");
    m_stats->setGeometry(TwipRect(3720, 0, 6615, 240));
    m_stats->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_stats->setAutoFillBackground(true);
    m_stats->setStyleSheet("color: rgb(64, 64, 64);");
    m_check1 = new QCheckBox("B", m_frame);
    m_check1->setObjectName("Check1");
    m_check1->setGeometry(TwipRect(9720, 4440, 375, 255));
    m_check1->setChecked(true);
    m_check1->setStyleSheet("QCheckBox { spacing: 1px; }");
    m_check1->raise();
    m_chart->SetKeepClear(m_check1->geometry().translated(-m_chart->pos()));
    connect(m_check1, &QCheckBox::clicked, this, &MainWindow::Check1_Click);

    m_command1 = new QPushButton("S", client);
    m_command1->setObjectName("Command1");
    m_command1->setGeometry(TwipRect(120, 11520, 495, 315));
    connect(m_command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    m_text4 = new QLineEdit(client);
    m_text4->setObjectName("Text4");
    m_text4->setGeometry(TwipRect(720, 11520, 7335, 285));
    m_text4->setReadOnly(true);
    m_text2 = new QLineEdit(client);
    m_text2->setObjectName("Text2");
    m_text2->setGeometry(TwipRect(8160, 11520, 975, 285));
    m_text2->setReadOnly(true);
    m_scroll = new QScrollBar(Qt::Horizontal, client);
    m_scroll->setObjectName("HScroll1");
    m_scroll->setGeometry(TwipRect(9240, 11520, 1335, 375));
    m_scroll->setRange(ScrollState::kMinimum, m_session.scroll.Maximum());
    m_scroll->setSingleStep(1);
    m_scroll->setPageStep(10);
    // Tab reaches it; Left/Right, Page Up/Down, Home/End move it.
    m_scroll->setFocusPolicy(Qt::StrongFocus);
    m_scroll->installEventFilter(this);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_session.scroll.SetValue(value);
        HScroll1_Change();
    });

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
}

QString MainWindow::Winsock_State() {
    const int state = m_live->State();
    if (auto colour = WinsockStateColour(state)) {
        m_shape10->setStyleSheet(QString("#Shape10 { background-color: rgb(%1, %2, %3); border: 1px solid black; }")
                                     .arg(colour->red)
                                     .arg(colour->green)
                                     .arg(colour->blue));
    }
    return WinsockStateText(state);
}

void MainWindow::Timer1_Timer() {
    QString text = Winsock_State();
    // A connected link that has been silent for STALE_SECONDS says so.
    if (const std::string note = m_stale.Note(m_clock->Now());
        !note.empty() && m_live->State() == 7) {
        text += " - " + QString::fromStdString(note);
    }
    m_label2->setText(text);
    ShowForwardState();
}

void MainWindow::ShowForwardState() {
    if (!m_forwarder) return;
    const QString tip = QString::fromStdString(ForwardStateText(m_forwarder->Counts()));
    m_shape10->setToolTip(tip);
    m_label2->setToolTip(tip);
}

void MainWindow::Check5_Click() {
    if (m_check5->isChecked()) {
        m_live->Open(QString::fromStdString(m_config.server), m_config.port.value_or(0));
        m_timer1->start();
    } else {
        m_live->Close();
        m_stale.Stop();
        m_label2->setText(Winsock_State());
        m_timer1->stop();
    }
}

void MainWindow::CheckSerial_Click() {
    if (m_checkSerial->isChecked()) {
        m_serial->Open(QString::fromStdString(m_config.serialPort), m_config.serialBaud);
    } else {
        m_serial->Close();
    }
}

void MainWindow::HandleArrival(const QByteArray& chunk) {
    m_session.liveSource =
        m_check5->isChecked() ? m_config.server + ":" + m_config.portText : m_config.serialPort;
    const ArrivalOutcome outcome =
        kelvanor::HandleArrival(m_session, std::string_view(chunk.constData(), chunk.size()),
                                *m_clock, m_recordingDir);
    if (m_forwarder && !outcome.beacons.empty()) {
        m_forwarder->Forward(outcome.beacons);
        ShowForwardState();
    }
    if ((outcome.decodeAttempted && outcome.decode.record > 0) || !outcome.streamRecords.empty()) {
        m_stale.Beacon(m_clock->Now());
        // The status line names a channel the newest beacon raises to red.
        const std::string red =
            RaisedToRedText(m_session.limits, m_session.records, m_session.RecordCount());
        if (!red.empty()) m_session.statusText += (m_session.statusText.empty() ? "" : " | ") + red;
    }
    if (m_config.followNewest && m_session.RecordCount() >= ScrollState::kMinimum) {
        // The operator follows the pass: the newest record, the bar moved to it.
        m_session.scroll.SetValue(m_session.RecordCount());
        kelvanor::HScroll1_Change(m_session);
    }
    SyncFromSession();
    if (const char* message = FileErrorMessage(outcome.errorKind)) {
        m_messages.Information("KELVANOR", message);
    }
}

void MainWindow::Form_Load() {
    InitChannelLabels(m_session.labels);
    m_config = ReadConfigurationFile(m_paths.confIni, m_paths.dataDir);
    if (!m_config.server.empty() || !m_config.portText.empty()) {
        m_label2->setText(QString::fromLatin1(m_config.ServerLabel()));
    }
    m_command1->setVisible(m_config.screenshotButton);
    m_session.kissStream = m_config.kissStream;
    m_live->SetReconnect(m_config.reconnect);
    m_serial->SetReconnect(m_config.reconnect);
    m_stale.SetSeconds(m_config.staleSeconds);
    m_checkSerial->setVisible(!m_config.serialPort.empty());
    m_labelSerial->setVisible(!m_config.serialPort.empty());
    m_labelSerial->setText(QString::fromStdString("[" + m_config.serialPort + ":" + std::to_string(m_config.serialBaud) + "]"));
    std::string text;
    for (const std::string& p : m_config.problems) text += (text.empty() ? "" : "; ") + p;
    StartForwarding(text);
    if (m_paths.userFolders) {
        // An installed program says where its settings and files are.
        std::string error;
        if (!EnsureFolder(m_paths.dataDir, error)) {
            text += (text.empty() ? "" : "; ") + ("cannot create " + m_paths.dataDir + " (" + error + ")");
        }
        text += (text.empty() ? "" : "; ") + m_paths.Summary();
        m_text4->setToolTip(QString::fromLocal8Bit(m_paths.HelpText().c_str()).trimmed());
    }
    // The health limits; a file that is not there changes nothing.
    if (ReadLimitsFile(m_paths.limitsIni, m_session.limits) && !m_session.limits.problems.empty()) {
        text += (text.empty() ? "" : "; ") + m_session.limits.ProblemText(m_paths.limitsIni);
    }
    m_chart->SetLimits(m_session.limits.Empty() ? nullptr : &m_session.limits);
    if (!text.empty()) m_session.statusText = text;
    OpenArchive();
    m_timer1->start();
    SyncFromSession();
    m_text4->setCursorPosition(0);  // a long start-up note shows its beginning
}

void MainWindow::StartForwarding(std::string& problems) {
    const SidsSettings settings{m_config.sidsUrls, m_config.sidsNoradId, m_config.sidsCallsign,
                                m_config.sidsLatitude, m_config.sidsLongitude};
    std::string problem;
    const auto station = StationFrom(settings, KELVANOR_VERSION, problem);
    std::vector<std::string> notes;
    if (station) {
        // The queue lives in the data folder, beside the recordings' default place.
        std::string folder = m_paths.dataDir, error;
        if (m_paths.userFolders) EnsureFolder(folder, error);
        Forwarder::Timing timing;
        timing.timeout = m_forwardTimeout;
        m_forwarder = std::make_unique<Forwarder>(*station, settings.urls, folder, timing, nullptr);
        notes = m_forwarder->Problems();
        ShowForwardState();
    } else if (!problem.empty()) {
        notes.push_back(problem);
    }
    for (const std::string& note : notes) problems += (problems.empty() ? "" : "; ") + note;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

// New records: the whole chart again, and an empty debug page.
void MainWindow::ClearForNewRecords() {
    m_chart->ResetView();
    m_logShown = 0;
    m_pages->log()->clear();
}

void MainWindow::RunImport(ImportKind kind, QStringList& selection, const QString& filter) {
    if (m_importing) return;
    ResetBeforeImport(m_session);
    ClearForNewRecords();
    SyncFromSession();
    QStringList chosen;
    if (m_files.Choose(filter, chosen)) {
        if (SelectionTextLength(chosen) > 2048) {
            m_messages.Information("KELVANOR", QString::fromUtf8(kTooManyFiles));
            return;
        }
        selection = chosen;
    }
    m_lastImport.clear();
    ImportSelection(kind, selection);  // a cancel imports the previous selection again
}

void MainWindow::ImportSelection(ImportKind kind, const QStringList& selection) {
    m_importing = true;
    std::string problems;  // the files that could not be read, and why
    for (const QString& path : selection) {
        m_lastImport.push_back(Local(path));
        for (const ImportProblem& p : ImportFiles(m_session, {Local(path)}, kind, *m_hooks, /*normaliseOnDisk=*/true)) {
            problems += (problems.empty() ? "" : "; ") + p.path + ": " + p.reason;
        }
        SyncFromSession();
    }
    if (!problems.empty()) {
        m_session.statusText = problems;
        SyncFromSession();
    }
    m_hooks->SetBusy(false);
    m_importing = false;
}

void MainWindow::OpenArchive() {
    if (m_config.archiveOff) return;
    const std::string path =
        m_config.archive.empty() ? m_paths.dataDir + kArchiveFileName : m_config.archive;
    std::string error;
    std::unique_ptr<Archive> archive = Archive::Open(path, true, error);
    if (archive == nullptr) {
        const std::string text = "Archive " + error + "; going on without the archive";
        m_session.statusText = text;
        m_messages.Information("KELVANOR", QString::fromLocal8Bit(text.c_str()));
        return;
    }
    auto failed = [this](const std::string& message) {
        m_session.tap = nullptr;
        m_session.statusText = "Archive " + message;
        m_messages.Information("KELVANOR", QString::fromLocal8Bit(m_session.statusText.c_str()));
    };
    m_archive = std::make_unique<ArchiveTap>(std::move(archive), failed);
    m_session.tap = m_archive.get();
}

namespace {

// A long range load shows its progress in the status line.
class RangeHooks final : public ImportHooks {
public:
    RangeHooks(QLineEdit* status, Session& session, ImportHooks& busy)
        : m_status(status), m_session(session), m_busy(busy) {}
    void ProcessPendingEvents() override {
        m_status->setText("Loading from the archive: " +
                          QString::fromStdString(m_session.counterText) + " beacons");
        QCoreApplication::processEvents();
    }
    void SetBusy(bool busy) override { m_busy.SetBusy(busy); }

private:
    QLineEdit* m_status;
    Session& m_session;
    ImportHooks& m_busy;
};

}  // namespace

void MainWindow::MnuOpenArchiveRange_Click() {
    if (m_importing) return;
    if (m_archive == nullptr || !m_archive->Working()) {
        m_messages.Information("KELVANOR", m_config.archiveOff
                                               ? "The archive is off (ARCHIVE=NO in conf.ini)."
                                               : "No archive is open.");
        return;
    }
    Archive& archive = *m_archive->archive();
    std::optional<std::pair<qint64, qint64>> lastPass;
    if (const auto pass = archive.LastPass()) lastPass.emplace(*pass->from, *pass->to);
    DialogRangeChooser dialog(this);
    qint64 from = 0, to = 0;
    RangeChooser& chooser = m_rangeChooser != nullptr ? *m_rangeChooser : dialog;
    if (!chooser.ChooseRange(lastPass, from, to)) return;
    m_importing = true;
    ClearForNewRecords();
    m_lastImport.clear();
    RangeHooks hooks(m_text4, m_session, *m_hooks);
    LoadArchiveRange(m_session, archive, {from, to}, hooks);
    SyncFromSession();
    m_importing = false;
}

void MainWindow::MnuOpenKISSFile_Click() {
    RunImport(ImportKind::KissRecording, m_kissSelection, kKissFilter);
}

void MainWindow::MnuOpenServerLog_Click() {
    RunImport(ImportKind::SatnogsLog, m_satnogsSelection, kLogFilter);
}

void MainWindow::OpenFiles(const QStringList& paths) {
    if (m_importing || paths.isEmpty()) return;
    ResetBeforeImport(m_session);
    m_chart->ResetView();  // new records: the whole chart again
    m_logShown = 0;
    m_pages->log()->clear();
    m_lastImport.clear();
    for (const QString& path : paths) {
        const ImportKind kind = KindOfPath(Local(path));
        (kind == ImportKind::KissRecording ? m_kissSelection : m_satnogsSelection) = QStringList{path};
        ImportSelection(kind, {path});
    }
}

std::string MainWindow::ExportNameBesideImport(std::string_view defaultName,
                                               std::string_view extension, std::string& ruleName) {
    ruleName =
        ExportFileName(m_session.currentFileName, defaultName, extension, m_session.dataFolder);
    return AvoidFiles(ruleName, m_lastImport);
}

void MainWindow::ExportWritten(const std::string& ruleName, const std::string& path) {
    if (path == ruleName) return;
    m_session.statusText =
        path + " has been written (" + ruleName + " was read by the last import and is kept)";
}

void MainWindow::WriteCSVFile_Click() {
    std::string ruleName, error;
    std::string path = ExportNameBesideImport(kDefaultCsvName, ".csv", ruleName);
    const bool written = path == ruleName
                             ? kelvanor::WriteCSVFile_Click(m_session, path, error)
                             : WriteCsvRange(m_session, path, 1, m_session.RecordCount(), error);
    if (written) {
        ExportWritten(ruleName, path);
    } else {
        m_messages.Information("Error", Latin1("Cannot write " + path + ": " + error));
    }
    SyncFromSession();
}

void MainWindow::WriteTLMFile_Click() {
    std::string ruleName, error;
    std::string path = ExportNameBesideImport(kDefaultTlmName, ".tlm", ruleName);
    const bool written =
        path == ruleName
            ? kelvanor::WriteTLMFile_Click(m_session, path, error)
            : WriteWholeFile(path, TlmText(m_session.labels, m_session.display), error);
    if (written) {
        ExportWritten(ruleName, path);
    } else {
        m_messages.Information("Error", Latin1("Cannot write " + path + ": " + error));
    }
    SyncFromSession();
}

void MainWindow::MnuInfo_Click() {
    if (!m_info) m_info = new InfoWindow;
    m_info->show();
    m_info->raise();
    m_info->activateWindow();
}

void MainWindow::Option1_Click(int channel) {
    // Shift or the right button pressed anew since the last click keeps the chart.
    const int shift = m_keys.QueryShift();
    const int right = m_keys.QueryRightButton();
    const bool keepChart = shift == 0x8001 || right == 0x8001;
    kelvanor::Option1_Click(m_session, channel, keepChart);
    SyncFromSession();
}

void MainWindow::Check1_Click() {
    kelvanor::Check1_Click(m_session, m_check1->isChecked());
    SyncFromSession();
}

void MainWindow::HScroll1_Change() {
    kelvanor::HScroll1_Change(m_session);
    SyncFromSession();
}

void MainWindow::ChartRecordHovered(int record) {
    m_chart->SetReadout(Latin1(ReadoutText(m_session, record)));
}

void MainWindow::ChartRecordClicked(int record) {
    if (record < 1 || record > m_session.RecordCount()) return;
    m_beforeChartClick = m_session.scroll.Value();
    m_session.scroll.SetValue(record);
    HScroll1_Change();
}

void MainWindow::ChartClickTakenBack() {
    // A double click resets the chart's view and leaves the record shown.
    if (!m_beforeChartClick) return;
    const int before = std::exchange(m_beforeChartClick, std::nullopt).value();
    if (before < 1 || before > m_session.RecordCount()) return;
    m_session.scroll.SetValue(before);
    HScroll1_Change();
}

void MainWindow::ExportVisibleRange_Click() {
    QString chosen;
    if (!m_files.ChooseSaveFile("CSV Files (*.csv);;All Files (*)", chosen)) return;
    RecordSpan span;  // nothing charted: the header alone
    if (m_session.chart.drawn) span = VisibleRecords(m_chart->Viewport());
    std::string error;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += ".csv";  // a name typed without one
    const std::string path = AvoidFiles(Local(chosen), m_lastImport);
    if (!WriteCsvRange(m_session, path, span.first, span.last, error)) {
        m_messages.Information("Error", Latin1("Cannot write " + path + ": " + error));
    }
    SyncFromSession();
}

QString MainWindow::ValueBoxToolTip(int channel) const {
    const long long n = m_session.display.shownRecord;
    if (!RecordStore::IsSlot(n)) return {};
    const std::string text =
        ValueProvenance(m_session.records.Record(static_cast<int>(n)), channel, m_session.regional.decimalSeparator);
    QString tip = QString("Record #%1\n").arg(n) + Latin1(text);
    if (tip.endsWith('\n')) tip.chop(1);
    if (const LimitMark mark = MarkOf(m_session.limits, m_session.records, n, channel);
        mark.level != LimitLevel::None) {
        const double v =
            m_session.records.Record(static_cast<int>(n)).Values[static_cast<std::size_t>(channel)];
        tip += QString("\n%1 limit: %2")
                   .arg(mark.level == LimitLevel::Red ? "Red" : "Yellow",
                        QString::fromStdString(
                            BoundText(*m_session.limits.Of(channel), mark.bound, v)));
    }
    return tip;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll && event->type() == QEvent::KeyPress) {
        // The keys on the record scroll bar: forward is right, down and end.
        static const std::pair<int, QAbstractSlider::SliderAction> kKeys[] = {
            {Qt::Key_Right, QAbstractSlider::SliderSingleStepAdd},
            {Qt::Key_Left, QAbstractSlider::SliderSingleStepSub},
            {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
            {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
            {Qt::Key_End, QAbstractSlider::SliderToMaximum},
            {Qt::Key_Home, QAbstractSlider::SliderToMinimum}};
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (auto [k, action] : kKeys) {
            if (k != key) continue;
            m_scroll->triggerAction(action);
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        const int c = m_pages->ChannelOfValueBox(watched);
        if (c >= 0) {
            const QString tip = ValueBoxToolTip(c);
            auto* help = static_cast<QHelpEvent*>(event);
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, static_cast<QWidget*>(watched));
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString MainWindow::ConverterProgram() const {
    if (!m_converter.isNull()) return m_converter;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("nconvert");
    if (QFileInfo(beside).isExecutable()) return beside;
    return QStandardPaths::findExecutable("nconvert");
}

void MainWindow::Command1_Click() {
    m_check1->hide();
    m_command1->hide();
    QCoreApplication::processEvents();
    const QImage picture = m_client->grab().toImage();
    const std::string name =
        ScreenshotFileName(m_config.imagePath, m_session.currentFileName, m_savedBitmaps);
    const bool saved = picture.save(QString::fromLocal8Bit(name.c_str()), "BMP");
    if (saved) m_savedBitmaps.insert(name);
    m_check1->show();
    m_command1->setVisible(m_config.screenshotButton);
    if (!saved) {
        m_messages.Information("Error", QString::fromLocal8Bit(("Cannot save " + name).c_str()));
        return;
    }
    m_session.statusText = name + " saved";
    SyncFromSession();

    const QString program = ConverterProgram();
    QStringList arguments = QString::fromLocal8Bit((kConverterOptions + name).c_str())
                                .split(' ', Qt::SkipEmptyParts);
    if (program.isEmpty() || !QProcess::startDetached(program, arguments)) {
        m_messages.Information("Error", "nconvert.exe not found");
        return;
    }
    m_session.statusText = ConvertedImageName(name) + " converted and saved";
    SyncFromSession();
}

void MainWindow::SyncFromSession() {
    m_pages->ShowLabels(m_session.labels);
    m_pages->ShowValues(m_session.display);
    m_pages->ShowHighlight(m_session.highlightedChannel);
    m_session.changeMarks.Observe(m_session.display);
    m_pages->ShowChangeMarks(m_session.changeMarks);
    const LimitMarks limitMarks =
        MarkRecord(m_session.limits, m_session.records, m_session.display.shownRecord);
    m_pages->ShowLimitMarks(limitMarks);
    m_label3->setText(Latin1(m_session.display.obcCaption));
    m_label4->setText(Latin1(m_session.display.rxCaption));
    m_text2->setText(Latin1(m_session.counterText));
    m_text4->setText(Latin1(m_session.statusText));
    m_frame->setTitle(Latin1(m_session.chartCaption));
    {
        const QSignalBlocker block(m_scroll);
        m_scroll->setRange(ScrollState::kMinimum,
                           std::max<int>(ScrollState::kMinimum, m_session.scroll.Maximum()));
        m_scroll->setValue(m_session.scroll.Value());
    }
    SyncLog();
    m_chart->ModelChanged();
    const ChartModel& chart = m_session.chart;
    QString stats = chart.drawn ? Latin1(StatsText(chart.stats, Channel(chart.channel).unit,
                                                   m_session.regional.decimalSeparator))
                                : QString();
    if (!m_session.limits.Empty() && m_session.display.shownRecord != 0) {
        // The channels the record shown puts in red and yellow, ahead of the statistics.
        const LimitCounts counts = CountMarks(limitMarks);
        stats = QString("limits: %1 red, %2 yellow").arg(counts.red).arg(counts.yellow) +
                (stats.isEmpty() ? "" : "   |   ") + stats;
    }
    m_stats->setText(stats);
    m_chart->SetReadout(Latin1(ReadoutText(m_session, m_chart->HoverRecord())));
}

void MainWindow::ShowLogEnd() {
    // The newest line, from its beginning: the cursor at the start of the
    // last line, the view at the left edge.
    QPlainTextEdit* log = m_pages->log();
    QTextCursor cursor = log->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock);
    log->setTextCursor(cursor);
    log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
    log->horizontalScrollBar()->setValue(0);
}

void MainWindow::SyncLog() {
    const std::string& log = m_session.frameLog;
    if (log.size() < m_logShown) {
        m_pages->log()->clear();
        m_logShown = 0;
    }
    if (log.size() <= m_logShown) return;
    // The debug page shows at most the newest lines of a full store: an
    // import of a recording far beyond the store's capacity logs a line for
    // every frame it tries, and the page must not hold hundreds of megabytes.
    constexpr std::size_t kShownLogBytes = 9u << 19;
    std::size_t from = m_logShown;
    if (log.size() - from > kShownLogBytes) {
        const std::size_t lineStart = log.find('\n', log.size() - kShownLogBytes);
        from = lineStart == std::string::npos ? log.size() : lineStart + 1;
        m_pages->log()->clear();
        m_pages->log()->appendPlainText(
            QString("[%1 earlier bytes of the log not shown]").arg(static_cast<qulonglong>(from)));
    }
    // A megabyte of lines at a time, the rest on the next turns of the event
    // loop, so that a long log never holds up the window.
    constexpr std::size_t kStep = 1u << 20;
    std::size_t to = log.size();
    if (to - from > kStep) {
        const std::size_t lf = log.find('\n', from + kStep);
        to = lf == std::string::npos ? log.size() : lf + 1;
    }
    QString added = Latin1(log.substr(from, to - from));
    added.remove('\r');
    if (added.endsWith('\n')) added.chop(1);
    m_pages->log()->appendPlainText(added);
    // A page in view follows its reader; a hidden one opens on its newest line.
    if (!m_pages->log()->isVisible()) ShowLogEnd();
    m_logShown = to;
    if (m_logShown < log.size() && !m_logPending) {
        m_logPending = true;
        QTimer::singleShot(0, this, [this] {
            m_logPending = false;
            SyncLog();
        });
    }
}

}  // namespace kelvanor

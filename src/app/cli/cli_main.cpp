// kelvanor-cli: imports recordings and SatNOGS logs exactly as the window's
// import commands do, and writes the exports or prints the shown record.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "acquire/file_io.h"
#include "acquire/live_arrival.h"
#include "archive/archive_load.h"
#include "archive_commands.h"
#include "app/shell/conf_ini.h"
#include "app/shell/program_paths.h"
#include "channels/channel_table.h"
#include "export/csv_export.h"
#include "export/tlm_export.h"
#include "kelvanor_version.h"
#include "limits/limit_check.h"
#include "live_client.h"
#include "posix_locale.h"
#include "serial_device.h"
#include "session/handlers.h"
#include "session/import_sequence.h"
#include "session/session.h"
#include "sids_options.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvanor-cli [--locale NAME] [--record N] [--csv PATH] [--tlm PATH] [--print] [--log] "
    "FILE...\n"
    "       kelvanor-cli --check-limits [--limits PATH] FILE...\n"
    "       kelvanor-cli --connect HOST:PORT | --serial DEVICE[:BAUD] [--kiss-stream] [--reconnect]\n"
    "                    [--for SECONDS] [--record-dir DIR] [--csv PATH] [--config FILE]\n"
    "                    [--sids URL]... [--norad N] [--callsign CALL] [--latitude DEG] [--longitude DEG]\n"
    "                    [--sids-dry-run] [--sids-timeout SECONDS]\n"
    "       kelvanor-cli --archive PATH [--from TIME] [--to TIME] [--csv PATH] [--tlm PATH] "
    "[--print] [--check-limits]\n"
    "       kelvanor-cli --archive-stats PATH";

constexpr const char* kHelp =
    "Imports KELVANOR beacon frames from KISS recordings (*.kss) and SatNOGS frame logs\n"
    "(any other name) as one selection, in the order given, and then:\n"
    "  --record N     shows record N (1..number of records) instead of the import's own\n"
    "  --csv PATH     writes every record as a CSV file to PATH\n"
    "  --tlm PATH     writes the TLM report of the shown record to PATH\n"
    "  --print        prints each channel as c;name;value;unit and the two timestamp lines\n"
    "  --log          prints the frame log of the import\n"
    "  --check-limits prints a line per channel out of its limits in each record:\n"
    "                 record;RX timestamp;channel;name;value;yellow or red;bound crossed\n"
    "  --limits PATH  the limits file for --check-limits (default: limits.ini, found\n"
    "                 as conf.ini is)\n"
    "  --locale NAME  number and date forms: C, de_DE or a system locale (default: the\n"
    "                 environment's)\n"
    "Or receives live from a KISS server or a TNC on a serial device:\n"
    "  --connect HOST:PORT  records every arrival into the day's recording, decodes\n"
    "                 beacons and prints a line per arrival\n"
    "  --serial DEVICE[:BAUD]  the same from a serial device (raw, default 9600 baud)\n"
    "  --kiss-stream  cut frames at FEND bytes across arrivals; timestamp frames\n"
    "                 (0x09) stamp the frames after them\n"
    "  --reconnect    try a lost or refused link again after 1 s, doubling to 60 s;\n"
    "                 a line for every change of the link's state\n"
    "  --config FILE  settings from a conf.ini-style file: TCP_SERVER, TCP_PORT,\n"
    "                 SERIAL_PORT, SERIAL_BAUD, KISS_STREAM, RECONNECT, RECORD_DIR\n"
    "                 (options given on the command line win)\n"
    "  --for SECONDS  stop after this time, at most 1e9 (default: until SIGINT/SIGTERM)\n"
    "  --record-dir DIR  where the recordings go (default: the data folder below)\n"
    "  --csv PATH     afterwards, the CSV export of what was received\n"
    "  --sids URL     forward every beacon received to this telemetry database (SiDS;\n"
    "                 repeatable), queued in the --record-dir folder until the server\n"
    "                 takes it; needs --norad, --callsign, --latitude and --longitude\n"
    "                 (decimal degrees, negative south and west). Conf keys: SIDS_URL,\n"
    "                 SIDS_NORAD_ID, SIDS_CALLSIGN, SIDS_LATITUDE, SIDS_LONGITUDE\n"
    "  --sids-dry-run print each request instead of sending it\n"
    "  --sids-timeout SECONDS  give up on one request after this time (default 30)\n"
    "The station's archive (an SQLite file; every frame once):\n"
    "  --archive PATH  with input files or --connect/--serial: adds their frames to it;\n"
    "                 without them: loads the newest 10000 beacons of a time range\n"
    "  --from TIME, --to TIME  the range, UTC, yyyy-MM-ddTHH:mm:ssZ or\n"
    "                 \"yyyy-MM-dd HH:mm:ss\"; from inclusive, to exclusive; either may be "
    "left out\n"
    "  --archive-stats PATH  prints frames, beacons, first and last reception and\n"
    "                 duplicates dropped\n"
    "  --help, --version\n"
    "Exit status: 0 success, 1 an input could not be read or an output not written,\n"
    "2 usage error (also an output that names an input: nothing is written),\n"
    "3 --check-limits found a channel in red (before 1).\n";

int UsageError(const std::string& message) {
    std::cerr << "kelvanor-cli: " << message << "\n";
    return 2;
}

int g_outError = 0;  // errno of the first failed write to standard output

void WriteOut(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && g_outError == 0) {
        g_outError = errno;
    }
}

// Flushes standard output; a write that failed at any time (a full disk, a
// closed pipe) is told on standard error and gives false.
bool FinishStandardOutput() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (!flushed && g_outError == 0) g_outError = errno;
    if (flushed && !std::ferror(stdout)) return true;
    std::cerr << "kelvanor-cli: cannot write standard output";
    if (g_outError != 0) std::cerr << ": " << std::strerror(g_outError);
    std::cerr << "\n";
    return false;
}

class StderrReporter final : public kelvanor::MessageReporter {
public:
    void Information(std::string_view text) override { std::cerr << text << "\n"; }
};

struct Options {
    std::string locale;
    bool haveLocale = false;
    long long record = 0;
    bool haveRecord = false;
    std::string csv, tlm;
    bool print = false, log = false;
    bool checkLimits = false;
    std::string limits;
    std::vector<std::string> files;
    std::string connect, recordDir, serial, config;
    bool kissStream = false, reconnect = false;
    double seconds = 0;
    bool haveFor = false;
    kelvanor::SidsOptions sids;
    std::string archive, archiveStats;
    kelvanor::TimeRange range;
};

// Where this run keeps its files: beside the program in a build tree, the
// user's XDG folders when installed.
// The program's folder: from /proc, else from argv[0] as the shell found it.
std::string ProgramFolder(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (exe.empty() && argv0 != nullptr) {
        const std::string name = argv0;
        if (name.find('/') != std::string::npos) {
            exe = fs::absolute(name, ec).lexically_normal();
        } else if (const char* path = std::getenv("PATH")) {
            std::string_view rest = path;
            while (exe.empty() && !rest.empty()) {
                const std::size_t colon = rest.find(':');
                const fs::path candidate = fs::path(rest.substr(0, colon)) / name;
                if (access(candidate.c_str(), X_OK) == 0) exe = candidate;
                rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            }
        }
    }
    const std::string dir = exe.parent_path().string();
    return dir.empty() ? "." : dir;
}

kelvanor::ProgramPaths FindProgramPaths(const char* argv0) {
    const std::string dir = ProgramFolder(argv0);
    kelvanor::PathFacts facts;
    facts.programDir = dir;
    facts.programDir.push_back('/');
    facts.programDirWritable = access(dir.c_str(), W_OK) == 0;
    const char* home = std::getenv("HOME");
    facts.configHome = kelvanor::XdgFolder(std::getenv("XDG_CONFIG_HOME"), home, ".config");
    facts.dataHome = kelvanor::XdgFolder(std::getenv("XDG_DATA_HOME"), home, ".local/share");
    facts.fileExists = [](const std::string& path) {
        std::error_code e;
        return std::filesystem::is_regular_file(path, e);
    };
    return kelvanor::ChooseProgramPaths(facts);
}

// Prints a line for every channel that a record's mark puts in yellow or red;
// true when any was red.
bool CheckLimits(const kelvanor::Session& session, const kelvanor::LimitSet& limits) {
    using namespace kelvanor;
    bool red = false;
    std::string out;
    for (int n = 1; n <= session.RecordCount(); ++n) {
        const BeaconRecord& record = session.records.Record(n);
        const LimitMarks marks = MarkRecord(limits, session.records, n);
        for (int c = 0; c < kChannelCount; ++c) {
            const LimitMark& m = marks[static_cast<std::size_t>(c)];
            if (m.level == LimitLevel::None) continue;
            red = red || m.level == LimitLevel::Red;
            const double v = record.Values[static_cast<std::size_t>(c)];
            out += std::to_string(n) + ";" + record.RxTime + ";" + std::to_string(c) + ";" +
                   std::string(Channel(c).name) + ";" + LimitNumber(v) + ";" +
                   (m.level == LimitLevel::Red ? "red;" : "yellow;") +
                   BoundText(*limits.Of(c), m.bound, v) + "\n";
        }
        if (out.size() > (1u << 16)) WriteOut(std::exchange(out, {}));
    }
    WriteOut(out);
    return red;
}

// Returns -1 when the command line parsed, else the exit status.
int Parse(int argc, char** argv, const kelvanor::ProgramPaths& paths, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) -> bool {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (std::string error; kelvanor::TakeSidsOption(argc, argv, i, o.sids, error)) {
            if (!error.empty()) return UsageError(error);
        } else if (a == "--help") {
            std::cout << kUsage << "\n" << kHelp << "Recordings without --record-dir go to " << paths.dataDir << "\n";
            return 0;
        } else if (a == "--version") {
            std::cout << "kelvanor-cli " KELVANOR_VERSION "\n";
            return 0;
        } else if (a == "--locale") {
            if (!value(o.locale)) return UsageError("--locale needs a name");
            o.haveLocale = true;
        } else if (a == "--record") {
            std::string text;
            if (!value(text)) return UsageError("--record needs a number");
            char* end = nullptr;
            o.record = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0') return UsageError("--record needs a number: " + text);
            o.haveRecord = true;
        } else if (a == "--csv") {
            if (!value(o.csv)) return UsageError("--csv needs a path");
        } else if (a == "--tlm") {
            if (!value(o.tlm)) return UsageError("--tlm needs a path");
        } else if (a == "--connect") {
            if (!value(o.connect)) return UsageError("--connect needs HOST:PORT");
        } else if (a == "--serial") {
            if (!value(o.serial)) return UsageError("--serial needs DEVICE[:BAUD]");
        } else if (a == "--config") {
            if (!value(o.config)) return UsageError("--config needs a file");
        } else if (a == "--kiss-stream") {
            o.kissStream = true;
        } else if (a == "--reconnect") {
            o.reconnect = true;
        } else if (a == "--record-dir") {
            if (!value(o.recordDir)) return UsageError("--record-dir needs a folder");
        } else if (a == "--for") {
            std::string text;
            if (!value(text)) return UsageError("--for needs a number of seconds");
            char* end = nullptr;
            o.seconds = std::strtod(text.c_str(), &end);
            // NaN fails both comparisons; infinity and huge values fail the second.
            if (text.empty() || *end != '\0' || !(o.seconds > 0) || !(o.seconds <= kelvanor::kLongestRunSeconds)) {
                return UsageError("--for needs a number of seconds from 0 to 1e9: " + text);
            }
            o.haveFor = true;
        } else if (a == "--archive") {
            if (!value(o.archive)) return UsageError("--archive needs a path");
        } else if (a == "--archive-stats") {
            if (!value(o.archiveStats)) return UsageError("--archive-stats needs a path");
        } else if (a == "--from" || a == "--to") {
            std::string text;
            if (!value(text)) return UsageError(a + " needs a UTC time");
            const auto ms = kelvanor::ParseUtcTime(text);
            if (!ms) {
                return UsageError(a + " needs yyyy-MM-ddTHH:mm:ssZ or \"yyyy-MM-dd HH:mm:ss\": " +
                                  text);
            }
            (a == "--from" ? o.range.from : o.range.to) = ms;
        } else if (a == "--check-limits") {
            o.checkLimits = true;
        } else if (a == "--limits") {
            if (!value(o.limits)) return UsageError("--limits needs a path");
        } else if (a == "--print") {
            o.print = true;
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--") {
            for (++i; i < argc; ++i) o.files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option " + a + "; " + kUsage);
        } else {
            o.files.push_back(a);
        }
    }
    if (!o.archiveStats.empty()) return -1;
    if ((o.range.from || o.range.to) && (o.archive.empty() || !o.files.empty())) {
        return UsageError("--from and --to go with --archive and no input files");
    }
    if (!o.config.empty()) {
        // The recorder's settings file; the command line wins over it.
        const kelvanor::Configuration c = kelvanor::ReadConfigurationFile(o.config, "");
        for (const std::string& p : c.problems) std::cerr << "kelvanor-cli: " << o.config << ": " << p << "\n";
        if (o.connect.empty() && o.serial.empty()) {
            if (!c.serialPort.empty()) {
                o.serial = c.serialPort + ":" + std::to_string(c.serialBaud);
            } else if (!c.server.empty()) {
                o.connect = c.server + ":" + c.portText;
            }
        }
        o.kissStream = o.kissStream || c.kissStream;
        o.reconnect = o.reconnect || c.reconnect;
        if (o.recordDir.empty()) o.recordDir = c.recordDir;
        kelvanor::AddSidsConfiguration(o.sids, c);
        if (o.connect.empty() && o.serial.empty()) {
            return UsageError(o.config + " names neither TCP_SERVER and TCP_PORT nor SERIAL_PORT");
        }
    }
    if (!o.connect.empty() || !o.serial.empty()) {
        const char* road = o.connect.empty() ? "--serial" : "--connect";
        if (!o.connect.empty() && !o.serial.empty()) return UsageError("--connect and --serial exclude each other");
        if (!o.files.empty()) return UsageError(std::string(road) + " takes no input files");
        if (o.haveRecord || !o.tlm.empty() || o.print || o.log || o.checkLimits ||
            !o.limits.empty()) {
            return UsageError(std::string(road) + " goes with --for, --record-dir, --csv, --locale, --kiss-stream, "
                              "--reconnect, --config and the --sids options only");
        }
        std::string host, port, device;
        int baud = 9600;
        if (!o.connect.empty() && !kelvanor::SplitHostPort(o.connect, host, port)) {
            return UsageError("--connect needs HOST:PORT with a port number from 1 to 65535: " + o.connect);
        }
        if (!o.serial.empty() && !kelvanor::SplitDeviceBaud(o.serial, device, baud)) {
            return UsageError("--serial needs DEVICE[:BAUD] with a line speed from 1200 to 921600: " + o.serial);
        }
        return -1;
    }
    if (o.haveFor || !o.recordDir.empty() || o.kissStream || o.reconnect || o.sids.given) {
        return UsageError("--for, --record-dir, --kiss-stream, --reconnect and the --sids options need "
                          "--connect or --serial");
    }
    if (o.files.empty() && o.archive.empty()) {
        return UsageError(std::string("no input file; ") + kUsage);
    }
    if (!o.limits.empty() && !o.checkLimits) return UsageError("--limits goes with --check-limits");
    // An export never replaces an input, nor the other export.
    for (const std::string* out : {&o.csv, &o.tlm}) {
        if (out->empty()) continue;
        for (const std::string& in : o.files) {
            if (kelvanor::SameFile(*out, in)) return UsageError(*out + " is an input; not written over");
        }
    }
    if (!o.csv.empty() && !o.tlm.empty() && kelvanor::SameFile(o.csv, o.tlm)) {
        return UsageError("--csv and --tlm name the same file " + o.csv);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kelvanor;
    Options o;
    const ProgramPaths paths = FindProgramPaths(argc > 0 ? argv[0] : nullptr);
    if (int status = Parse(argc, argv, paths, o); status >= 0) return status;
    if (!o.archiveStats.empty()) return PrintArchiveStats(o.archiveStats);

    auto session = std::make_unique<Session>();
    StderrReporter reporter;
    session->frameBytes.SetReporter(&reporter);
    if (o.haveLocale) {
        auto s = RegionalSettingsNamed(o.locale);
        if (!s) return UsageError("unknown locale " + o.locale);
        session->regional = *s;
    } else {
        session->regional = SystemRegionalSettings();
    }

    if (!o.connect.empty() || !o.serial.empty()) {
        LinkSettings link;
        if (!o.connect.empty()) SplitHostPort(o.connect, link.host, link.port);  // checked with the options
        if (!o.serial.empty()) SplitDeviceBaud(o.serial, link.device, link.baud);
        link.reconnect = o.reconnect;
        link.seconds = o.seconds;
        session->kissStream = o.kissStream;
        std::string dir = o.recordDir.empty() ? paths.dataDir : o.recordDir;
        if (dir.back() != '/') dir.push_back('/');
        if (std::string error; paths.userFolders && o.recordDir.empty() && !EnsureFolder(dir, error)) {
            std::cerr << "kelvanor-cli: cannot create " << dir << ": " << error << "\n";
            return 1;
        }
        link.recordDir = dir;
        std::unique_ptr<ArchiveTap> tap;
        if (!o.archive.empty() && (tap = OpenArchiveForAdding(o.archive))) {
            session->tap = tap.get();
            session->liveSource = link.Name();
        }
        const auto forwarder = StartForwarding(o.sids, dir, link, stdout);
        std::string error;
        int status = RunLiveClient(*session, link, stdout, error);
        // What is still queued goes while the servers take it (until 5 s
        // pass without a frame done); the rest waits for the next run.
        if (forwarder) forwarder->WaitIdle(std::chrono::seconds(5));
        if (status != 0) std::cerr << "kelvanor-cli: " << error << "\n";
        if (!o.csv.empty()) {
            std::string werror;
            if (!WriteWholeFile(o.csv, CsvText(*session), werror)) {
                std::cerr << "kelvanor-cli: cannot write " << o.csv << ": " << werror << "\n";
                status = 1;
            }
        }
        if (!FinishStandardOutput()) status = 1;
        return status;
    }

    // One selection, as the window imports it: the reset, then every file.
    // Each file is read with the reader its name calls for.
    int status = 0;
    ResetBeforeImport(*session);
    ImportHooks hooks;
    if (!o.archive.empty() && o.files.empty()) {
        // A range of the archive instead of files.
        std::string error;
        std::unique_ptr<Archive> archive = Archive::Open(o.archive, false, error);
        if (archive == nullptr) {
            std::cerr << "kelvanor-cli: archive " << error << "\n";
            return 1;
        }
        const RangeLoad load = LoadArchiveRange(*session, *archive, o.range, hooks);
        if (!load.error.empty()) status = 1;
        std::cerr << "kelvanor-cli: " << load.Summary(o.archive) << "\n";
    }
    std::unique_ptr<ArchiveTap> tap;
    if (!o.archive.empty() && !o.files.empty()) {
        tap = OpenArchiveForAdding(o.archive);
        if (tap == nullptr) status = 1;
        session->tap = tap.get();
    }
    {
        std::unique_ptr<ProgressLine> progress;
        if (tap != nullptr) progress = std::make_unique<ProgressLine>(*tap, o.files.size());
        for (const std::string& path : o.files) {
            for (const ImportProblem& p : ImportFiles(*session, {path}, KindOfPath(path), hooks)) {
                std::cerr << "kelvanor-cli: cannot read " << p.path << ": " << p.reason << "\n";
                status = 1;
            }
            if (progress != nullptr) {
                // Years of recordings: the log keeps what a full store shows.
                TrimFrameLog(session->frameLog, kKeptLogBytes);
                progress->FileDone();
            }
        }
    }
    if (tap != nullptr && !tap->Working()) status = 1;

    if (o.haveRecord) {
        if (o.record < 1 || o.record > session->RecordCount()) {
            return UsageError("--record " + std::to_string(o.record) + " is outside 1.." +
                              std::to_string(session->RecordCount()));
        }
        ScrollTo(*session, static_cast<int>(o.record));
    }

    auto write = [&](const std::string& path, const std::string& text) {
        std::string error;
        if (!WriteWholeFile(path, text, error)) {
            std::cerr << "kelvanor-cli: cannot write " << path << ": " << error << "\n";
            status = 1;
        }
    };
    if (!o.csv.empty()) write(o.csv, CsvText(*session));
    if (!o.tlm.empty()) write(o.tlm, TlmText(session->labels, session->display));

    if (o.print) {
        std::string out;
        for (const ChannelInfo& c : ChannelTable()) {
            out.append(std::to_string(c.number)).push_back(';');
            out.append(session->labels.name[c.number]).push_back(';');
            out.append(session->display.value[c.number]).push_back(';');
            out.append(session->labels.unit[c.number]).push_back('\n');
        }
        out.append(session->display.obcCaption).push_back('\n');
        out.append(session->display.rxCaption).push_back('\n');
        WriteOut(out);
    }
    if (o.log) WriteOut(session->frameLog);
    if (o.checkLimits) {
        const std::string path = o.limits.empty() ? paths.limitsIni : o.limits;
        LimitSet limits;
        if (!ReadLimitsFile(path, limits)) {
            std::cerr << "kelvanor-cli: cannot read " << path << ": no such file\n";
            status = 1;
        } else {
            if (!limits.problems.empty())
                std::cerr << "kelvanor-cli: " << limits.ProblemText(path) << "\n";
            if (!limits.problems.empty() && limits.problems[0].line == 0) status = 1;  // unreadable
            if (CheckLimits(*session, limits)) status = 3;
        }
    }
    if (!FinishStandardOutput() && status != 3) status = 1;
    return status;
}

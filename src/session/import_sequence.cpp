#include "session/import_sequence.h"

#include <cctype>
#include <filesystem>

#include "acquire/file_io.h"
#include "acquire/frame_tap.h"
#include "acquire/kiss_file_reader.h"
#include "session/handlers.h"
#include "session/session.h"

namespace kelvanor {

void ResetBeforeImport(Session& session) {
    InitChannelLabels(session.labels);
    session.display.ClearValues();
    session.records.Reset();
    session.frameLog.clear();
}

void RefreshAfterFile(Session& session) {
    Option1_Click(session, 0);
    HScroll1_Change(session);
}

ImportKind KindOfPath(const std::string& path) {
    if (path.size() >= 4) {
        std::string ext = path.substr(path.size() - 4);
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".kss") return ImportKind::KissRecording;
    }
    return ImportKind::SatnogsLog;
}

namespace {

// Makes room in the frame log for the lines a file can add (a recording's
// 237-byte entry logs a 432-byte line, a log's 421-byte line about as many),
// so that the log is never copied to a larger buffer in the middle of a big
// import, which would block the window for as long as the copy takes.
void ReserveLogFor(Session& session, const std::string& path, ImportKind kind) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return;
    const std::uintmax_t lines = kind == ImportKind::KissRecording ? size / 237 + 1 : size / 421 + 1;
    session.frameLog.reserve(session.frameLog.size() + static_cast<std::size_t>(lines * 432 + 256));
}

}  // namespace

std::vector<ImportProblem> ImportFiles(Session& session, const std::vector<std::string>& paths,
                                       ImportKind kind, ImportHooks& hooks, bool normaliseOnDisk) {
    std::vector<ImportProblem> problems;
    for (const std::string& path : paths) {
        session.currentFileName = path;
        session.statusText = path;
        hooks.ProcessPendingEvents();
        ReserveLogFor(session, path, kind);
        if (session.tap != nullptr) session.tap->BeginSource(path);
        std::string error;
        bool read;
        if (kind == ImportKind::KissRecording) {
            read = ReadKissFile(session.Road(), path, error, &hooks);
        } else {
            std::string contents;
            read = ReadWholeFile(path, contents, error, [&hooks] { hooks.ProcessPendingEvents(); });
            if (read) {
                if (NormaliseLineEnds(contents) && normaliseOnDisk) {
                    std::string rewriteError;
                    if (!ReplaceFileAtomically(path, contents, rewriteError)) {
                        problems.push_back({path, "could not rewrite with CR LF: " + rewriteError});
                    }
                }
                ReadSatnogsText(session.Road(), contents, hooks);
            }
        }
        if (session.tap != nullptr) session.tap->EndSource();
        if (!read) problems.push_back({path, error});
        hooks.SetBusy(false);
        RefreshAfterFile(session);
    }
    return problems;
}

}  // namespace kelvanor

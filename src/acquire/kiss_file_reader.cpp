#include "acquire/kiss_file_reader.h"

#include "acquire/file_io.h"
#include "acquire/frame_roads.h"
#include "acquire/kiss_framing.h"
#include "acquire/satnogs_reader.h"

namespace kelvanor {

int ReadKissBytes(const FrameRoad& road, std::string_view contents, ImportHooks* hooks) {
    int stored = 0;
    unsigned pieces = 0;
    std::size_t start = contents.find(kFend);
    if (start == std::string_view::npos) return 0;
    std::string frame;
    while (true) {
        const std::size_t next = contents.find(kFend, start + 1);
        if (next == std::string_view::npos) break;  // bytes after the last FEND
        const std::string_view piece = contents.substr(start + 1, next - start - 1);
        if (hooks != nullptr && ++pieces % 100 == 0) hooks->ProcessPendingEvents();
        if (!piece.empty()) {
            KissUnescapeInto(piece, frame);
            if (HandleRecordingPiece(road, frame, start + 1)) ++stored;
        }
        start = next;
    }
    return stored;
}

bool ReadKissFile(const FrameRoad& road, const std::string& path, std::string& error,
                  ImportHooks* hooks) {
    std::string contents;
    std::function<void()> events;
    if (hooks != nullptr) events = [hooks] { hooks->ProcessPendingEvents(); };
    if (!ReadWholeFile(path, contents, error, events)) return false;
    ReadKissBytes(road, contents, hooks);
    return true;
}

}  // namespace kelvanor

#include "archive/archive_load.h"

#include <vector>

#include "acquire/frame_roads.h"
#include "acquire/kiss_framing.h"
#include "acquire/satnogs_reader.h"
#include "acquire/utc_clock.h"
#include "decode/regional_settings.h"
#include "session/import_sequence.h"
#include "session/session.h"

namespace kelvanor {

std::string UtcSecondsText(std::int64_t ms) { return UtcTextOfMilliseconds(ms).substr(0, 19); }

std::string RxTimestampText(std::int64_t rxMs, RxTimeForm form, const RegionalSettings& regional) {
    switch (form) {
        case RxTimeForm::Satnogs:
            return UtcSecondsText(rxMs);
        case RxTimeForm::Numeric:
            return NumericTimestampText(static_cast<unsigned long long>(rxMs), regional);
        case RxTimeForm::Recorder:
            break;
    }
    return UtcTextOfMilliseconds(rxMs) + " UTC";
}

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
    const bool iso = text.size() == 20 && text[10] == 'T' && text[19] == 'Z';
    const bool plain = text.size() == 19 && text[10] == ' ';
    if (!iso && !plain) return std::nullopt;
    return UtcMilliseconds(text.substr(0, 19));
}

std::string RangeLoad::Summary(const std::string& archivePath) const {
    if (!error.empty()) return "archive range not loaded: " + error;
    std::string text = std::to_string(loaded) + " beacons loaded from " + archivePath;
    if (more) text += "; the range holds more, the newest " + std::to_string(loaded) + " are shown";
    return text;
}

RangeLoad LoadArchiveRange(Session& session, Archive& archive, const TimeRange& range,
                           ImportHooks& hooks) {
    RangeLoad result;
    std::vector<ArchivedBeacon> beacons;
    ResetBeforeImport(session);
    hooks.SetBusy(true);
    if (archive.NewestBeacons(range, kLargestRangeLoad, beacons, result.more, result.error)) {
        session.currentFileName = archive.Path();
        for (const ArchivedBeacon& b : beacons) {
            session.currentRxTimestamp = RxTimestampText(b.rxMs, b.form, session.regional);
            session.currentHexText.clear();
            AppendHex(session.currentHexText,
                      std::string_view(b.bytes).substr(b.bytes.empty() ? 0 : 1));
            DecodeBeacon(session, b.bytes);
            if (++result.loaded % 1000 == 0) {
                session.counterText =
                    std::to_string(result.loaded) + " / " + std::to_string(beacons.size());
                hooks.ProcessPendingEvents();
            }
        }
    }
    hooks.SetBusy(false);
    RefreshAfterFile(session);
    session.statusText = result.Summary(archive.Path());
    return result;
}

}  // namespace kelvanor

#include "session/session.h"

namespace kelvanor {

FrameRoad Session::Road() {
    return FrameRoad{frameBytes,        records,     frameLog, currentRxTimestamp,
                     currentHexText,    counterText, regional,
                     [this](std::int32_t count) { scroll.SetMaximum(count); }, tap};
}

DecodeResult DecodeBeacon(Session& session, std::string_view frame) { return session.Road().Decode(frame); }

}  // namespace kelvanor

#include "session/session.h"

namespace kelvanor {

DecodeResult DecodeBeacon(Session& session, std::string_view frame) {
    return DecodeBeacon(DecodeTarget{session.frameBytes, session.records, session.frameLog,
                                     session.currentRxTimestamp, session.currentHexText,
                                     session.regional,
                                     [&session](std::int32_t count) { session.scroll.SetMaximum(count); }},
                        frame);
}

}  // namespace kelvanor

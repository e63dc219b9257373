#include "acquire/kiss_stream.h"

#include "acquire/frame_roads.h"
#include "acquire/frame_tap.h"
#include "acquire/kiss_framing.h"
#include "acquire/utc_clock.h"
#include "decode/beacon_encoder.h"

namespace kelvanor {

namespace {

// The UTC text of a stamp the stream sent: the numeric form's milliseconds
// (empty past the end of the year 9999), or the text form's first 23
// characters.
std::string StampUtc(std::string_view record, const std::string& stampText) {
    if (record.size() != 9) return stampText.substr(0, 23);
    const auto ms = NumericTimestampMs(record);
    return ms ? UtcTextOfMilliseconds(static_cast<long long>(*ms)) : std::string();
}

}  // namespace

void KissStream::Reset() {
    m_piece.clear();
    m_seenFend = false;
    m_dropping = false;
    m_stamp.clear();
    m_stampUtc.clear();
    m_stamped = false;
    m_stampWaits = false;
}

KissStream::Cut KissStream::Feed(const FrameRoad& road, std::string_view bytes,
                                 const UtcClock& clock) {
    Cut cut;
    for (char c : bytes) {
        if (c == kFend) {
            if (m_seenFend && !m_dropping && !m_piece.empty())
                HandlePiece(road, m_piece, clock, cut);
            m_piece.clear();
            m_seenFend = true;
            m_dropping = false;
        } else if (m_seenFend && !m_dropping) {
            m_piece.push_back(c);
            if (m_piece.size() > kLongestPiece) {
                m_piece.clear();
                m_dropping = true;
            }
        }
    }
    return cut;
}

void KissStream::HandlePiece(const FrameRoad& road, std::string_view piece, const UtcClock& clock,
                             Cut& cut) {
    KissUnescapeInto(piece, m_frame);
    if (m_frame.empty()) return;
    if (m_frame[0] == kTimestampCommand) {
        // Read into the stream's own stamp; a record that names no time
        // leaves the stamp as it was.
        std::string stamp = m_stamp;
        const FrameRoad stampRoad{road.frameBytes, road.records,    road.frameLog,
                                  stamp,           road.hexText,    road.counterText,
                                  road.regional,   road.upperBound, road.tap};
        HandleTimestampRecord(stampRoad, m_frame);
        if (stamp != m_stamp) {
            m_stamp = std::move(stamp);
            m_stampUtc = StampUtc(m_frame, m_stamp);
            m_stamped = true;
        }
        m_stampWaits = true;
        return;
    }
    m_stampWaits = false;
    ++cut.frames;
    road.hexText.clear();
    AppendHex(road.hexText, std::string_view(m_frame).substr(1));
    std::string utc = m_stamped ? m_stampUtc : UtcNowText(clock);
    road.rxTimestamp = m_stamped ? m_stamp : utc + " UTC";
    const bool beacon = m_frame.size() == static_cast<std::size_t>(kBeaconLength) &&
                        m_frame[0] == '\0' && HasBeaconAddress(m_frame);
    if (!beacon) {
        TapFrame(road, m_frame, false, 0);
        return;
    }
    const DecodeResult result = road.Decode(m_frame);
    TapFrame(road, m_frame, true, 0);
    if (!result.Stored()) return;
    cut.records.push_back(result.record);
    cut.beacons.push_back({m_frame, std::move(utc)});
}

}  // namespace kelvanor

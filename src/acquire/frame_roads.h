#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "decode/beacon_decoder.h"

namespace kelvanor {

class FrameTap;

// What every acquisition road writes: the decoder's state, the two current
// texts it sets before each decoding, and the counter text a long import
// shows its progress in. The session hands out one over its own state.
struct FrameRoad {
    FrameBytes& frameBytes;
    RecordStore& records;
    std::string& frameLog;
    std::string& rxTimestamp;  // the current RX timestamp
    std::string& hexText;      // the current hex text
    std::string& counterText;
    const RegionalSettings& regional;
    std::function<void(std::int32_t)> upperBound;  // the browser's scroll range
    FrameTap* tap = nullptr;                       // told of every frame taken, when set

    // Decodes `frame` with the current texts.
    DecodeResult Decode(std::string_view frame) const {
        return DecodeBeacon({frameBytes, records, frameLog, rxTimestamp, hexText, regional, upperBound}, frame);
    }
};

// The address field of every KELVANOR beacon, compared case-sensitively.
bool HasBeaconAddress(std::string_view frame);

// Handles a timestamp record (command byte 0x09) of a recording: the text
// form sets the current RX timestamp from the 27 characters ending in "UTC",
// the numeric form (exactly 9 bytes) from its big-endian millisecond count.
void HandleTimestampRecord(const FrameRoad& road, std::string_view record);

// The milliseconds since 1970 that a numeric timestamp record (0x09 and 8
// bytes, big-endian) holds; nothing for another record, or for a count past
// the end of the year 9999, which names no date.
std::optional<unsigned long long> NumericTimestampMs(std::string_view record);

// One un-escaped piece of a recording file: a timestamp record, or a data
// frame whose hex text becomes current and which is decoded when it is a
// 201-byte beacon with the beacon address. Returns true when it was decoded.
// `position` (the piece's offset in its file) goes to the road's tap.
bool HandleRecordingPiece(const FrameRoad& road, std::string_view frame,
                          std::uint64_t position = 0);

// The general date-and-time text of a numeric timestamp: milliseconds since
// 1970 as regional short date, blank, long time, ".", three digits, " UTC".
std::string NumericTimestampText(unsigned long long milliseconds, const RegionalSettings& regional);

}  // namespace kelvanor

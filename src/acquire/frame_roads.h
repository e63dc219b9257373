#pragma once

#include <string_view>

#include "decode/beacon_decoder.h"

namespace kelvanor {

struct Session;

// The address field of every KELVANOR beacon, compared case-sensitively.
bool HasBeaconAddress(std::string_view frame);

// Handles a timestamp record (command byte 0x09) of a recording: the text
// form sets the current RX timestamp from the 27 characters ending in "UTC",
// the numeric form (exactly 9 bytes) from its big-endian millisecond count.
void HandleTimestampRecord(Session& session, std::string_view record);

// One un-escaped piece of a recording file: a timestamp record, or a data
// frame whose hex text becomes current and which is decoded when it is a
// 201-byte beacon with the beacon address. Returns true when it was decoded.
bool HandleRecordingPiece(Session& session, std::string_view frame);

// The general date-and-time text of a numeric timestamp: milliseconds since
// 1970 as regional short date, blank, long time, ".", three digits, " UTC".
std::string NumericTimestampText(unsigned long long milliseconds, const Session& session);

}  // namespace kelvanor

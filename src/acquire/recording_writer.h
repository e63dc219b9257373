#pragma once

#include <string>
#include <string_view>

#include "decode/regional_settings.h"

namespace kelvanor {

// The timestamp record that goes before every recorded chunk: FEND, 0x09,
// the 27-character reception time ("2021-02-04 12:54:56.123 UTC"), FEND.
std::string TimestampRecord(std::string_view rxTimestamp);

// The numeric form of a timestamp record, as a KISS server may send it
// before a frame: 0x09 and the milliseconds since 1970 in 8 bytes, big-endian,
// as one escaped KISS frame.
std::string NumericTimestampRecord(long long milliseconds);

// What the recorder appends for one received chunk: the timestamp record,
// then the chunk exactly as received.
std::string RecordingEntry(std::string_view rxTimestamp, std::string_view chunk);

// The day's recording file name for a UTC date: "yyyy-MM-dd_kelvanor.kss".
std::string RecordingFileName(int year, int month, int day);

}  // namespace kelvanor

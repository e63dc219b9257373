#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvanor {

struct FieldSpec;
struct RegionalSettings;
class FrameBytes;
class RecordStore;

enum class DecodeStatus {
    Stored,              // every channel written
    FrameTooLong,        // more than 255 bytes: the first 255 loaded, nothing else done
    StoreFull,           // 10000 records already: log line written, nothing stored
    ObcTimeInvalid,      // channels 0 and 1 written; ObcTime and 2..117 untouched
    BatteryVoltageHigh,  // 32768 mV or more: channels 5..117 untouched
    ThermistorInvalid,   // count outside 1..4095 or voltage 0: this and later channels untouched
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::Stored;
    int record = 0;          // the record written, 0 when none
    int failedChannel = -1;  // the channel where decoding stopped

    bool Stored() const { return status == DecodeStatus::Stored; }
};

const char* DescribeStatus(DecodeStatus status);

// The raw number of one layout field as the decoder reads it from `frame`,
// before any conversion.
double ReadField(const FrameBytes& frame, const FieldSpec& field);

// What one decoding reads and writes; the caller owns all of it.
struct DecodeTarget {
    FrameBytes& frameBytes;
    RecordStore& records;
    std::string& frameLog;
    std::string_view rxTimestamp;  // stamped on the record and its log line
    std::string_view hexText;      // the frame after its command byte, for the log line
    const RegionalSettings& regional;
    // Told the record count whenever the store's upper bound may have moved
    // (the browser's scroll range follows it); may be empty.
    std::function<void(std::int32_t)> upperBound;
};

// Decodes one beacon frame (command byte at offset 0, 201 to 255 bytes) into
// the next record of the store, stamped with the RX timestamp, after writing
// its line to the frame log. A failure ends the decoding where it happens:
// what was written stays, the channels not reached keep what the slot held.
// The display is not refreshed.
DecodeResult DecodeBeacon(const DecodeTarget& target, std::string_view frame);

}  // namespace kelvanor

#pragma once

#include <string_view>

namespace kelvanor {

struct Session;
struct FieldSpec;
class FrameBytes;

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

// Decodes one beacon frame (command byte at offset 0, 201 to 255 bytes) into
// the next record of the session's store, stamped with the current RX
// timestamp, after writing its line to the frame log. A failure ends the
// decoding where it happens: what was written stays, the channels not reached
// keep what the slot held. The display is not refreshed.
DecodeResult DecodeBeacon(Session& session, std::string_view frame);

}  // namespace kelvanor

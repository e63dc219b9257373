#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "decode/record_store.h"
#include "decode/regional_settings.h"

namespace kelvanor {

enum class PresentationRule { Enumeration, Boolean, BitText, TwoDecimals, Hexadecimal, NumberText };

PresentationRule RuleOf(int channel);

// What the record display shows: the 118 value-box texts and the two
// timestamp lines under the channel pages.
struct RecordDisplay {
    std::array<std::string, kChannelCount> value;
    std::string obcCaption;  // "OBC Timestamp: " + ObcTime
    std::string rxCaption;   // "RX Timestamp: " + RxTime
    long long shownRecord = 0;  // the record last shown; 0 after ClearValues
    unsigned long shows = 0;    // counts every ShowRecord that showed a record

    // Empties the 118 boxes; they no longer show any record.
    void ClearValues();
};

// The state word of an enumeration channel's code, or nullptr when the code
// is not listed (the box then keeps its text).
const char* EnumerationText(int channel, double value);

// Eight "1"/"0" characters, most significant bit first.
std::string ByteToBits(std::uint8_t b);

// Writes the text that channel `channel`'s rule gives for `value` into `out`,
// or leaves `out` alone when the rule gives no text (unlisted code, bit value
// outside 0..255, hex value outside 32 bits): the box keeps its last text.
void PresentValue(int channel, double value, const RegionalSettings& settings, std::string& out);

// Shows record n: every channel's text, then the two timestamp lines. A
// record number outside 1..10000 changes nothing. The record is shown
// whether or not it lies within the current record count.
void ShowRecord(const RecordStore& records, long long n, const RegionalSettings& settings,
                RecordDisplay& display);

inline constexpr const char* kObcCaptionPrefix = "OBC Timestamp: ";
inline constexpr const char* kRxCaptionPrefix = "RX Timestamp: ";

}  // namespace kelvanor

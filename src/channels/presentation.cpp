#include "channels/presentation.h"

#include <cmath>

#include "decode/number_text.h"

namespace kelvanor {

PresentationRule RuleOf(int channel) {
    switch (channel) {
        case 2: case 11: case 12: case 14: case 15: case 28: case 40: case 42: case 46: case 98:
        case 99:
            return PresentationRule::Enumeration;
        case 4: case 6: case 7: case 8: case 9: case 10: case 13: case 16:
            return PresentationRule::Boolean;
        case 17: case 18:
            return PresentationRule::BitText;
        case 94:
            return PresentationRule::Hexadecimal;
        default: break;
    }
    if (channel >= 29 && channel <= 36) return PresentationRule::Boolean;
    if ((channel >= 47 && channel <= 54) || (channel >= 105 && channel <= 117)) {
        return PresentationRule::TwoDecimals;
    }
    return PresentationRule::NumberText;
}

void RecordDisplay::ClearValues() {
    for (std::string& s : value) s.clear();
    shownRecord = 0;
}

std::string ByteToBits(std::uint8_t b) {
    std::string text;
    text.reserve(8);
    for (unsigned mask = 128; mask != 0; mask /= 2) text.push_back((b & mask) ? '1' : '0');
    return text;
}

namespace {

// Nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v) { return std::nearbyint(v); }

void HexText(double value, std::string& out) {
    double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return;
    auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(r));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buf[8];
    int n = 0;
    do {
        buf[n++] = kDigits[bits & 0xF];
        bits >>= 4;
    } while (bits != 0);
    out.clear();
    while (n > 0) out.push_back(buf[--n]);
}

}  // namespace

void PresentValue(int channel, double value, const RegionalSettings& settings, std::string& out) {
    switch (RuleOf(channel)) {
        case PresentationRule::Enumeration: {
            const char* text = EnumerationText(channel, value);
            if (text != nullptr) out.assign(text);
            return;
        }
        case PresentationRule::Boolean:
            out.assign(value != 0 ? "True" : "False");
            return;
        case PresentationRule::BitText: {
            double r = RoundHalfEven(value);
            if (r >= 0 && r <= 255) out = ByteToBits(static_cast<std::uint8_t>(r));
            return;
        }
        case PresentationRule::TwoDecimals:
            out.clear();
            AppendTwoDecimals(out, value, settings.decimalSeparator);
            return;
        case PresentationRule::Hexadecimal: HexText(value, out); return;
        case PresentationRule::NumberText:
            out.clear();
            AppendNumberText(out, value, settings.decimalSeparator);
            return;
    }
}

void ShowRecord(const RecordStore& records, long long n, const RegionalSettings& settings,
                RecordDisplay& display) {
    if (!RecordStore::IsSlot(n)) return;
    const BeaconRecord& record = records.Record(static_cast<int>(n));
    for (int c = 0; c < kChannelCount; ++c) {
        PresentValue(c, record.Values[static_cast<std::size_t>(c)], settings,
                     display.value[static_cast<std::size_t>(c)]);
    }
    display.obcCaption.assign(kObcCaptionPrefix).append(record.ObcTime);
    display.rxCaption.assign(kRxCaptionPrefix).append(record.RxTime);
    display.shownRecord = n;
    ++display.shows;
}

}  // namespace kelvanor

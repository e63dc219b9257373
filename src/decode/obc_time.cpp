#include "decode/obc_time.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "decode/number_text.h"

namespace kelvanor {

namespace {

// Both parts of a number's 15-significant-digit text ("." as the point).
struct Parts {
    std::optional<std::int32_t> whole;
    double fraction = 0;
};

Parts PartsOf(double number) {
    Parts parts;
    if (!std::isfinite(number)) return parts;
    char text[kNumberTextMax + 2];
    const std::size_t length = WriteNumberText(text + 1, number, '.');
    const char* begin = text + 1;
    const char* end = begin + length;
    if (std::memchr(begin, 'E', length) != nullptr) {
        // The "E" form: below 1E-04 the whole part is 0 and the fraction the
        // number's size; from 1E+15 up the whole part cannot fit 32 bits.
        // (The digits before its "." are a mantissa, not a whole part.)
        if (std::fabs(number) < 1) {
            parts.whole = 0;
            parts.fraction = std::fabs(number);
        }
        return parts;
    }
    const char* dot = static_cast<const char*>(std::memchr(begin, '.', length));
    // The number text always has a digit before its "." ("0.5", "-0.5").
    const char* wholeEnd = dot ? dot : end;
    std::int32_t value = 0;
    auto res = std::from_chars(begin, wholeEnd, value);
    if (res.ec == std::errc() && res.ptr == wholeEnd) parts.whole = value;
    if (dot != nullptr) {
        // from_chars wants a digit first: read "0" + ".ddd".
        char* zero = const_cast<char*>(dot) - 1;
        *zero = '0';
        std::from_chars(zero, end, parts.fraction);
    }
    return parts;
}

}  // namespace

std::optional<std::int32_t> WholePart(double number) { return PartsOf(number).whole; }

double FractionPart(double number) { return PartsOf(number).fraction; }

std::optional<CivilDateTime> ObcDateTime(double dayNumber) {
    const Parts day = PartsOf(dayNumber);
    if (!day.whole) return std::nullopt;
    double H = (day.fraction * 86400 + 43200) / 3600;
    long long n;
    if (H >= 24) {
        H -= 24;
        n = *day.whole;
    } else {
        n = static_cast<long long>(*day.whole) - 1;
    }
    CivilDateTime dt;
    CivilFromDays(DaysFromCivil(2000, 1, 1) + n, dt.year, dt.month, dt.day);
    if (dt.year < 100 || dt.year > 9999) return std::nullopt;

    const Parts hours = PartsOf(H);
    const double M = hours.fraction * 60;
    const Parts minutes = PartsOf(M);
    const double S = minutes.fraction * 60;
    const Parts seconds = PartsOf(S);
    if (!hours.whole || !minutes.whole || !seconds.whole) return std::nullopt;
    // The cut can round an hour just below 24 up to 24 (only for day numbers
    // below 1, whose fraction keeps 15 decimals): that is no time of day.
    // Minutes and seconds cannot reach 60 this way, since their fractions
    // keep at most 15 significant digits before they are multiplied by 60.
    const int hour = *hours.whole;
    if (hour >= 24) return std::nullopt;
    dt.hour = hour;
    dt.minute = *minutes.whole;
    dt.second = *seconds.whole;
    return dt;
}

std::optional<std::string> FormatObcTime(double dayNumber, const RegionalSettings& settings) {
    auto dt = ObcDateTime(dayNumber);
    if (!dt) return std::nullopt;
    return FormatDateTime(*dt, settings);
}

}  // namespace kelvanor

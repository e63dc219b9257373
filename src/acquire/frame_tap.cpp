#include "acquire/frame_tap.h"

#include "acquire/frame_roads.h"
#include "decode/regional_settings.h"

namespace kelvanor {

namespace {

// The number in text[at, at + digits), or -1 when a character is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<std::int64_t> UtcMilliseconds(std::string_view text) {
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2),
              second = Digits(text, 17, 2);
    int milli = 0;
    if (text.size() >= 23 && text[19] == '.') milli = Digits(text, 20, 3);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59 || milli < 0) {
        return std::nullopt;
    }
    const long long days = DaysFromCivil(year, month, day);
    return ((days * 24 + hour) * 60 + minute) * 60000LL + second * 1000LL + milli;
}

void TapFrame(const FrameRoad& road, std::string_view bytes, bool beacon, std::uint64_t position) {
    if (road.tap == nullptr) return;
    TakenFrame frame{bytes, std::nullopt, RxTimeForm::Recorder, beacon, position};
    const std::string& stamp = road.rxTimestamp;
    if (!road.tap->numericText.empty() && stamp == road.tap->numericText) {
        frame.rxMs = road.tap->numericMs;
        frame.form = RxTimeForm::Numeric;
    } else {
        frame.rxMs = UtcMilliseconds(stamp);
        if (stamp.size() == 19) frame.form = RxTimeForm::Satnogs;
    }
    road.tap->Take(frame);
}

}  // namespace kelvanor

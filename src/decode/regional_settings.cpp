#include "decode/regional_settings.h"

namespace kelvanor {

RegionalSettings RegionalSettings::C() { return RegionalSettings{}; }

RegionalSettings RegionalSettings::CommaDecimal() {
    RegionalSettings s;
    s.decimalSeparator = ',';
    s.shortDatePattern = "dd.MM.yyyy";
    s.longTimePattern = "HH:mm:ss";
    return s;
}

namespace {

void AppendNumber(std::string& out, int value, int minDigits) {
    char buf[16];
    int len = 0;
    bool negative = value < 0;
    unsigned v = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        buf[len++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (len < minDigits) buf[len++] = '0';
    if (negative) out.push_back('-');
    while (len > 0) out.push_back(buf[--len]);
}

// Walks a pattern, calling `field(letter, runLength, rest)` for every run of
// a field letter (it returns how many characters it used) and copying
// literal text to `out`.
template <typename Field>
void WalkPattern(std::string& out, std::string_view pattern, std::string_view letters,
                 Field field) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c == '\'') {
            std::size_t end = pattern.find('\'', i + 1);
            if (end == std::string_view::npos) end = pattern.size();
            if (end == i + 1) {
                out.push_back('\'');  // '' is a literal quote
            } else {
                out.append(pattern.substr(i + 1, end - i - 1));
            }
            i = end + 1;
            continue;
        }
        if (letters.find(c) != std::string_view::npos) {
            std::size_t run = 1;
            while (i + run < pattern.size() && pattern[i + run] == c) ++run;
            // The field may take more than its run (the P of "AP").
            i += field(c, static_cast<int>(run), pattern.substr(i));
            continue;
        }
        out.push_back(c);
        ++i;
    }
}

}  // namespace

void AppendDate(std::string& out, const CivilDateTime& value, std::string_view pattern) {
    WalkPattern(out, pattern, "yMd", [&](char c, int run, std::string_view) {
        switch (c) {
            case 'y':
                if (run == 2) {
                    AppendNumber(out, value.year % 100, 2);
                } else {
                    AppendNumber(out, value.year, run >= 4 ? 4 : run);
                }
                break;
            case 'M': AppendNumber(out, value.month, run >= 2 ? 2 : 1); break;
            case 'd': AppendNumber(out, value.day, run >= 2 ? 2 : 1); break;
            default: break;
        }
        return static_cast<std::size_t>(run);
    });
}

void AppendTime(std::string& out, const CivilDateTime& value, std::string_view pattern) {
    // "h" counts 12 hours only beside a day-half mark.
    const bool twelveHour =
        pattern.find("AP") != std::string_view::npos || pattern.find("ap") != std::string_view::npos;
    WalkPattern(out, pattern, "HhmsAat", [&](char c, int run, std::string_view rest) {
        switch (c) {
            case 'H': AppendNumber(out, value.hour, run >= 2 ? 2 : 1); break;
            case 'h': {
                int h = value.hour;
                if (twelveHour) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                AppendNumber(out, h, run >= 2 ? 2 : 1);
                break;
            }
            case 'm': AppendNumber(out, value.minute, run >= 2 ? 2 : 1); break;
            case 's': AppendNumber(out, value.second, run >= 2 ? 2 : 1); break;
            case 'A':
            case 'a': {
                // "AP"/"ap" is the day-half mark; a lone A or a is literal.
                if (run == 1 && rest.size() >= 2 && (rest[1] == 'P' || rest[1] == 'p')) {
                    bool pm = value.hour >= 12;
                    if (c == 'A') {
                        out.append(pm ? "PM" : "AM");
                    } else {
                        out.append(pm ? "pm" : "am");
                    }
                    return std::size_t{2};
                }
                out.append(static_cast<std::size_t>(run), c);
                break;
            }
            case 't': break;
            default: break;
        }
        return static_cast<std::size_t>(run);
    });
    // Trim a blank left over by a dropped time-zone mark.
    while (!out.empty() && out.back() == ' ' && !pattern.empty() && pattern.back() == 't') {
        out.pop_back();
    }
}

std::string FormatDateTime(const CivilDateTime& value, const RegionalSettings& settings) {
    std::string out;
    out.reserve(24);
    AppendDate(out, value, settings.shortDatePattern);
    out.push_back(' ');
    AppendTime(out, value, settings.longTimePattern);
    return out;
}

// Howard Hinnant's days-from-civil algorithm.
long long DaysFromCivil(int year, int month, int day) {
    long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long mp = (month + 9) % 12;
    long long doy = (153 * mp + 2) / 5 + day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

}  // namespace kelvanor

#pragma once

#include <string>
#include <string_view>

namespace kelvanor {

// A calendar date and a time of day, as the on-board clock text and the
// receive-time texts need them. No time zone is attached.
struct CivilDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The user's regional number, date and time forms. The programs fill it from
// the platform locale; the core only ever reads it. Patterns use the letters
// y, M, d (date) and H, h, m, s, AP/ap (time); text in single quotes and any
// other character are copied as they stand. A 't' (time-zone mark) writes
// nothing, since the program's clock texts carry no zone.
struct RegionalSettings {
    char decimalSeparator = '.';
    std::string shortDatePattern = "yyyy-MM-dd";
    std::string longTimePattern = "HH:mm:ss";

    // The neutral settings: ".", yyyy-MM-dd and 24-hour HH:mm:ss.
    static RegionalSettings C();
    // A typical comma-decimal, day-month-year setting: ",", dd.MM.yyyy, HH:mm:ss.
    static RegionalSettings CommaDecimal();
};

// Appends the date part of `value` written with `pattern`.
void AppendDate(std::string& out, const CivilDateTime& value, std::string_view pattern);
// Appends the time-of-day part of `value` written with `pattern`.
void AppendTime(std::string& out, const CivilDateTime& value, std::string_view pattern);

// Short date, one blank, long time: the general date-and-time text.
std::string FormatDateTime(const CivilDateTime& value, const RegionalSettings& settings);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long DaysFromCivil(int year, int month, int day);
void CivilFromDays(long long days, int& year, int& month, int& day);

}  // namespace kelvanor

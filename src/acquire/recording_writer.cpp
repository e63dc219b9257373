#include "acquire/recording_writer.h"

#include "acquire/kiss_framing.h"

namespace kelvanor {

std::string TimestampRecord(std::string_view rxTimestamp) {
    std::string out;
    out.reserve(rxTimestamp.size() + 3);
    out.push_back(kFend);
    out.push_back(kTimestampCommand);
    out.append(rxTimestamp);
    out.push_back(kFend);
    return out;
}

std::string NumericTimestampRecord(long long milliseconds) {
    std::string record(1, kTimestampCommand);
    for (int shift = 56; shift >= 0; shift -= 8)
        record.push_back(static_cast<char>(static_cast<unsigned long long>(milliseconds) >> shift));
    return KissFrame(record);
}

std::string RecordingEntry(std::string_view rxTimestamp, std::string_view chunk) {
    std::string out = TimestampRecord(rxTimestamp);
    out.append(chunk);
    return out;
}

std::string RecordingFileName(int year, int month, int day) {
    std::string out;
    CivilDateTime d;
    d.year = year;
    d.month = month;
    d.day = day;
    AppendDate(out, d, "yyyy-MM-dd");
    out.append("_kelvanor.kss");
    return out;
}

}  // namespace kelvanor

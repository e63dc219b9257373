#pragma once

#include <string>
#include <vector>

namespace kelvanor::testing {

// Whether a timestamp record (FEND, 0x09, "yyyy-MM-dd HH:mm:ss.mmm UTC",
// FEND) starts at `at`.
inline bool IsTimestampRecordAt(const std::string& s, std::size_t at) {
    return at + 30 <= s.size() && s[at] == '\xC0' && s[at + 1] == '\x09' && s[at + 29] == '\xC0' &&
           s.compare(at + 25, 4, " UTC") == 0;
}

// The chunks of a live recording, each as received, in order: what lies
// between one timestamp record and the next. `rest` gets the bytes left
// when the recording does not start with a timestamp record.
inline std::vector<std::string> RecordedChunks(const std::string& s, std::size_t* rest = nullptr) {
    std::vector<std::string> chunks;
    std::size_t at = 0;
    while (IsTimestampRecordAt(s, at)) {
        std::size_t next = at + 30;
        while (next < s.size() && !IsTimestampRecordAt(s, next)) ++next;
        chunks.push_back(s.substr(at + 30, next - at - 30));
        at = next;
    }
    if (rest != nullptr) *rest = s.size() - at;
    return chunks;
}

}  // namespace kelvanor::testing

#include "acquire/satnogs_reader.h"

#include <algorithm>

#include "acquire/file_io.h"
#include "acquire/frame_roads.h"
#include "acquire/frame_tap.h"

namespace kelvanor {

namespace {

struct HexDigits {
    signed char value[256];
    constexpr HexDigits() : value() {
        for (int i = 0; i < 256; ++i) value[i] = -1;
        for (int i = 0; i < 10; ++i) value['0' + i] = static_cast<signed char>(i);
        for (int i = 0; i < 6; ++i) {
            value['a' + i] = static_cast<signed char>(10 + i);
            value['A' + i] = static_cast<signed char>(10 + i);
        }
    }
};
constexpr HexDigits kHexDigits;

int HexDigit(char c) { return kHexDigits.value[static_cast<unsigned char>(c)]; }

// HexToLong of a text of one or two characters, without the general scan. A
// prefix alone ("0x", "&H") reads 0 as HexToLong reads it: "&" is no digit,
// and "0" followed by no digit is 0.
int PairValue(std::string_view pair) {
    const int high = HexDigit(pair[0]);
    if (high < 0) return 0;
    if (pair.size() == 1) return high;
    const int low = HexDigit(pair[1]);
    return low < 0 ? high : high * 16 + low;
}

}  // namespace

std::int32_t HexToLong(std::string_view text) {
    if (text.size() >= 2 && ((text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ||
                             (text[0] == '&' && (text[1] == 'h' || text[1] == 'H')))) {
        text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(value);
}

bool NormaliseLineEnds(std::string& text) {
    if (text.find("\r\n") != std::string::npos) return false;
    const std::size_t lfs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (lfs == 0) return false;
    std::string out;
    out.reserve(text.size() + lfs);  // exactly: a log of short lines is not copied twice
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    text.swap(out);
    return true;
}

namespace {

// Decodes kept entry number `entry` when its hex part converts to 201 bytes.
bool HandleEntry(const FrameRoad& road, std::size_t entry, std::size_t lineNumber,
                 std::string_view line, std::string& frame, ImportHooks& hooks) {
    if (entry % 100 == 0) {
        road.counterText = std::to_string(entry);
        hooks.ProcessPendingEvents();
    }
    road.rxTimestamp.assign(line.substr(0, 19));
    const std::string_view hex = line.size() > 20 ? line.substr(20) : std::string_view();
    // Every pair (the last one may be a single character) appended to the
    // hex text unchanged: that is the whole hex part.
    road.hexText.assign(hex);
    frame.resize(1 + (hex.size() + 1) / 2);
    char* out = frame.data();
    *out++ = '\0';
    for (std::size_t j = 0; j < hex.size(); j += 2) {
        *out++ = static_cast<char>(PairValue(hex.substr(j, 2)));
    }
    if (frame.size() != 202) return false;
    const bool stored = road.Decode(frame).Stored();
    TapFrame(road, std::string_view(frame).substr(0, 201), true, lineNumber);
    return stored;
}

}  // namespace

// The lines and the kept list are never built: a log of many short lines
// would need far more memory for them than for its text. A line is kept
// exactly when it is line 1 or differs from the line before it (a dropped
// line equals the last one kept), which both passes below test in place.
int ReadSatnogsText(const FrameRoad& road, std::string_view text, ImportHooks& hooks) {
    hooks.SetBusy(true);
    std::size_t lastLine = 0;  // N, the number of LF characters
    std::size_t kept = 0;      // K
    std::size_t lastStart = 0;
    {
        std::string_view previous;
        std::size_t start = 0;
        for (std::size_t index = 0;; ++index) {
            const std::size_t lf = text.find('\n', start);
            const std::string_view line =
                text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
            if (index == 1 || (index > 1 && line != previous)) ++kept;
            previous = line;
            if (lf == std::string_view::npos) {
                lastLine = index;
                lastStart = start;
                break;
            }
            start = lf + 1;
        }
    }
    road.frameLog.append("records from SatNOGS: ").append(std::to_string(lastLine));
    road.frameLog.append("\r\n");
    road.frameLog.append("after removing duplicates: ").append(std::to_string(kept));
    road.frameLog.append("\r\n");

    // Entries K-1 down to 1, walking the lines upwards; entry K is not handled.
    int stored = 0;
    std::string frame;
    frame.reserve(202);
    std::size_t entry = kept;
    std::size_t start = lastStart, end = text.size();
    for (std::size_t index = lastLine; index >= 1; --index) {
        const std::size_t previousEnd = start - 1;  // the LF that ends line index - 1
        const std::size_t lf = previousEnd == 0 ? std::string_view::npos : text.rfind('\n', previousEnd - 1);
        const std::size_t previousStart = lf == std::string_view::npos ? 0 : lf + 1;
        const std::string_view line = text.substr(start, end - start);
        if (index == 1 || line != text.substr(previousStart, previousEnd - previousStart)) {
            if (entry < kept && HandleEntry(road, entry, index, line, frame, hooks)) ++stored;
            --entry;
        }
        start = previousStart;
        end = previousEnd;
    }
    return stored;
}

}  // namespace kelvanor

#include "acquire/satnogs_reader.h"

#include "acquire/file_io.h"
#include "browse/scroll_state.h"
#include "decode/beacon_decoder.h"
#include "session/session.h"

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

// HexToLong of a text of one or two characters, without the general scan.
int PairValue(std::string_view pair) {
    const int high = HexDigit(pair[0]);
    if (pair.size() == 1) return high < 0 ? 0 : high;
    if ((pair[0] == '0' && (pair[1] == 'x' || pair[1] == 'X')) ||
        (pair[0] == '&' && (pair[1] == 'h' || pair[1] == 'H'))) {
        return 0;  // a prefix with no digits after it
    }
    if (high < 0) return 0;
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

std::vector<std::string_view> RemoveAdjacentDuplicates(const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> kept;
    if (lines.size() < 2) return kept;
    kept.reserve(lines.size() - 1);
    kept.push_back(lines[1]);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (lines[i] != kept.back()) kept.push_back(lines[i]);
    }
    return kept;
}

bool NormaliseLineEnds(std::string& text) {
    if (text.find("\r\n") != std::string::npos) return false;
    if (text.find('\n') == std::string::npos) return false;
    std::string out;
    out.reserve(text.size() + text.size() / 64);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    text.swap(out);
    return true;
}

int ReadSatnogsText(Session& session, std::string_view text, ImportHooks& hooks) {
    hooks.SetBusy(true);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    const std::size_t lastLine = lines.size() - 1;  // N, the number of LF characters
    session.frameLog.append("records from SatNOGS: ").append(std::to_string(lastLine));
    session.frameLog.append("\r\n");

    const std::vector<std::string_view> kept = RemoveAdjacentDuplicates(lines);
    session.frameLog.append("after removing duplicates: ").append(std::to_string(kept.size()));
    session.frameLog.append("\r\n");

    int stored = 0;
    std::string frame;
    frame.reserve(202);
    for (std::size_t i = kept.size() > 0 ? kept.size() - 1 : 0; i >= 1; --i) {
        if (i % 100 == 0) {
            session.counterText = std::to_string(i);
            hooks.ProcessPendingEvents();
        }
        const std::string_view entry = kept[i - 1];
        session.currentRxTimestamp.assign(entry.substr(0, 19));
        const std::string_view hex = entry.size() > 20 ? entry.substr(20) : std::string_view();
        // Every pair (the last one may be a single character) appended to the
        // hex text unchanged: that is the whole hex part.
        session.currentHexText.assign(hex);
        frame.resize(1 + (hex.size() + 1) / 2);
        char* out = frame.data();
        *out++ = '\0';
        for (std::size_t j = 0; j < hex.size(); j += 2) {
            *out++ = static_cast<char>(PairValue(hex.substr(j, 2)));
        }
        if (frame.size() == 202 && DecodeBeacon(session, frame).Stored()) ++stored;
    }
    return stored;
}

bool ReadSatnogsLog(Session& session, const std::string& path, ImportHooks& hooks,
                    std::string& error) {
    std::string contents;
    if (!ReadWholeFile(path, contents, error)) return false;
    ReadSatnogsText(session, contents, hooks);
    return true;
}

bool NormaliseLogFileOnDisk(const std::string& path, std::string& error) {
    std::string contents;
    if (!ReadWholeFile(path, contents, error)) return false;
    if (!NormaliseLineEnds(contents)) return true;
    return ReplaceFileAtomically(path, contents, error);
}

}  // namespace kelvanor

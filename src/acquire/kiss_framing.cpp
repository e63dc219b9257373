#include "acquire/kiss_framing.h"

namespace kelvanor {

void KissUnescapeInto(std::string_view frame, std::string& out) {
    out.clear();
    out.reserve(frame.size());
    // One pass gives what the two passes give: a FESC is taken with its
    // follower exactly when that follower is TFEND or TFESC, and neither
    // follower is itself a FESC, so no pair can hide another. Thus the
    // escaped data FESC TFEND (FESC TFESC TFEND) comes out as FESC TFEND.
    const std::size_t n = frame.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t esc = frame.find(kFesc, i);
        if (esc == std::string_view::npos) {
            out.append(frame.substr(i));
            break;
        }
        out.append(frame.substr(i, esc - i));
        if (esc + 1 < n && frame[esc + 1] == kTfend) {
            out.push_back(kFend);
            i = esc + 2;
        } else if (esc + 1 < n && frame[esc + 1] == kTfesc) {
            out.push_back(kFesc);
            i = esc + 2;
        } else {
            out.push_back(kFesc);
            i = esc + 1;
        }
    }
}

std::string KissUnescape(std::string_view frame) {
    std::string out;
    KissUnescapeInto(frame, out);
    return out;
}

std::string KissEscape(std::string_view content) {
    std::string out;
    out.reserve(content.size() + 8);
    for (char c : content) {
        if (c == kFend) {
            out.push_back(kFesc);
            out.push_back(kTfend);
        } else if (c == kFesc) {
            out.push_back(kFesc);
            out.push_back(kTfesc);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string KissFrame(std::string_view content) {
    std::string out(1, kFend);
    out.append(KissEscape(content));
    out.push_back(kFend);
    return out;
}

std::string HexByte(std::uint8_t value) {
    std::string out;
    AppendHex(out, std::string_view(reinterpret_cast<const char*>(&value), 1));
    return out;
}

void AppendHex(std::string& out, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t at = out.size();
    out.resize(at + 2 * bytes.size());
    char* o = out.data() + at;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *o++ = kDigits[b >> 4];
        *o++ = kDigits[b & 0xF];
    }
}

}  // namespace kelvanor

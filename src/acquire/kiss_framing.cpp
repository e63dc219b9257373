#include "acquire/kiss_framing.h"

namespace kelvanor {

namespace {

std::string ReplacePairs(std::string_view text, char second, char replacement) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kFesc && i + 1 < text.size() && text[i + 1] == second) {
            out.push_back(replacement);
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

std::string KissUnescape(std::string_view frame) {
    if (frame.find(kFesc) == std::string_view::npos) return std::string(frame);
    std::string once = ReplacePairs(frame, kTfend, kFend);
    return ReplacePairs(once, kTfesc, kFesc);
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
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
}

}  // namespace kelvanor

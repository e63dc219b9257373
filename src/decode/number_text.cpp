#include "decode/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kelvanor {

namespace {

bool AppendNonFinite(std::string& out, double value) {
    if (std::isnan(value)) {
        out.append("NaN");
        return true;
    }
    if (std::isinf(value)) {
        out.append(value < 0 ? "-Infinity" : "Infinity");
        return true;
    }
    return false;
}

}  // namespace

std::size_t WriteNumberText(char* out, double value, char decimalSeparator) {
    char* o = out;
    auto put = [&](const char* text) {
        while (*text != '\0') *o++ = *text++;
    };
    if (std::isnan(value)) {
        put("NaN");
        return static_cast<std::size_t>(o - out);
    }
    if (std::isinf(value)) {
        put(value < 0 ? "-Infinity" : "Infinity");
        return static_cast<std::size_t>(o - out);
    }
    if (value == 0) {
        *o++ = '0';
        return 1;
    }
    // 15 significant digits in scientific form: d.dddddddddddddde[+-]xx
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const char* p = buf;
    const char* end = res.ptr;
    bool negative = *p == '-';
    if (negative) ++p;
    char digits[15];
    int nd = 0;
    digits[nd++] = *p++;
    if (*p == '.') ++p;
    while (*p != 'e') digits[nd++] = *p++;
    ++p;  // 'e'
    int exponent = 0;
    std::from_chars(*p == '+' ? p + 1 : p, end, exponent);
    while (nd > 1 && digits[nd - 1] == '0') --nd;

    if (negative) *o++ = '-';
    if (exponent < -4 || exponent >= 15) {
        *o++ = digits[0];
        if (nd > 1) {
            *o++ = decimalSeparator;
            for (int i = 1; i < nd; ++i) *o++ = digits[i];
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        int e = exponent < 0 ? -exponent : exponent;
        if (e < 10) *o++ = '0';
        o = std::to_chars(o, out + kNumberTextMax, e).ptr;
        return static_cast<std::size_t>(o - out);
    }
    if (exponent < 0) {
        *o++ = '0';
        *o++ = decimalSeparator;
        for (int i = 0; i < -exponent - 1; ++i) *o++ = '0';
        for (int i = 0; i < nd; ++i) *o++ = digits[i];
        return static_cast<std::size_t>(o - out);
    }
    int intDigits = exponent + 1;
    for (int i = 0; i < intDigits; ++i) *o++ = i < nd ? digits[i] : '0';
    if (nd > intDigits) {
        *o++ = decimalSeparator;
        for (int i = intDigits; i < nd; ++i) *o++ = digits[i];
    }
    return static_cast<std::size_t>(o - out);
}

void AppendNumberText(std::string& out, double value, char decimalSeparator) {
    char buf[kNumberTextMax];
    out.append(buf, WriteNumberText(buf, value, decimalSeparator));
}

std::string NumberText(double value, char decimalSeparator) {
    std::string out;
    AppendNumberText(out, value, decimalSeparator);
    return out;
}

void AppendTwoDecimals(std::string& out, double value, char decimalSeparator) {
    if (AppendNonFinite(out, value)) return;
    char stackBuf[64];
    char* buf = stackBuf;
    std::string big;
    int len = std::snprintf(stackBuf, sizeof stackBuf, "%.2f", value);
    if (len >= static_cast<int>(sizeof stackBuf)) {
        big.resize(static_cast<std::size_t>(len) + 1);
        std::snprintf(big.data(), big.size(), "%.2f", value);
        buf = big.data();
    }
    const char* text = buf;
    if (text[0] == '-' && std::strcmp(text + 1, "0.00") == 0) ++text;
    for (const char* c = text; *c != '\0'; ++c) out.push_back(*c == '.' ? decimalSeparator : *c);
}

}  // namespace kelvanor

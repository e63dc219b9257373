#include "posix_locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>

namespace kelvanor {

std::string PatternFromStrftime(const std::string& format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            // Letters would read as fields: quote them.
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                out.push_back('\'');
                out.push_back(c);
                out.push_back('\'');
            } else {
                out.push_back(c);
            }
            continue;
        }
        char f = format[++i];
        while ((f == 'E' || f == 'O' || f == '-' || f == '_' || f == '0') && i + 1 < format.size()) {
            f = format[++i];
        }
        switch (f) {
            case 'd': out.append("dd"); break;
            case 'e': out.append("d"); break;
            case 'm': out.append("MM"); break;
            case 'Y': out.append("yyyy"); break;
            case 'y': out.append("yy"); break;
            case 'H': out.append("HH"); break;
            case 'k': out.append("H"); break;
            case 'I': out.append("hh"); break;
            case 'l': out.append("h"); break;
            case 'M': out.append("mm"); break;
            case 'S': out.append("ss"); break;
            case 'p': out.append("AP"); break;
            case 'P': out.append("ap"); break;
            case 'T': out.append("HH:mm:ss"); break;
            case 'R': out.append("HH:mm"); break;
            case 'D': out.append("MM/dd/yy"); break;
            case 'F': out.append("yyyy-MM-dd"); break;
            case 'r': out.append("hh:mm:ss AP"); break;
            case '%': out.push_back('%'); break;
            default: break;  // zone names and the like: nothing
        }
    }
    return out;
}

std::optional<RegionalSettings> RegionalSettingsNamed(const std::string& name) {
    if (name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return RegionalSettings::C();
    if (name == "de_DE") return RegionalSettings::CommaDecimal();
    locale_t loc = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr)) return std::nullopt;
    RegionalSettings s;
    const char* radix = nl_langinfo_l(RADIXCHAR, loc);
    s.decimalSeparator = (radix != nullptr && radix[0] != '\0') ? radix[0] : '.';
    s.shortDatePattern = PatternFromStrftime(nl_langinfo_l(D_FMT, loc));
    s.longTimePattern = PatternFromStrftime(nl_langinfo_l(T_FMT, loc));
    freelocale(loc);
    if (s.shortDatePattern.empty()) s.shortDatePattern = "yyyy-MM-dd";
    if (s.longTimePattern.empty()) s.longTimePattern = "HH:mm:ss";
    return s;
}

RegionalSettings SystemRegionalSettings() {
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(var);
        if (value == nullptr || value[0] == '\0') continue;
        auto s = RegionalSettingsNamed(value);
        return s ? *s : RegionalSettings::C();
    }
    return RegionalSettings::C();
}

}  // namespace kelvanor

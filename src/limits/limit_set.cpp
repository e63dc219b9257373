#include "limits/limit_set.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "acquire/file_io.h"

namespace kelvanor {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The blank-separated words of `s`.
std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    while (!(s = Trim(s)).empty()) {
        std::size_t end = 0;
        while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
        words.push_back(s.substr(0, end));
        s.remove_prefix(end);
    }
    return words;
}

bool Number(std::string_view word, double& out) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto res = std::from_chars(word.data(), word.data() + word.size(), out);
    return res.ec == std::errc() && res.ptr == word.data() + word.size() && std::isfinite(out);
}

// Reads one line's items into `limits`; the reason it cannot, else empty.
std::string ReadItems(std::string_view items, ChannelLimits& limits) {
    std::vector<std::string> seen;
    std::size_t start = 0;
    while (start <= items.size()) {
        std::size_t comma = items.find(',', start);
        if (comma == std::string_view::npos) comma = items.size();
        const std::vector<std::string_view> words = Words(items.substr(start, comma - start));
        start = comma + 1;
        if (words.empty()) return "an empty item";
        const std::string word = Lower(words[0]);
        if (std::find(seen.begin(), seen.end(), word) != seen.end())
            return "\"" + word + "\" twice";
        seen.push_back(word);
        std::vector<double> numbers;
        for (std::size_t i = 1; i < words.size(); ++i) {
            double v = 0;
            if (!Number(words[i], v)) return "\"" + std::string(words[i]) + "\" is not a number";
            numbers.push_back(v);
        }
        std::optional<double>* bound = word == "red_low"       ? &limits.redLow
                                       : word == "yellow_low"  ? &limits.yellowLow
                                       : word == "yellow_high" ? &limits.yellowHigh
                                       : word == "red_high"    ? &limits.redHigh
                                                               : nullptr;
        std::vector<double>* codes = word == "allowed"  ? &limits.allowed
                                     : word == "yellow" ? &limits.yellowCodes
                                     : word == "red"    ? &limits.redCodes
                                                        : nullptr;
        if (bound != nullptr || word == "persistence") {
            if (numbers.size() != 1) return "\"" + word + "\" takes one number";
            if (bound != nullptr) {
                *bound = numbers[0];
            } else if (numbers[0] < 1 || numbers[0] > 10000 ||
                       numbers[0] != std::floor(numbers[0])) {
                return "persistence must be a whole number from 1 to 10000";
            } else {
                limits.persistence = static_cast<int>(numbers[0]);
            }
        } else if (codes != nullptr) {
            if (numbers.empty()) return "\"" + word + "\" needs at least one code";
            *codes = numbers;
        } else {
            return "unknown word \"" + std::string(words[0]) + "\"";
        }
    }
    // The bounds that are given must stand in their order.
    const std::optional<double>* order[] = {&limits.redLow, &limits.yellowLow, &limits.yellowHigh,
                                            &limits.redHigh};
    std::optional<double> below;
    for (const std::optional<double>* b : order) {
        if (!*b) continue;
        if (below && **b < *below)
            return "the bounds are not in the order red_low, yellow_low, yellow_high, red_high";
        below = *b;
    }
    if (!below && limits.allowed.empty() && limits.yellowCodes.empty() && limits.redCodes.empty()) {
        return "no bound and no code";
    }
    return {};
}

}  // namespace

bool LimitSet::Empty() const {
    return std::none_of(channel.begin(), channel.end(),
                        [](const auto& c) { return c.has_value(); });
}

std::string LimitSet::ProblemText(std::string_view fileName) const {
    std::string text;
    for (const LimitProblem& p : problems) {
        text += text.empty() ? std::string(fileName) : ";";
        text += p.line > 0 ? " line " + std::to_string(p.line) + ": " + p.text : ": " + p.text;
    }
    return text;
}

LimitSet ParseLimits(std::string_view text) {
    LimitSet set;
    std::array<int, kChannelCount> definedOn{};
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty()) continue;
        auto problem = [&](const std::string& why) {
            set.problems.push_back({lineNumber, why + "; line ignored"});
        };
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            problem("no \"=\"");
            continue;
        }
        const std::string_view key = Trim(line.substr(0, eq));
        int c = -1;
        const auto res = std::from_chars(key.data(), key.data() + key.size(), c);
        if (res.ec != std::errc() || res.ptr != key.data() + key.size() || c < 0 ||
            c >= kChannelCount) {
            problem("\"" + std::string(key) + "\" is not a channel number from 0 to 117");
            continue;
        }
        const auto i = static_cast<std::size_t>(c);
        if (definedOn[i] != 0) {
            problem("channel " + std::to_string(c) + " already has limits on line " +
                    std::to_string(definedOn[i]));
            continue;
        }
        ChannelLimits limits;
        if (const std::string why = ReadItems(line.substr(eq + 1), limits); !why.empty()) {
            problem(why);
            continue;
        }
        set.channel[i] = std::move(limits);
        definedOn[i] = lineNumber;
    }
    return set;
}

bool ReadLimitsFile(const std::string& path, LimitSet& limits) {
    limits = LimitSet{};
    std::string text, error;
    if (!ReadWholeFile(path, text, error)) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return false;
        limits.problems.push_back({0, "cannot read " + path + " (" + error + ")"});
        return true;
    }
    limits = ParseLimits(text);
    return true;
}

}  // namespace kelvanor

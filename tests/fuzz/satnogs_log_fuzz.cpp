// Any text as a SatNOGS frame log: line ends made CR LF as the import makes
// them, then every line through the hex conversion and the decoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/satnogs_reader.h"
#include "export/csv_export.h"
#include "session/handlers.h"
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvanor;
    Session& s = fuzz::FreshSession();
    std::string text(reinterpret_cast<const char*>(data), size);
    NormaliseLineEnds(text);
    ImportHooks hooks;
    const int stored = ReadSatnogsText(s.Road(), text, hooks);
    RefreshAfterFile(s);
    // A beacon that fails part-way keeps the slot it was given, uncounted.
    FUZZ_CHECK(stored <= s.RecordCount());
    // A beacon line holds at least 402 hex digits.
    FUZZ_CHECK(static_cast<std::size_t>(s.RecordCount()) * 402 <= text.size());
    if (s.RecordCount() <= 20) CsvText(s);
    // The reader counts the kept lines in place; the rule as a list must
    // agree: line 0 dropped, each further line kept when it differs from the
    // one kept before it.
    std::vector<std::string_view> kept;
    for (std::size_t start = 0, index = 0;; ++index) {
        const std::size_t lf = text.find('\n', start);
        const auto line = std::string_view(text).substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (index == 1 || (index > 1 && line != kept.back())) kept.push_back(line);
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    const std::string count = "after removing duplicates: " + std::to_string(kept.size()) + "\r\n";
    FUZZ_CHECK(s.frameLog.find(count) != std::string::npos);
    return 0;
}

// Any text as a SatNOGS frame log: line ends made CR LF as the import makes
// them, then every line through the hex conversion and the decoder.
#include <cstddef>
#include <cstdint>
#include <string>

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
    const int stored = ReadSatnogsText(s, text, hooks);
    RefreshAfterFile(s);
    // A beacon that fails part-way keeps the slot it was given, uncounted.
    FUZZ_CHECK(stored <= s.RecordCount());
    // A beacon line holds at least 402 hex digits.
    FUZZ_CHECK(static_cast<std::size_t>(s.RecordCount()) * 402 <= text.size());
    if (s.RecordCount() <= 20) CsvText(s);
    return 0;
}

// Any bytes as a .kss recording: the reader, the refresh after the file and
// the exports of what it stored.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "acquire/kiss_file_reader.h"
#include "export/csv_export.h"
#include "session/handlers.h"
#include "export/tlm_export.h"
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvanor;
    Session& s = fuzz::FreshSession();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int stored = ReadKissBytes(s.Road(), bytes);
    RefreshAfterFile(s);
    // A beacon that fails part-way keeps the slot it was given, uncounted.
    FUZZ_CHECK(stored <= s.RecordCount());
    // Each stored beacon takes at least its 201 bytes of the input.
    FUZZ_CHECK(static_cast<std::size_t>(s.RecordCount()) * 201 <= size);
    if (s.RecordCount() <= 20) {
        const std::string csv = CsvText(s);
        FUZZ_CHECK(!csv.empty());
    }
    TlmText(s.labels, s.display);
    return 0;
}

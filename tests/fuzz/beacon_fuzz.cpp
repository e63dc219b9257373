// Any 201- to 255-byte frame through the decoder, then the record display,
// the TLM text and the CSV line of what was stored.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "decode/beacon_decoder.h"
#include "export/csv_export.h"
#include "session/handlers.h"
#include "export/tlm_export.h"
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvanor;
    if (size < 201 || size > 255) return -1;  // not kept in the corpus
    Session& s = fuzz::FreshSession();
    s.currentRxTimestamp = "2020-11-29 21:20:01.141 UTC";
    const DecodeResult r = DecodeBeacon(s, std::string_view(reinterpret_cast<const char*>(data), size));
    // The record is taken before its fields are read, so a frame that fails
    // part-way still holds its slot.
    FUZZ_CHECK(s.RecordCount() == 1);
    if (r.Stored()) FUZZ_CHECK(r.record == 1 && r.failedChannel == -1);
    ShowRecord(s.records, 1, s.regional, s.display);
    TlmText(s.labels, s.display);
    if (s.RecordCount() > 0) CsvText(s);
    return 0;
}

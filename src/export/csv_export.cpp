#include "export/csv_export.h"

#include <algorithm>

#include "channels/channel_table.h"
#include "decode/number_text.h"
#include "decode/record_store.h"

namespace kelvanor {

std::string CsvText(const RecordStore& records, char decimalSeparator, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, records.RecordCount());
    const int n = std::max(last - first + 1, 0);
    std::string out;
    out.reserve(2048 + static_cast<std::size_t>(n) * 1400);
    out.append("time;");
    for (const ChannelInfo& c : ChannelTable()) out.append(c.name).push_back(';');
    out.append("\r\n");
    char buf[kNumberTextMax];
    for (int r = first; r <= last; ++r) {
        const BeaconRecord& record = records.Record(r);
        out.append(record.RxTime).push_back(';');
        for (double v : record.Values) {
            out.append(buf, WriteNumberText(buf, v, decimalSeparator));
            out.push_back(';');
        }
        out.append("\r\n");
    }
    return out;
}

}  // namespace kelvanor

#include "export/csv_export.h"

#include <algorithm>

#include "acquire/file_io.h"
#include "channels/channel_table.h"
#include "decode/number_text.h"
#include "export/export_name.h"
#include "session/session.h"

namespace kelvanor {

std::string CsvText(const Session& session) { return CsvText(session, 1, session.RecordCount()); }

std::string CsvText(const Session& session, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, session.RecordCount());
    const int n = std::max(last - first + 1, 0);
    std::string out;
    out.reserve(2048 + static_cast<std::size_t>(n) * 1400);
    out.append("time;");
    for (const ChannelInfo& c : ChannelTable()) out.append(c.name).push_back(';');
    out.append("\r\n");
    const char separator = session.regional.decimalSeparator;
    char buf[kNumberTextMax];
    for (int r = first; r <= last; ++r) {
        const BeaconRecord& record = session.records.Record(r);
        out.append(record.RxTime).push_back(';');
        for (double v : record.Values) {
            out.append(buf, WriteNumberText(buf, v, separator));
            out.push_back(';');
        }
        out.append("\r\n");
    }
    return out;
}

bool WriteCsvRange(Session& session, const std::string& path, int first, int last, std::string& error) {
    if (!WriteWholeFile(path, CsvText(session, first, last), error)) return false;
    session.statusText = path + " has been written";
    return true;
}

bool WriteCSVFile_Click(Session& session, std::string& path, std::string& error) {
    path = ExportFileName(session.currentFileName, kDefaultCsvName, ".csv", session.dataFolder);
    if (!WriteWholeFile(path, CsvText(session), error)) return false;
    session.statusText = path + " has been written";
    return true;
}

}  // namespace kelvanor

#pragma once

#include <string>

namespace kelvanor {

class RecordStore;

// The CSV text of records first..last, cut to 1..RecordCount: a "time;"
// header with the 118 channel names, then per record its RxTime and the 118
// values in the general number form with `decimalSeparator`, ";" after every
// field, CR LF line ends; the header alone when no record is left.
std::string CsvText(const RecordStore& records, char decimalSeparator, int first, int last);

}  // namespace kelvanor

#pragma once

#include <string>

#include "decode/record_store.h"

namespace kelvanor {

// What a shown value is made of, for the operator: the channel, where its
// field lies in the frame and how it is read, the raw field as the record's
// stored frame holds it, and the conversion the decoder applies, all taken
// from the decoder's layout table. Lines end with "\n".
//
//   Channel 19: EPS Solar 0 Voltage (V)
//   Frame offset 46, 2 bytes, big-endian unsigned
//   Raw field: 1F 40 = 8000
//   Conversion: raw * 0.001
//   Value: 8 V
std::string ValueProvenance(const BeaconRecord& record, int channel, char decimalSeparator = '.');

}  // namespace kelvanor

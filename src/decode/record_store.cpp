#include "decode/record_store.h"

#include "decode/frame_bytes.h"

namespace kelvanor {

RecordStore::RecordStore() : m_records(std::make_unique<BeaconRecord[]>(kCapacity)) {}

BeaconRecord* RecordStore::Append() {
    if (m_count >= kCapacity) return nullptr;
    ++m_count;
    return &m_records[static_cast<std::size_t>(m_count) - 1];
}

const BeaconRecord& RecordStore::Record(int n) const {
    if (!IsSlot(n)) throw IndexOutOfRange("record number outside 1 to 10000");
    return m_records[static_cast<std::size_t>(n) - 1];
}

BeaconRecord& RecordStore::Record(int n) {
    if (!IsSlot(n)) throw IndexOutOfRange("record number outside 1 to 10000");
    return m_records[static_cast<std::size_t>(n) - 1];
}

}  // namespace kelvanor

#include "decode/record_store.h"

#include <memory>
#include <new>

#include "decode/frame_bytes.h"

namespace kelvanor {

namespace {

const BeaconRecord& EmptyRecord() {
    static const BeaconRecord empty;
    return empty;
}

}  // namespace

RecordStore::RecordStore() : m_records(std::allocator<BeaconRecord>().allocate(kCapacity)) {}

RecordStore::~RecordStore() {
    std::destroy_n(m_records, m_built);
    std::allocator<BeaconRecord>().deallocate(m_records, kCapacity);
}

void RecordStore::BuildUpTo(int n) {
    for (; m_built < n; ++m_built) new (&m_records[m_built]) BeaconRecord();
}

BeaconRecord* RecordStore::Append() {
    if (m_count >= kCapacity) return nullptr;
    ++m_count;
    BuildUpTo(m_count);
    return &m_records[static_cast<std::size_t>(m_count) - 1];
}

const BeaconRecord& RecordStore::Record(int n) const {
    if (!IsSlot(n)) throw IndexOutOfRange("record number outside 1 to 10000");
    if (n > m_built) return EmptyRecord();
    return m_records[static_cast<std::size_t>(n) - 1];
}

BeaconRecord& RecordStore::Record(int n) {
    if (!IsSlot(n)) throw IndexOutOfRange("record number outside 1 to 10000");
    BuildUpTo(n);
    return m_records[static_cast<std::size_t>(n) - 1];
}

}  // namespace kelvanor

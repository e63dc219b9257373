#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelvanor {

inline constexpr int kChannelCount = 118;
// Bytes of a complete beacon frame, offsets 0 to 200.
inline constexpr int kBeaconLength = 201;

// One decoded beacon: the channel values in engineering units, the receive
// time and the on-board clock time text, and beside them the 201 frame bytes
// the values were read from (offsets 0 to 200 of the frame buffer as the
// decoder saw them), so a value can be traced back to its field.
struct BeaconRecord {
    std::array<double, kChannelCount> Values{};
    std::string RxTime;
    std::string ObcTime;
    std::array<std::uint8_t, kBeaconLength> Frame{};
};

// The fixed store of records numbered 1 to 10000. It is allocated once, never
// grows, shrinks or moves, and is never cleared: a reset only sets the count
// back to 0, so slots above the count keep what earlier beacons left.
class RecordStore {
public:
    static constexpr int kCapacity = 10000;

    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // The number of the newest record since the last reset; 0 for none.
    std::int32_t RecordCount() const { return m_count; }
    void Reset() { m_count = 0; }

    // Claims the next slot and returns it, or nullptr when the store already
    // holds 10000 records (the count then stays at 10000).
    BeaconRecord* Append();

    // Record n, 1 <= n <= 10000; IndexOutOfRange otherwise.
    const BeaconRecord& Record(int n) const;
    BeaconRecord& Record(int n);
    static bool IsSlot(long long n) { return n >= 1 && n <= kCapacity; }

private:
    // Makes slots 1..n real records. The table's memory is taken at once
    // but a slot is only built when first written, so a fresh store costs
    // no memory until it is used; an unbuilt slot reads as an empty record.
    void BuildUpTo(int n);

    BeaconRecord* m_records;
    int m_built = 0;
    std::int32_t m_count = 0;
};

}  // namespace kelvanor

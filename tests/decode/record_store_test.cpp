#include "decode/record_store.h"

#include <gtest/gtest.h>

#include "decode/frame_bytes.h"

namespace kelvanor {
namespace {

TEST(RecordStoreTest, HoldsExactly10000ZeroedRecordsNumberedFromOne) {
    RecordStore store;
    EXPECT_EQ(store.RecordCount(), 0);
    for (int n : {1, 10000}) {
        EXPECT_EQ(store.Record(n).Values[117], 0);
        EXPECT_TRUE(store.Record(n).RxTime.empty());
    }
    EXPECT_THROW(store.Record(0), IndexOutOfRange);
    EXPECT_THROW(store.Record(10001), IndexOutOfRange);
    for (int i = 1; i <= 10000; ++i) {
        BeaconRecord* r = store.Append();
        ASSERT_NE(r, nullptr) << i;
        r->Values[0] = i;
    }
    EXPECT_EQ(store.Append(), nullptr);
    EXPECT_EQ(store.RecordCount(), 10000);
    EXPECT_EQ(store.Record(10000).Values[0], 10000);
}

TEST(RecordStoreTest, ResetKeepsOldContentAndRenumbersFromOne) {
    RecordStore store;
    store.Append()->Values[0] = 11;
    store.Append()->Values[0] = 22;
    store.Reset();
    EXPECT_EQ(store.RecordCount(), 0);
    BeaconRecord* first = store.Append();
    EXPECT_EQ(first, &store.Record(1));
    EXPECT_EQ(first->Values[0], 11);  // not cleared; the decoder overwrites it
    EXPECT_EQ(store.Record(2).Values[0], 22);
}

}  // namespace
}  // namespace kelvanor

// The fallback values of the slot table, checked against the few rules they follow, so that a
// mistyped row stands out.
#include <gtest/gtest.h>

#include "devbind/DeviceSlotTable.h"

namespace {

using devbind::ResultKind;

bool In(int slot, std::initializer_list<int> slots) {
  for (int s : slots) {
    if (s == slot) return true;
  }
  return false;
}

TEST(DeviceSlotTable, FallbacksFollowTheirRules) {
  for (const devbind::SlotInfo& row : devbind::kSlots) {
    SCOPED_TRACE(testing::Message() << "slot " << row.number << " " << row.entry);
    const int n = row.number;
    double missing = 0.0, faulted = 0.0;
    switch (row.result) {
      case ResultKind::None:
        EXPECT_TRUE(In(n, {1, 2, 4, 6, 10, 33, 152, 153, 156, 157, 158}));
        continue;
      case ResultKind::Text:
        ASSERT_TRUE(In(n, {13, 133}));
        EXPECT_STREQ(row.missing.text, n == 13 ? "UNKNOW" : "NULL");
        EXPECT_STREQ(row.faulted.text, n == 13 ? "UNKNOW" : "CATCH-DevGetVersion");
        continue;
      case ResultKind::Float:
        EXPECT_TRUE(In(n, {8, 9}));
        missing = faulted = -10000.0;
        break;
      case ResultKind::Bool8:
        EXPECT_TRUE(n == 155 || (n >= 159 && n <= 165));
        break;
      case ResultKind::Int32:
        if (In(n, {150, 154})) {
          faulted = -1.0;
        } else if (!In(n, {3, 5, 7, 11, 12, 14, 34, 139, 151})) {
          EXPECT_TRUE(n >= 15 && n <= 149);
          missing = -1007.0;
          faulted = -1008.0;
        }
        break;
    }
    EXPECT_EQ(row.missing.number, missing);
    EXPECT_EQ(row.faulted.number, faulted);
  }
}

}  // namespace

// The slot table checked against the rules it must follow: the recurring fallback values, the
// naming of methods for repeated names, the stack slots each argument list takes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "devbind/DeviceSlotTable.h"

namespace {

using devbind::kSlots;
using devbind::ResultKind;
using devbind::SlotInfo;

bool In(int slot, std::initializer_list<int> slots) {
  for (int s : slots) {
    if (s == slot) return true;
  }
  return false;
}

TEST(DeviceSlotTable, FallbacksFollowTheirRules) {
  for (const SlotInfo& row : kSlots) {
    SCOPED_TRACE(testing::Message() << "slot " << row.number << " " << row.entry);
    const int n = row.number;
    switch (row.result) {
      case ResultKind::None:
        EXPECT_TRUE(In(n, {1, 2, 4, 6, 10, 33, 152, 153, 156, 157, 158}));
        break;
      case ResultKind::Float:
        EXPECT_TRUE(In(n, {8, 9}));
        EXPECT_EQ(row.missing.number, -10000.0);
        EXPECT_EQ(row.faulted.number, -10000.0);
        break;
      case ResultKind::Bool8:
        EXPECT_TRUE(n == 155 || (n >= 159 && n <= 165));
        EXPECT_EQ(row.missing.number, 0.0);
        EXPECT_EQ(row.faulted.number, 0.0);
        break;
      case ResultKind::Text:
        ASSERT_TRUE(In(n, {13, 133}));
        EXPECT_STREQ(row.missing.text, n == 13 ? "UNKNOW" : "NULL");
        EXPECT_STREQ(row.faulted.text, n == 13 ? "UNKNOW" : "CATCH-DevGetVersion");
        break;
      case ResultKind::Int32:
        if (In(n, {3, 5, 7, 11, 12, 14, 34, 139, 151})) {
          EXPECT_EQ(row.missing.number, 0.0);
          EXPECT_EQ(row.faulted.number, 0.0);
        } else if (In(n, {150, 154})) {
          EXPECT_EQ(row.missing.number, 0.0);
          EXPECT_EQ(row.faulted.number, -1.0);
        } else {
          EXPECT_TRUE(n >= 15 && n <= 149);
          EXPECT_EQ(row.missing.number, -1007.0);
          EXPECT_EQ(row.faulted.number, -1008.0);
        }
        break;
    }
  }
}

// A name keeps its own method name while the argument lists differ; a later slot whose list
// equals an earlier one of the same name is called name + slot number.
TEST(DeviceSlotTable, RepeatedNamesFollowTheNamingScheme) {
  std::map<std::string, std::set<std::string>> listsByName;
  std::set<std::pair<std::string, std::string>> signatures;
  for (const SlotInfo& row : kSlots) {
    SCOPED_TRACE(testing::Message() << "slot " << row.number << " " << row.entry);
    std::set<std::string>& lists = listsByName[row.entry];
    const bool repeatsAList = lists.count(row.arguments) != 0;
    const std::string numbered = std::string(row.entry) + std::to_string(row.number);
    EXPECT_EQ(row.method, repeatsAList ? numbered : std::string(row.entry));
    lists.insert(row.arguments);
    EXPECT_TRUE(signatures.emplace(row.method, row.arguments).second) << "two methods alike";
  }
  EXPECT_EQ(listsByName.size(), 137u);
  // The repeated names and how often they occur.
  const std::map<std::string, int> repeated = {
      {"ExtInit", 6},       {"ExtRelease", 6}, {"ExtShow", 4}, {"ExtWriteDB", 4}, {"ExtGetDB", 3},
      {"ExtMove", 3},       {"ExtSetDB", 3},   {"ExtStop", 2}, {"ExtPrint", 2},   {"ExtRun", 2},
      {"ExtGetCurData", 2}, {"Open", 2},       {"Close", 2}};
  std::map<std::string, int> counted;
  for (const SlotInfo& row : kSlots) ++counted[row.entry];
  for (const auto& entry : counted) {
    const auto found = repeated.find(entry.first);
    EXPECT_EQ(entry.second, found == repeated.end() ? 1 : found->second) << entry.first;
  }
}

// The stack slots of an argument list, worked out from its written form.
int SlotsOf(const std::string& arguments) {
  if (arguments == "void") return 0;
  int total = 0;
  std::size_t start = 0;
  while (start <= arguments.size()) {
    std::size_t end = arguments.find('_', start);
    if (end == std::string::npos) end = arguments.size();
    const std::string part = arguments.substr(start, end - start);
    if (part == "V16") {
      total += 4;
    } else if (part == "32" || part == "16b" || part == "8b" || part == "string") {
      total += 1;
    } else if (part.size() > 3 && part.compare(part.size() - 3, 3, "x32") == 0) {
      total += std::atoi(part.c_str());
    } else {
      ADD_FAILURE() << "unknown argument part " << part;
    }
    start = end + 1;
  }
  return total;
}

TEST(DeviceSlotTable, ArgumentListsTakeTheirStackSlots) {
  for (const SlotInfo& row : kSlots) EXPECT_EQ(row.stackSlots, SlotsOf(row.arguments)) << row.number;
  EXPECT_EQ(devbind::FindSlot(23)->stackSlots, 5);   // 32, V16
  EXPECT_EQ(devbind::FindSlot(45)->stackSlots, 9);   // 8x32, 16b
  EXPECT_EQ(devbind::FindSlot(155)->stackSlots, 3);  // 8b, 2x32
  EXPECT_EQ(devbind::FindSlot(0), nullptr);
  EXPECT_EQ(devbind::FindSlot(166), nullptr);
  EXPECT_STREQ(devbind::FindSlot(165)->method, "Close165");
}

}  // namespace

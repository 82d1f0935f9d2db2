// The section names the configuration manager lists (and deletes by): a name the slots cannot hold,
// or the cut last name of a list that did not fit the read, could be another section's.
#include "station/SectionList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/captions/CaptionsFakes.h"

namespace {

using Names = std::vector<std::string>;

Names Listed(const Names& names) {
  std::string ini;
  for (const std::string& name : names) ini += "[" + name + "]\n";
  captest::MemoryProfile profile(ini);
  station::SectionNameTable table;
  return Names(table, table + station::ReadSectionNames(profile, table));  // an unterminated slot runs on
}

TEST(SectionList, NoListedNameIsCutIntoAnother) {
  const std::string a99(99, 'a');
  EXPECT_EQ(Listed({"lift", a99 + "b", a99, "axle"}), (Names{"lift", a99, "axle"}));
  // At most 100 names. Then 99 names of 20 bytes, 1980 of the 2000: the next one comes cut and is
  // left out, unless it fits with its terminator and the list's.
  Names names;
  for (int i = 1000; i < 1101; ++i) names.push_back(std::to_string(i));
  EXPECT_EQ(Listed(names), Names(names.begin(), names.begin() + 100));
  for (std::string& name : names) name += std::string(15, 'n');
  names.resize(100);
  names.back() = "a_name_that_runs_past_the_end_of_the_list";
  EXPECT_EQ(Listed(names), Names(names.begin(), names.begin() + 99));
  names.back() = std::string(18, 'z');
  EXPECT_EQ(Listed(names), names);
  // 1,998 bytes: whole, though answered as a cut list is.
  names.back() = std::string(17, 'z');
  EXPECT_EQ(Listed(names), names);
}

}  // namespace

// The section names the configuration manager lists, from readers that answer as the system's
// profile functions may (including what Wine's never give: names starting with a blank).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cfgmgr/SectionList.h"

namespace {

// Answers SectionNames from a list of names, cut as the reader contract says when it does not fit.
class ListReader : public panel::ProfileReader {
 public:
  explicit ListReader(std::vector<std::string> names) : names_(std::move(names)) {}

  std::size_t SectionNames(char* buffer, std::size_t size) override {
    std::string list;
    for (const auto& name : names_) list += name + '\0';
    std::memset(buffer, 0, size);
    if (list.size() + 1 <= size) {
      std::memcpy(buffer, list.data(), list.size());
      return list.size();
    }
    std::memcpy(buffer, list.data(), size - 2);
    return size - 2;
  }
  std::size_t String(const char*, const char*, char* buffer, std::size_t size) override {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }

 private:
  std::vector<std::string> names_;
};

std::vector<std::string> Listed(std::vector<std::string> names) {
  ListReader reader(std::move(names));
  cfg::SectionNameTable table;
  std::memset(table, 'x', sizeof table);
  const int count = cfg::ReadSectionNames(reader, table);
  std::vector<std::string> out;
  for (int i = 0; i < cfg::kMaxSections; ++i) {
    const std::size_t len = strnlen(table[i], cfg::kNameSize);
    EXPECT_LT(len, cfg::kNameSize) << "slot " << i << " is not terminated";
    if (i < count) {
      out.emplace_back(table[i], len);
    } else {
      EXPECT_EQ(len, 0u) << "slot " << i << " past the listed names is not cleared";
    }
  }
  return out;
}

std::vector<std::string> Numbered(const char* stem, int count, std::size_t width = 0) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name = stem + std::to_string(1000 + i);
    if (name.size() < width) name.append(width - name.size(), 'n');
    names.push_back(name);
  }
  return names;
}

TEST(SectionList, NamesComeInFileOrderWithTheirBytesUnchanged) {
  // GBK names ("制动", "举升") with trail bytes that are ASCII letters and brackets.
  const std::vector<std::string> names{"lift", "brake", "axle", "\xd6\xc6\xb6\xaf", "\xbe\xd9\xc9\xfd[x]"};
  EXPECT_EQ(Listed(names), names);
  EXPECT_EQ(Listed({}), std::vector<std::string>{});
}

TEST(SectionList, AtMostAHundredNamesAreTaken) {
  const auto names = Numbered("s", 101);
  EXPECT_EQ(Listed(names), std::vector<std::string>(names.begin(), names.begin() + 100));
}

TEST(SectionList, ANameStartingWithABlankEndsTheListing) {
  EXPECT_EQ(Listed({"lift", " brake", "axle"}), (std::vector<std::string>{"lift"}));
  EXPECT_EQ(Listed({" lift", "brake"}), std::vector<std::string>{});
  // A blank inside or at the end of a name is part of the name.
  EXPECT_EQ(Listed({"front lift", "brake ", "axle"}), (std::vector<std::string>{"front lift", "brake ", "axle"}));
}

TEST(SectionList, ANameTheSlotsCannotHoldIsLeftOutNotCut) {
  const std::string longest(99, 'a');
  const std::string tooLong = longest + "b";
  EXPECT_EQ(Listed({"lift", tooLong, longest, "axle"}), (std::vector<std::string>{"lift", longest, "axle"}));
}

TEST(SectionList, TheCutLastNameOfAListThatDidNotFitIsLeftOut) {
  // 99 names of 20 bytes each take 1980 of the 2000; the next one is cut by the read.
  auto names = Numbered("device_", 99, 19);
  names.push_back("a_name_that_runs_past_the_end_of_the_list");
  names.push_back("never_seen");
  EXPECT_EQ(Listed(names), std::vector<std::string>(names.begin(), names.begin() + 99));
  // A list that fits with one byte to spare keeps its last name.
  names.resize(99);
  names.push_back(std::string(18, 'z'));
  EXPECT_EQ(Listed(names), names);
}

// A reader that breaks its contract (no terminators at all, a length past the buffer) cannot make
// the walk leave the buffer (the sanitizers watch this).
class FloodReader : public ListReader {
 public:
  FloodReader() : ListReader({}) {}
  std::size_t SectionNames(char* buffer, std::size_t size) override {
    std::memset(buffer, 'q', size);
    return size * 2;
  }
};

TEST(SectionList, AReaderThatFillsTheWholeBufferStaysInside) {
  FloodReader reader;
  cfg::SectionNameTable table;
  EXPECT_EQ(cfg::ReadSectionNames(reader, table), 0);  // one name of 1998 bytes: too long for a slot
}

}  // namespace

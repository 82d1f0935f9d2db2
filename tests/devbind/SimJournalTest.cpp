#include "sim/hardware/SimJournal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hwsim::CJournalLine;

TEST(SimJournal, NameThenArguments) {
  int buffer = 0;
  CJournalLine line("ExtGetAnalog");
  line.Int(3).Buffer(&buffer).Int(50);
  EXPECT_STREQ(line.c_str(), "ExtGetAnalog 3 ptr 50");
  EXPECT_EQ(line.size(), 21u);
  EXPECT_STREQ(CJournalLine("ExtClose").c_str(), "ExtClose");
  CJournalLine numbers("X");
  numbers.Int(-2147483647 - 1).Int(0).Unsigned(0xFFFFFFFFu).Unsigned(65535).Buffer(nullptr);
  EXPECT_STREQ(numbers.c_str(), "X -2147483648 0 4294967295 65535 null");
}

TEST(SimJournal, TextsAreQuotedWithEscapes) {
  CJournalLine line("ExtOpen");
  line.Text("a \"b\" \\ c\r\n\x01");
  EXPECT_STREQ(line.c_str(), "ExtOpen \"a \\\"b\\\" \\\\ c\\x0D\\x0A\\x01\"");
  CJournalLine gbk("ExtOpen");
  gbk.Text("\xB2\xE2\xCA\xD4");  // GBK bytes go through as they are
  EXPECT_STREQ(gbk.c_str(), "ExtOpen \"\xB2\xE2\xCA\xD4\"");
  CJournalLine none("ExtOpen");
  none.Text(nullptr);
  EXPECT_STREQ(none.c_str(), "ExtOpen null");
}

TEST(SimJournal, LongLinesAreCutBetweenCharacters) {
  // 600 bytes of double-byte characters: the line stops at a character boundary, marked.
  std::string text;
  for (int i = 0; i < 300; ++i) text += "\xB2\xE2";
  CJournalLine line("ExtOpen");
  line.Text(text.c_str()).Int(5);
  const std::string written = line.c_str();
  EXPECT_LT(written.size(), CJournalLine::kCapacity);
  EXPECT_EQ(written.size(), line.size());
  EXPECT_EQ(written.substr(written.size() - 3), "...");
  const std::string body = written.substr(9, written.size() - 12);  // after ExtOpen "
  EXPECT_EQ(body.size() % 2, 0u);
  EXPECT_EQ(body.find_first_not_of("\xB2\xE2"), std::string::npos);
  // Nothing is appended after the cut.
  line.Int(7).Text("x");
  EXPECT_EQ(std::string(line.c_str()), written);
}

}  // namespace

#include "app/Captions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "CaptionsFakes.h"
#include "framework/GbkText.h"

namespace {

using captest::MemoryProfile;
using captest::SeparatorFields;

// GBK bytes written out so the test does not depend on the compiler's execution character set.
const char kFrontBarrierAbout[] = "\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8(\xB3\xA3\xBF\xAA) 24V";  // 前光电开关(常开) 24V
const char kFrontSwitch[] = "\xC7\xB0\xBF\xAA\xB9\xD8";                                     // 前开关
const char kLiftUp[] = "\xBE\xD9\xC9\xFD\xB5\xBD\xCE\xBB";                                  // 举升到位
const char kFront[] = "\xC7\xB0";                                                           // 前
const char kChannel[] = "\xCD\xA8\xB5\xC0";                                                 // 通道
const char kLight[] = "\xB9\xE2\xB5\xE7";                                                   // 光电
const char kSignal[] = "\xD0\xC5\xBA\xC5";                                                  // 信号
const char kSensor[] = "\xB4\xAB\xB8\xD0\xC6\xF7";                                          // 传感器
const char kControl[] = "\xBF\xD8\xD6\xC6";                                                 // 控制

template <int N>
std::string Shown(const ChannelCaptions<N>& table, int k) {
  char number[12];
  return panel::ChannelText(table, k, number);
}

template <int N>
int Flagged(const ChannelCaptions<N>& table) {
  int n = 0;
  for (int k = 0; k < N; ++k) n += table.flags[k] == 1;
  return n;
}

// One section declaring one input channel: key K, its value, its description.
void Declare(MemoryProfile& p, const std::string& section, const std::string& value, const std::string& about) {
  p.Section(section).Set("AllTD_Din", "K").Set("K", value).Set("K[About]", about);
}

// The name of filler section s, 70 characters long.
std::string Filler70(int s) {
  std::string name = "S" + std::to_string(s);
  name.resize(70, '-');
  return name;
}

template <int N>
void Read(MemoryProfile& p, ChannelCaptions<N>& table, const char* listKey = panel::kDinListKey) {
  SeparatorFields fields(',');
  panel::ReadCaptions(p, fields, listKey, table);
}

// The list separator belongs to the system library: the collection must work with any.
class CaptionsWithSeparator : public testing::TestWithParam<char> {};

TEST_P(CaptionsWithSeparator, WorkedExampleOfTheInputs) {
  const char sep = GetParam();
  MemoryProfile p;
  p.Section("FrontLift")
      .Set("AllTD_Din", std::string("A") + sep + "B")
      .Set("A", "3")
      .Set("A[About]", kFrontBarrierAbout)
      .Set("B", "16")
      .Set("B[About]", "Beyond");
  p.Section("Lift").Set("AllTD_Din", "C").Set("C", "3").Set("C[About]", kLiftUp);
  ChannelCaptions<16> din{};
  SeparatorFields fields(sep);
  panel::ReadCaptions(p, fields, panel::kDinListKey, din);

  EXPECT_EQ(Shown(din, 3), std::string(kFrontSwitch) + "/" + kLiftUp);
  EXPECT_EQ(Flagged(din), 1);  // B (16) is not an input channel
  EXPECT_EQ(Shown(din, 0), "0");
  EXPECT_EQ(Shown(din, 15), "15");
}

INSTANTIATE_TEST_SUITE_P(Separators, CaptionsWithSeparator, testing::Values(',', '|', ' '),
                         [](const testing::TestParamInfo<char>& info) {
                           return info.param == ',' ? std::string("Comma")
                                  : info.param == '|' ? std::string("Bar")
                                                      : std::string("Blank");
                         });

TEST(Captions, SectionScanEndsAtANameStartingWithABlank) {
  MemoryProfile p;
  Declare(p, "One", "0", "First");
  Declare(p, " Spare", "1", "Spare");
  Declare(p, "Two", "2", "Second");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(Shown(din, 0), "First");
  EXPECT_EQ(Shown(din, 1), "1");
  EXPECT_EQ(Shown(din, 2), "2");
}

TEST(Captions, EachCaptionIsComparedWithTheWholeStoredText) {
  MemoryProfile p;
  Declare(p, "S1", "4", "X");
  Declare(p, "S2", "4", "Y");
  Declare(p, "S3", "4", "X");
  Declare(p, "S4", "5", "Lift");
  Declare(p, "S5", "5", "LIFT");  // only ASCII case differs: kept once, as first written
  Declare(p, "S6", "6", "Same");
  Declare(p, "S7", "6", "Same");
  // Trail bytes 'A' and 'a' belong to two different characters: never folded together.
  Declare(p, "S8", "7", "\xB0\x41");
  Declare(p, "S9", "7", "\xB0\x61");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(Shown(din, 4), "X/Y/X");
  EXPECT_EQ(Shown(din, 5), "Lift");
  EXPECT_EQ(Shown(din, 6), "Same");
  EXPECT_EQ(Shown(din, 7), "\xB0\x41/\xB0\x61");
}

TEST(Captions, ChannelNumbersAreReadAsLeadingDecimalDigits) {
  MemoryProfile p;
  p.Section("Dev")
      .Set("AllTD_Din", "Letters,None,Empty,Neg,Huge,Top,Beyond")
      .Set("Letters", "3abc").Set("Letters[About]", "Three")
      .Set("None", "abc").Set("None[About]", "Zero")
      .Set("Empty", "").Set("Empty[About]", "Skipped")
      .Set("Neg", "-1").Set("Neg[About]", "Negative")
      .Set("Huge", "99999999999999999999").Set("Huge[About]", "Huge")
      .Set("Top", "15").Set("Top[About]", "Last")
      .Set("Beyond", "16").Set("Beyond[About]", "Beyond");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(Shown(din, 3), "Three");
  EXPECT_EQ(Shown(din, 0), "Zero");  // the empty value was skipped, not read as 0
  EXPECT_EQ(Shown(din, 15), "Last");
  EXPECT_EQ(Flagged(din), 3);
}

TEST(Captions, OutputsReachChannel23AndReadOnlyTheirOwnList) {
  MemoryProfile p;
  p.Section("Lift")
      .Set("AllTD_Dout", "Up,Over")
      .Set("Up", "23").Set("Up[About]", "Up")
      .Set("Over", "24").Set("Over[About]", "Over")
      .Set("AllTD_Din", "Sensor")
      .Set("Sensor", "1").Set("Sensor[About]", "Input");
  ChannelCaptions<24> dout{};
  ChannelCaptions<16> din{};
  ChannelCaptions<16> analog{};
  Read(p, dout, panel::kDoutListKey);
  Read(p, din, panel::kDinListKey);
  Read(p, analog, panel::kAnalogListKey);
  EXPECT_EQ(Shown(dout, 23), "Up");
  EXPECT_EQ(Flagged(dout), 1);
  EXPECT_EQ(Shown(din, 1), "Input");
  EXPECT_EQ(Flagged(din), 1);
  EXPECT_EQ(Flagged(analog), 0);
}

TEST(Captions, DescriptionIsCutAtTheParenthesisThenTheBlankThenLosesItsKeywords) {
  MemoryProfile p;
  p.Section("Dev")
      .Set("AllTD_A", "Paren,Blank,Words,Order,Lead,NoAbout,Later,Across")
      .Set("Paren", "0").Set("Paren[About]", "(NO) 24V")
      .Set("Blank", "1").Set("Blank[About]", std::string(kFront) + " " + kLiftUp)
      .Set("Words", "2").Set("Words[About]", std::string(kChannel) + kLight + kSignal + kSensor + kControl)
      // 通 光电 道: 通道 is looked for before 光电 goes, so 通道 remains; likewise 信 控制 号.
      .Set("Order", "3").Set("Order[About]", "\xCD\xA8\xB9\xE2\xB5\xE7\xB5\xC0-\xD0\xC5\xBF\xD8\xD6\xC6\xBA\xC5")
      .Set("Lead", "4").Set("Lead[About]", " Lead")
      .Set("NoAbout", "5")
      .Set("Later", "0").Set("Later[About]", "Later")
      // B0B9 E2B5 E7C1: the bytes of 光电 (B9E2 B5E7) straddle three characters and stay.
      .Set("Across", "6").Set("Across[About]", std::string("\xB0\xB9\xE2\xB5\xE7\xC1") + kLight);
  ChannelCaptions<16> analog{};
  Read(p, analog, panel::kAnalogListKey);
  EXPECT_EQ(Shown(analog, 0), "Later");  // the "(" declaration gave nothing, the rest was still read
  EXPECT_EQ(Shown(analog, 1), kFront);
  EXPECT_EQ(analog.flags[2], 1);  // only keywords: an empty caption, shown as no text
  EXPECT_EQ(Shown(analog, 2), "");
  EXPECT_EQ(Shown(analog, 3), std::string(kChannel) + "-" + kSignal);
  EXPECT_EQ(analog.flags[4], 1);  // nothing before the first blank
  EXPECT_EQ(Shown(analog, 4), "");
  EXPECT_EQ(Shown(analog, 5), "5");
  EXPECT_EQ(Shown(analog, 6), "\xB0\xB9\xE2\xB5\xE7\xC1");
}

TEST(Captions, WithoutConfigurationOrFieldFunctionsEveryChannelShowsItsNumber) {
  MemoryProfile empty;
  ChannelCaptions<24> dout{};
  Read(empty, dout, panel::kDoutListKey);
  for (int k = 0; k < 24; ++k) EXPECT_EQ(Shown(dout, k), std::to_string(k));

  MemoryProfile p;
  Declare(p, "Dev", "2", "Gate");
  for (bool field2Too : {false, true}) {
    ChannelCaptions<16> din{};
    captest::MissingFields missing(field2Too);
    panel::ReadCaptions(p, missing, panel::kDinListKey, din);
    EXPECT_EQ(Flagged(din), 0);
  }
  // GetField2 alone missing: the key is listed but its description is never cut.
  ChannelCaptions<16> din{};
  captest::MissingFields onlyField2(true);
  SeparatorFields commas(',');
  auto mixed = panel::MakeFieldFunctions(
      [&](const char* t, char* o, int i) { return commas.Field(t, o, i); },
      [&](const char* t, char* o, int i, char d) { return onlyField2.Field2(t, o, i, d); });
  panel::ReadCaptions(p, mixed, panel::kDinListKey, din);
  EXPECT_EQ(Flagged(din), 0);
}

TEST(Captions, ARefreshAfterClearingFlagsForgetsChannelsNoLongerDeclared) {
  MemoryProfile p;
  p.Section("Dev")
      .Set("AllTD_Din", "Old,Kept")
      .Set("Old", "8").Set("Old[About]", "Old")
      .Set("Kept", "9").Set("Kept[About]", "Before");
  ChannelCaptions<16> din{};
  Read(p, din);
  ASSERT_EQ(Shown(din, 8), "Old");

  p.Erase("Dev", "Old");
  p.Erase("Dev", "Kept[About]");
  p.Set("Kept[About]", "After");
  panel::ClearFlags(din);
  Read(p, din);
  EXPECT_EQ(Shown(din, 8), "8");
  EXPECT_STREQ(din.texts[8], "Old");  // the text stays, it is only no longer shown
  EXPECT_EQ(Shown(din, 9), "After");  // replaced, not joined to the stale text

  // Without clearing, a second read joins what differs.
  p.Erase("Dev", "Kept[About]");
  p.Set("Kept[About]", "Again");
  Read(p, din);
  EXPECT_EQ(Shown(din, 9), "After/Again");
}

TEST(Captions, JoinedCaptionsStopAt499BytesOnACharacterBoundary) {
  // Two captions of 13 characters (26 bytes) that differ in the last one, declared alternately: 17
  // joins reach 26 + 17 * 27 = 485 bytes, then "/" and 6 more characters (13 bytes of room: a
  // seventh would need half a character).
  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += kFront;
  const std::string pieces[2] = {twelve + kFront, twelve + "\xC7\xB1"};
  MemoryProfile p;
  for (int s = 0; s < 25; ++s) Declare(p, "S" + std::to_string(s), "1", pieces[s % 2]);
  ChannelCaptions<16> din{};
  Read(p, din);
  std::string expected = pieces[0];
  for (int i = 1; i <= 17; ++i) expected += "/" + pieces[i % 2];
  expected += "/" + twelve.substr(0, 12);
  EXPECT_EQ(expected.size(), 498u);
  EXPECT_EQ(Shown(din, 1), expected);

  // A full slot takes no dangling "/": 497 bytes + "/Z" fits, then nothing more does.
  ChannelCaptions<16> one{};
  const std::string nearlyFull(497, 'a');
  panel::StoreCaption(one.flags[0], one.texts[0], nearlyFull.c_str());
  panel::StoreCaption(one.flags[0], one.texts[0], "Z");
  EXPECT_EQ(std::string(one.texts[0]), nearlyFull + "/Z");
  panel::StoreCaption(one.flags[0], one.texts[0], "Y");
  EXPECT_EQ(std::string(one.texts[0]), nearlyFull + "/Z");
  // A first caption longer than the slot is cut to it.
  ChannelCaptions<16> cut{};
  panel::StoreCaption(cut.flags[0], cut.texts[0], std::string(800, 'b').c_str());
  EXPECT_EQ(std::strlen(cut.texts[0]), 499u);
}

TEST(Captions, AtMost100SectionsAreRead) {
  for (int fillers : {99, 100}) {
    MemoryProfile p;
    for (int s = 0; s < fillers; ++s) p.Section("Filler" + std::to_string(s)).Set("Other", "1");
    Declare(p, "Last", "2", "Last");
    ChannelCaptions<16> din{};
    Read(p, din);
    EXPECT_EQ(din.flags[2], fillers == 99 ? 1 : 0) << fillers << " sections before";
  }
}

TEST(Captions, SectionNamesLongerThan99CharactersAreSkipped) {
  const std::string name99(99, 'N');
  MemoryProfile p;
  // Read twice (as a cut long name would) this section would show X/Y/X/Y.
  p.Section(name99)
      .Set("AllTD_Din", "A,B")
      .Set("A", "2").Set("A[About]", "X")
      .Set("B", "2").Set("B[About]", "Y");
  p.Section(name99 + "L").Set("AllTD_Din", "A").Set("A", "3").Set("A[About]", "Long");
  // A skipped name takes no slot: 98 more sections still fit in the 100.
  for (int s = 0; s < 98; ++s) p.Section("Filler" + std::to_string(s));
  Declare(p, "Last", "4", "Last");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(Shown(din, 2), "X/Y");
  EXPECT_EQ(Shown(din, 3), "3");
  EXPECT_EQ(Shown(din, 4), "Last");
}

TEST(Captions, ANameCutByAFullSectionListIsNotRead) {
  // 27 names of 70 characters take 1917 bytes; the 28th cannot end before byte 1998 and is cut to
  // 81 characters, the name of another section that must not be read in its place.
  MemoryProfile p;
  for (int s = 0; s < 27; ++s) p.Section(Filler70(s));
  p.Section(std::string(90, 'P')).Set("AllTD_Din", "K").Set("K", "4").Set("K[About]", "Cut");
  Declare(p, std::string(81, 'P'), "4", "Wrong");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(din.flags[4], 0);

  // Cut on a character boundary the name ends a byte earlier: 40 characters of 前 in 81 bytes.
  MemoryProfile g;
  std::string front40;
  for (int i = 0; i < 40; ++i) front40 += kFront;
  for (int s = 0; s < 27; ++s) g.Section(Filler70(s));
  g.Section(front40 + kFront + kFront);
  Declare(g, front40, "4", "Wrong");
  Read(g, din);
  EXPECT_EQ(din.flags[4], 0);

  // The whole names before it are read.
  MemoryProfile q;
  for (int s = 0; s < 27; ++s) Declare(q, Filler70(s), s == 26 ? "5" : "99", "Whole");
  q.Section(std::string(90, 'P'));
  Read(q, din);
  EXPECT_EQ(Shown(din, 5), "Whole");
}

TEST(Captions, AtMost100KeysPerList) {
  std::string list;
  MemoryProfile p;
  p.Section("Dev");
  for (int i = 0; i < 101; ++i) list += (i ? ",K" : "K") + std::to_string(i);
  p.Set("AllTD_Din", list);
  p.Set("K99", "6").Set("K99[About]", "Hundredth");
  p.Set("K100", "7").Set("K100[About]", "Beyond");
  ChannelCaptions<16> din{};
  SeparatorFields fields(',');
  panel::ReadCaptions(p, fields, panel::kDinListKey, din);
  EXPECT_EQ(Shown(din, 6), "Hundredth");
  EXPECT_EQ(Shown(din, 7), "7");
  EXPECT_EQ(fields.fieldCalls, 100);
}

TEST(Captions, AKeyNameCutByAFullListIsNotRead) {
  // "--" and 49 names of 40 characters: the 2000-byte read cuts the list inside the last name,
  // leaving the name of another key. The list then ends in "--", which is still the first key.
  std::vector<std::string> names;
  std::string list = "--";
  for (int k = 0; k < 49; ++k) {
    names.push_back("Key" + std::to_string(k));
    names.back().resize(40, '-');
    list += "," + names.back();
  }
  const std::string kept = list.substr(0, panel::kProfileBufferSize - 1);
  const std::string cut = kept.substr(kept.rfind(',') + 1);
  ASSERT_EQ(cut, names[48].substr(0, cut.size()));
  MemoryProfile p;
  p.Section("Dev").Set("AllTD_Din", list);
  p.Set("--", "6").Set("--[About]", "Dashes");
  p.Set(names[47], "5").Set(names[47] + "[About]", "Whole");
  p.Set(cut, "4").Set(cut + "[About]", "Wrong");
  ChannelCaptions<16> din{};
  Read(p, din);
  EXPECT_EQ(Shown(din, 6), "Dashes");
  EXPECT_EQ(Shown(din, 5), "Whole");
  EXPECT_EQ(din.flags[4], 0);
}

TEST(Captions, OverlongKeysAndUnterminatedFieldsStayInsideTheBuffers) {
  // GetField fills all 2000 bytes without a terminator: the key name is cut to 1999 bytes, too long
  // for its "[About]" key, so the declaration has no description.
  MemoryProfile p;
  const std::string key(1999, 'K');
  p.Section("Dev").Set("AllTD_Din", "x").Set(key, "3").Set(key + "[About]", "Never");
  ChannelCaptions<16> din{};
  captest::UnterminatedFields hostile('K', 'C');
  panel::ReadCaptions(p, hostile, panel::kDinListKey, din);
  EXPECT_EQ(Flagged(din), 0);

  // The longest key that still has a description key: 1992 + "[About]" = 1999 bytes.
  MemoryProfile q;
  const std::string longest(1992, 'L');
  q.Section("Dev").Set("AllTD_Din", longest).Set(longest, "3").Set(longest + "[About]", "Found");
  Read(q, din);
  EXPECT_EQ(Shown(din, 3), "Found");

  // GetField2 fills its whole output: the caption is bounded to the slot.
  MemoryProfile r;
  Declare(r, "Dev", "4", "Short");
  ChannelCaptions<16> other{};
  auto fields = panel::MakeFieldFunctions(
      [](const char* t, char* o, int i) { return captest::SplitField(t, o, i, ','); },
      [&](const char* t, char* o, int i, char d) { return hostile.Field2(t, o, i, d); });
  panel::ReadCaptions(r, fields, panel::kDinListKey, other);
  EXPECT_EQ(Shown(other, 4), std::string(499, 'C'));

  // A GetField2 that reports "nothing before the blank" without touching its output: the caption is
  // empty, not what the cut at "(" left there.
  MemoryProfile s;
  Declare(s, "Dev", "5", "Word rest");
  auto silent = panel::MakeFieldFunctions(
      [](const char* t, char* o, int i) { return captest::SplitField(t, o, i, ','); },
      [](const char* t, char* o, int i, char d) { return d == ' ' ? 0 : captest::SplitField(t, o, i, d); });
  panel::ReadCaptions(s, silent, panel::kDinListKey, other);
  EXPECT_EQ(other.flags[5], 1);
  EXPECT_EQ(Shown(other, 5), "");
}

// A library entry that takes its text writable and scribbles over it after splitting.
int ScribblingField(char* text, char* out, int index) {
  const int n = captest::SplitField(text, out, index, ',');
  std::memset(text, '#', std::strlen(text));
  return n;
}

int PlainField2(const char* text, char* out, int index, char delimiter) {
  return captest::SplitField(text, out, index, delimiter);
}

TEST(Captions, FieldFunctionsAcceptFunctionPointersAndProtectTheCallersText) {
  MemoryProfile p;
  p.Section("Dev")
      .Set("AllTD_Din", "A,B")
      .Set("A", "1").Set("A[About]", "One (x)")
      .Set("B", "2").Set("B[About]", "Two");
  ChannelCaptions<16> din{};
  auto fields = panel::MakeFieldFunctions(&ScribblingField, &PlainField2);
  panel::ReadCaptions(p, fields, panel::kDinListKey, din);
  EXPECT_EQ(Shown(din, 1), "One");
  EXPECT_EQ(Shown(din, 2), "Two");

  // std::function works too.
  std::function<int(const char*, char*, int)> f = [](const char* t, char* o, int i) {
    return captest::SplitField(t, o, i, ',');
  };
  std::function<int(const char*, char*, int, char)> f2 = &PlainField2;
  ChannelCaptions<16> again{};
  auto wrapped = panel::MakeFieldFunctions(f, f2);
  panel::ReadCaptions(p, wrapped, panel::kDinListKey, again);
  EXPECT_EQ(Shown(again, 1), "One");
}

TEST(Captions, ShownTextIsTheCaptionOnlyWhileFlagged) {
  ChannelCaptions<24> dout{};
  panel::StoreCaption(dout.flags[12], dout.texts[12], "Motor");
  EXPECT_EQ(Shown(dout, 12), "Motor");
  dout.flags[12] = 2;  // anything but 1 is "no caption"
  EXPECT_EQ(Shown(dout, 12), "12");
  panel::StoreCaption(dout.flags[12], dout.texts[12], "Pump");
  EXPECT_EQ(Shown(dout, 12), "Pump");  // replaced: the flag was not 1
  panel::ClearFlags(dout);
  EXPECT_EQ(Shown(dout, 12), "12");
  EXPECT_EQ(Shown(dout, 23), "23");
}

}  // namespace

// The captions collected from calib.ini, read from INI text in memory with field functions of the
// test's own (natively with the sanitizers, and under Wine).
#include "station/Captions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CaptionsFakes.h"

namespace {

using captest::Fields;
using captest::Lib;

// GBK bytes written out: the portable build has no GBK execution character set.
const std::string kFront = "\xC7\xB0";  // 前

// What input channel k shows.
std::string Shown(int k, const std::string& ini, Fields fields = Fields()) {
  captest::MemoryProfile profile(ini);
  ChannelCaptions<16> table{};
  station::ReadCaptions(profile, fields, station::kDinListKey, table);
  char number[12];
  return station::ChannelText(table, k, number);
}

// A section declaring input channel `channel` (key K) and its description.
std::string Declare(const std::string& section, const std::string& channel, const std::string& about) {
  return "[" + section + "]\nAllTD_Din=K\nK=" + channel + "\nK[About]=" + about + "\n";
}

// One device declares input 1 with each description in turn, its keys listed with any separator
// (the system library's): each is cut at "(", then at the blank, and loses its keywords; the
// captions are joined with "/" unless equal to the whole text so far (folding ASCII case only,
// never a trail byte), as far as the 500-byte slot holds whole characters, never ending in "/".
TEST(Captions, CaptionsAreCutFromTheDescriptionsAndJoinedOnCharacterBoundaries) {
  // Two captions of 13 characters differing in the last, alternately: 17 joins reach 485 bytes,
  // then "/" and the 6 characters that fit in 13 bytes (498 in all); later ones find no room.
  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += kFront;
  std::vector<std::string> alternate;
  std::string joined;
  for (int i = 0; i < 25; ++i) alternate.push_back(twelve + (i % 2 ? std::string("\xC7\xB1") : kFront));
  for (const std::string& caption : alternate) joined += (joined.empty() ? "" : "/") + caption;
  const struct {
    std::vector<std::string> abouts;
    std::string shown;
  } rows[] = {
      {{"(NO) 24V", "Next"}, "Next"},  // nothing before "(": no caption, the next one still read
      {{""}, "1"},
      {{kFront + " \xBE\xD9\xC9\xFD"}, kFront},  // 前 举升
      {{" Lead"}, ""},  // nothing before the blank: an empty caption
      // 通道 光电 信号 传感器 控制, then 通 光电 道-信 控制 号: each keyword goes once, in turn, so
      // what a removal joins stays.
      {{"\xCD\xA8\xB5\xC0\xB9\xE2\xB5\xE7\xD0\xC5\xBA\xC5\xB4\xAB\xB8\xD0\xC6\xF7\xBF\xD8\xD6\xC6"}, ""},
      {{"\xCD\xA8\xB9\xE2\xB5\xE7\xB5\xC0-\xD0\xC5\xBF\xD8\xD6\xC6\xBA\xC5"}, "\xCD\xA8\xB5\xC0-\xD0\xC5\xBA\xC5"},
      // B0B9 E2B5 E7C1: the bytes of 光电 (B9E2 B5E7) straddle three characters and stay.
      {{"\xB0\xB9\xE2\xB5\xE7\xC1" "\xB9\xE2\xB5\xE7"}, "\xB0\xB9\xE2\xB5\xE7\xC1"},
      {{"X", "Y", "X"}, "X/Y/X"},
      {{"Lift", "LIFT"}, "Lift"},
      {{"\xB0\x41", "\xB0\x61"}, "\xB0\x41/\xB0\x61"},
      {{std::string(800, 'b')}, std::string(499, 'b')},
      {alternate, joined.substr(0, 498)},
  };
  for (const char separator : {',', '|', ' '}) {
    for (const auto& row : rows) {
      std::string list, keys;
      for (std::size_t k = 0; k < row.abouts.size(); ++k) {
        list += (k ? std::string(1, separator) : "") + "K" + std::to_string(k);
        keys += "K" + std::to_string(k) + "=1\nK" + std::to_string(k) + "[About]=" + row.abouts[k] + "\n";
      }
      EXPECT_EQ(Shown(1, "[Dev]\nAllTD_Din=" + list + "\n" + keys, Fields(separator)), row.shown) << row.abouts[0];
    }
  }
}

// A section or key name cut by a buffer may be another one's: it is never read.
TEST(Captions, ANameCutByAFullBufferIsNotRead) {
  // 27 section names of 70 bytes take 1917 of the list's 2000: the 28th comes cut to 81 bytes, or
  // to 80 on a character boundary. All but the last name declare an empty channel number.
  std::string fillers;
  for (int s = 0; s < 27; ++s) fillers += Declare(std::string(70, char('a' + s)), s == 26 ? "5" : "", "Whole");
  std::string front40;
  for (int i = 0; i < 40; ++i) front40 += kFront;
  const std::pair<std::string, std::string> cuts[] = {{std::string(90, 'P'), std::string(81, 'P')},
                                                      {front40 + kFront + kFront, front40}};
  for (const auto& [name, cut] : cuts) {
    EXPECT_EQ(Shown(5, fillers + "[" + name + "]\n" + Declare(cut, "0", "Wrong")), "Whole");
    EXPECT_EQ(Shown(0, fillers + "[" + name + "]\n" + Declare(cut, "0", "Wrong")), "0");  // nor an empty number
  }

  // Longer than 99 characters: cut to its slot it would read the 99-character section again.
  const std::string name99(99, 'N');
  const std::string ini =
      "[" + name99 + "]\nAllTD_Din=A,B\nA=2\nA[About]=X\nB=2\nB[About]=Y\n" + Declare(name99 + "L", "3", "Long");
  EXPECT_EQ(Shown(2, ini), "X/Y");
  EXPECT_EQ(Shown(3, ini), "3");

  // "--" and 49 keys of 40 characters: the read cuts the list inside the last key, which still
  // ends in "--" like the first key.
  const auto key = [](int k) { return "Key" + std::to_string(k) + std::string(k < 10 ? 36 : 35, '-'); };
  std::string list = "--";
  for (int k = 0; k < 49; ++k) list += "," + key(k);
  const std::string cut = list.substr(list.rfind(',', 1998) + 1, 1998 - list.rfind(',', 1998));
  const std::string keyed = "[Dev]\nAllTD_Din=" + list + "\n--=6\n--[About]=Dashes\n" + key(47) + "=5\n" + key(47) +
                            "[About]=Whole\n" + cut + "=4\n" + cut + "[About]=Wrong\n";
  EXPECT_EQ(Shown(6, keyed), "Dashes");
  EXPECT_EQ(Shown(5, keyed), "Whole");
  EXPECT_EQ(Shown(4, keyed), "4");
}

TEST(Captions, LibraryOutputWithoutATerminatorStaysInItsBuffers) {
  // GetField fills all 2000 bytes: the key is cut to 1999, too long for its "[About]" key.
  const std::string flooded(1999, 'F');
  const std::string declared = "[Dev]\nAllTD_Din=x\n" + flooded + "=3x\n" + flooded + "[About]=Never\n";
  EXPECT_EQ(Shown(3, declared, Fields(',', Lib::kFlood)), "3");
  // GetField2 fills its output: the caption is bounded to the slot.
  EXPECT_EQ(Shown(4, Declare("Dev", "4", "Short"), Fields(',', Lib::kPlain, Lib::kFlood)), std::string(499, 'F'));
  // A missing entry's -1000 is not "found".
  EXPECT_EQ(Shown(2, Declare("Dev", "2", "Gate"), Fields(',', Lib::kMissing)), "2");
  EXPECT_EQ(Shown(2, Declare("Dev", "2", "Gate"), Fields(',', Lib::kPlain, Lib::kMissing)), "2");
}

}  // namespace

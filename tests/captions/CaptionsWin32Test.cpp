// The captions from a real calib.ini through the system's profile functions, under code page 936 (as
// at the stations) and again under 1252.
#include "station/ProfileWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CaptionsFakes.h"
#include "tests/support/SystemFiles.h"

namespace {

using captest::Lib;

int Field(const char* text, char* out, int index) { return captest::LibField(Lib::kPlain, text, out, index, ','); }
int Field2(const char* text, char* out, int index, char delimiter) {
  return captest::LibField(Lib::kPlain, text, out, index, delimiter);
}

TEST(CaptionsFile, TheFilesBytesGiveTheCaptionsUnderEitherCodePage) {
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  // The worked example (前光电开关(常开) 24V and 举升到位 on input 3), an output whose lead bytes have
  // no character of their own in code page 1252, then 40 names of 25 characters and a number that
  // overflow the 2000-byte section list: 0 to 36 fit whole, 37 comes cut to 17 characters, the name
  // of the last section.
  std::string ini = "[\xC7\xB0\xBE\xD9\xC9\xFD]\r\nAllTD_Din=A,B\r\nA=3\r\n"
                    "A[About]=\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8(\xB3\xA3\xBF\xAA) 24V\r\n"
                    "B=16\r\nB[About]=Beyond\r\n"
                    "AllTD_Dout=M\r\nM=23\r\nM[About]=\x81\x40\x8D\x40\x8F\x40\x90\x40\x9D\x40 x\r\n"
                    "[\xBE\xD9\xC9\xFD]\r\nAllTD_Din=C\r\nC=3\r\nC[About]=\xBE\xD9\xC9\xFD\xB5\xBD\xCE\xBB\r\n";
  std::string stem;
  for (int i = 0; i < 25; ++i) stem += i % 2 ? "\xBE\xD9" : "\xC9\xFD";
  for (int s = 0; s < 40; ++s) {
    ini += "[" + stem + std::to_string(s) + "]\r\nAllTD_A=K\r\nK=" + std::to_string(s % 16) + "\r\nK[About]=S" +
           std::to_string(s) + "\r\n";
  }
  ini += "[" + stem.substr(0, 34) + "]\r\nAllTD_A=K\r\nK=5\r\nK[About]=Wrong\r\n";
  const std::string path = temp + ("calib" + std::to_string(GetCurrentProcessId()) + ".ini");
  ASSERT_TRUE(sptest::WriteFileBytes(path, ini));
  ChannelCaptions<16> din{}, analog{};
  ChannelCaptions<24> dout{};
  station::ReadCaptionsFromFile(path.c_str(), &Field, &Field2, station::kDinListKey, din);
  station::ReadCaptionsFromFile(path.c_str(), &Field, &Field2, station::kDoutListKey, dout);
  station::ReadCaptionsFromFile(path.c_str(), &Field, &Field2, station::kAnalogListKey, analog);
  DeleteFileA(path.c_str());

  char n[12];
  EXPECT_STREQ(station::ChannelText(din, 3, n), "\xC7\xB0\xBF\xAA\xB9\xD8/\xBE\xD9\xC9\xFD\xB5\xBD\xCE\xBB");
  EXPECT_STREQ(station::ChannelText(din, 4, n), "4");
  EXPECT_STREQ(station::ChannelText(dout, 23, n), "\x81\x40\x8D\x40\x8F\x40\x90\x40\x9D\x40");
  EXPECT_STREQ(station::ChannelText(analog, 4, n), "S4/S20/S36");
  EXPECT_STREQ(station::ChannelText(analog, 5, n), "S5/S21");
}

}  // namespace

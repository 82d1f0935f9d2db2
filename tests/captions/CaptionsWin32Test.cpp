// The profile reader on real files, in a folder with a Chinese name, under code page 936 (as at
// the stations) and again under 1252.
#include "app/CaptionsWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CaptionsFakes.h"
#include "framework/GbkText.h"
#include "framework/Text.h"
#include "tests/support/TestSupport.h"

namespace {

// GBK bytes, so the test does not depend on the compiler's execution character set.
const char kFrontLift[] = "\xC7\xB0\xBE\xD9\xC9\xFD";  // 前举升
const char kLift[] = "\xBE\xD9\xC9\xFD";              // 举升
const char kFrontBarrierAbout[] = "\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8(\xB3\xA3\xBF\xAA) 24V";
const char kFrontSwitch[] = "\xC7\xB0\xBF\xAA\xB9\xD8";   // 前开关
const char kLiftUp[] = "\xBE\xD9\xC9\xFD\xB5\xBD\xCE\xBB";  // 举升到位
// Characters whose lead bytes have no character of their own in code page 1252.
const char kRareLeads[] = "\x81\x40\x8D\x40\x8F\x40\x90\x40\x9D\x40";

int CommaField(const char* text, char* out, int index) { return captest::SplitField(text, out, index, ','); }
int Field2(const char* text, char* out, int index, char delimiter) {
  return captest::SplitField(text, out, index, delimiter);
}

std::wstring Wide(const std::string& gbk) { return fw::GbkToWide(gbk.c_str()); }

class CaptionsFile : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::string base = fw::WideToGbk(temp);
    const std::string pid = std::to_string(GetCurrentProcessId());
    // 标定 (calibration) in the folder name: the path is GBK and must open under any code page.
    // A Wine whose host has no UTF-8 locale for the station's language cannot store such a name;
    // there the folder falls back to an ASCII name.
    folder_ = base + "\xB1\xEA\xB6\xA8-" + pid;
    if (!CreateDirectoryW(Wide(folder_).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      std::printf("note: no Chinese file names on this system (error %lu); using an ASCII folder\n", GetLastError());
      folder_ = base + "calib-" + pid;
      ASSERT_TRUE(CreateDirectoryW(Wide(folder_).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
          << GetLastError();
    }
  }
  void TearDown() override {
    for (const std::string& f : files_) DeleteFileW(Wide(f).c_str());
    RemoveDirectoryW(Wide(folder_).c_str());
  }

  std::string Write(const char* name, const std::string& bytes) {
    const std::string path = folder_ + "\\" + name;
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    files_.push_back(path);
    return path;
  }

  std::string WriteCalib() {
    const std::string ini = std::string("[") + kFrontLift + "]\r\n" +
                            "AllTD_Din=A,B\r\n"
                            "A=3\r\n"
                            "A[About]=" + kFrontBarrierAbout + "\r\n" +
                            "B=16\r\n"
                            "B[About]=Beyond\r\n"
                            "AllTD_Dout=M\r\n"
                            "M=23\r\n"
                            "M[About]=" + kRareLeads + " control\r\n" +
                            "[" + kLift + "]\r\n" +
                            "AllTD_Din=C\r\n"
                            "C=3\r\n"
                            "C[About]=" + kLiftUp + "\r\n";
    return Write("calib.ini", ini);
  }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(CaptionsFile, SectionNamesAndValuesAreTheFilesBytes) {
  const std::string path = WriteCalib();
  panel::Win32ProfileReader profile(path.c_str());

  char names[panel::kProfileBufferSize];
  const std::string expected = std::string(kFrontLift) + '\0' + kLift + '\0';
  ASSERT_EQ(profile.SectionNames(names, sizeof names), expected.size());
  EXPECT_EQ(std::string(names, expected.size() + 1), expected + '\0');

  char value[panel::kProfileBufferSize];
  EXPECT_EQ(profile.String(kFrontLift, "A[About]", value, sizeof value), std::strlen(kFrontBarrierAbout));
  EXPECT_STREQ(value, kFrontBarrierAbout);
  EXPECT_EQ(profile.String(kFrontLift, "m[about]", value, sizeof value), std::strlen(kRareLeads) + 8);
  EXPECT_EQ(std::string(value), std::string(kRareLeads) + " control");
  EXPECT_EQ(profile.String(kFrontLift, "Missing", value, sizeof value), 0u);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(profile.String("Nowhere", "A", value, sizeof value), 0u);
  // Cut to the buffer on a character boundary: 5 bytes of room hold two characters.
  char small[6];
  EXPECT_EQ(profile.String(kFrontLift, "A[About]", small, sizeof small), 4u);
  EXPECT_STREQ(small, "\xC7\xB0\xB9\xE2");

  // Where the system code page is GBK, the narrow functions agree byte for byte.
  if (sptest::ActiveCodePage() == 936) {
    char narrow[panel::kProfileBufferSize] = {};
    EXPECT_EQ(GetPrivateProfileSectionNamesA(narrow, sizeof narrow, path.c_str()), expected.size());
    EXPECT_EQ(std::memcmp(narrow, names, expected.size() + 1), 0);
    GetPrivateProfileStringA(kFrontLift, "M[About]", "", narrow, sizeof narrow, path.c_str());
    EXPECT_EQ(std::string(narrow), std::string(kRareLeads) + " control");
  }
}

TEST_F(CaptionsFile, CaptionsOfTheWorkedExampleComeFromTheFile) {
  const std::string path = WriteCalib();
  ChannelCaptions<16> din{};
  ChannelCaptions<24> dout{};
  panel::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, panel::kDinListKey, din);
  panel::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, panel::kDoutListKey, dout);
  char number[12];
  EXPECT_EQ(std::string(panel::ChannelText(din, 3, number)), std::string(kFrontSwitch) + "/" + kLiftUp);
  EXPECT_STREQ(panel::ChannelText(din, 0, number), "0");
  EXPECT_EQ(din.flags[15], 0);
  EXPECT_STREQ(panel::ChannelText(dout, 23, number), kRareLeads);
}

TEST_F(CaptionsFile, AMissingFileHasNoSectionsAndEveryChannelShowsItsNumber) {
  const std::string path = folder_ + "\\calib.ini";
  panel::Win32ProfileReader profile(path.c_str());
  char names[panel::kProfileBufferSize];
  std::memset(names, 'x', sizeof names);
  EXPECT_EQ(profile.SectionNames(names, sizeof names), 0u);
  EXPECT_EQ(names[0], '\0');
  EXPECT_EQ(names[1], '\0');
  char value[16] = "stale";
  EXPECT_EQ(profile.String("Dev", "AllTD_Din", value, sizeof value), 0u);
  EXPECT_STREQ(value, "");

  ChannelCaptions<24> dout{};
  panel::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, panel::kDoutListKey, dout);
  char number[12];
  for (int k = 0; k < 24; ++k) EXPECT_EQ(std::string(panel::ChannelText(dout, k, number)), std::to_string(k));
}

TEST_F(CaptionsFile, ALongSectionListIsCutLikeTheNarrowFunctionWithTheLastNameUnused) {
  // 40 names of 25 GBK characters and a number: far beyond 2000 bytes.
  std::string ini;
  std::string list;
  for (int s = 0; s < 40; ++s) {
    std::string name;
    for (int i = 0; i < 25; ++i) name += i % 2 ? "\xBE\xD9" : "\xC9\xFD";  // 举 and 升 alternately
    name += std::to_string(s);
    ini += "[" + name + "]\r\nAllTD_Din=K\r\nK=" + std::to_string(s % 16) + "\r\nK[About]=S" + std::to_string(s) + "\r\n";
    list += name + '\0';
  }
  const std::string path = Write("long.ini", ini);
  panel::Win32ProfileReader profile(path.c_str());
  char names[panel::kProfileBufferSize];
  ASSERT_EQ(profile.SectionNames(names, sizeof names), sizeof names - 2);
  EXPECT_EQ(names[sizeof names - 2], '\0');
  EXPECT_EQ(names[sizeof names - 1], '\0');
  // Every byte before the cut name is the file's; the cut name ends on a character boundary.
  std::size_t start = 0;
  int whole = 0;
  for (std::size_t pos = 0; names[pos] != '\0'; pos += std::strlen(names + pos) + 1) {
    start = pos;
    ++whole;
  }
  --whole;
  EXPECT_EQ(std::string(names, start), list.substr(0, start));
  const std::size_t cut = std::strlen(names + start);
  EXPECT_GE(start + cut, sizeof names - 3);
  EXPECT_EQ(fw::GbkBoundaryAtOrBefore(list.data() + start, cut), cut);
  EXPECT_EQ(std::memcmp(names + start, list.data() + start, cut), 0);

  // The names before the cut one are read; the cut one and those after it are not.
  ChannelCaptions<16> din{};
  panel::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, panel::kDinListKey, din);
  char number[12];
  const std::string last = panel::ChannelText(din, (whole - 1) % 16, number);
  EXPECT_NE(last.find("S" + std::to_string(whole - 1)), std::string::npos) << last;
  EXPECT_EQ(std::string(panel::ChannelText(din, whole % 16, number)).find("S" + std::to_string(whole)),
            std::string::npos);
}

}  // namespace

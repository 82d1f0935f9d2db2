// The system library binding against real libraries put into the system directory of this test's
// own Wine prefix: copies of the simulator that lack one entry, and a library that records calls.
#include "sysbind/SysEnv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/ResourceModule.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace {

// The library is released before its file is replaced, and before the file goes after the test.
class SysEnvLibraryTest : public testing::Test {
 protected:
  ~SysEnvLibraryTest() override { FreeSysEnvLibrary(); }
  bool Install(const char* built) {
    FreeSysEnvLibrary();
    return library_.CopyFrom(sptest::ExeDirectory() + "\\" + built);
  }
  sptest::SystemDirFile library_{"SysENV.dll", "sysbind"};
};

TEST(SysEnvPath, APathThatDoesNotFitIsRefused) {
  // "\SysENV16b.dll" takes 14 characters, "\SysENV.dll" 11; the path holds 259 and its NUL.
  const struct {
    std::size_t directory;
    int variant;
    std::size_t length;  // 0: refused
  } cases[] = {{245, 16, 259}, {246, 16, 0}, {248, 1, 259}, {249, 1, 0}, {4000, 1, 0}};
  for (const auto& c : cases) {
    char path[kSysEnvPathSize];
    EXPECT_EQ(FormatSysEnvLibraryPath(std::string(c.directory, 'd').c_str(), c.variant, path), c.length != 0);
    EXPECT_EQ(std::strlen(path), c.length) << c.directory;
  }
}

TEST_F(SysEnvLibraryTest, AMissingEntryFailsWithItsCodeAndTheResourceModuleIsRestored) {
  const struct {
    const char* library;
    int missing;  // place of the missing entry
    int code;
  } cases[] = {{"SysENV_without_GetSysEnv.dll", 1, -2},
               {"SysENV_without_CnvIntData.dll", 115, -116},
               {"SysENV_without_GetRand.dll", 116, -118},
               {"SysENV_without_DeCodeESC.dll", 181, -183},
               {"SysENV.dll", 182, 1}};
  const HINSTANCE program = GetModuleHandleA("kernel32.dll");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library);
    ASSERT_TRUE(Install(c.library));
    fw::SetResourceModule(program);
    EXPECT_EQ(LoadSysEnvLibrary(1), c.code);
    EXPECT_EQ(fw::GetResourceModule(), program);
    for (const SysEnvResolution& r : kSysEnvResolutionList) {
      EXPECT_EQ(g_sysEnvEntries.*r.entry != nullptr, r.position < c.missing) << r.name << " resolved";
    }
    // A wrapper whose entry is missing (GetField is the 6th) answers -1000 and writes nothing.
    char field[8] = "kept";
    EXPECT_EQ(GetField("1,2", field, 0), c.missing <= 6 ? -1000 : 1);
    EXPECT_STREQ(field, c.missing <= 6 ? "kept" : "1");
  }
  fw::SetResourceModule(nullptr);
}

// Arguments that become whatever the wrapper's parameter is, a 32-bit slot or an 8-bit character
// (high bit set: it must arrive as that byte), noting the slot the entry should see.
std::uint32_t g_expected[8];
int g_expectedCount = 0;
struct Arg {
  int place;
  std::uint32_t Note(std::uint32_t slot) const {
    g_expected[place] = slot;
    if (place >= g_expectedCount) g_expectedCount = place + 1;
    return slot;
  }
  operator fw::Arg() const { return Note(0x5A5A00A0u + place); }
  operator std::uint8_t() const { return static_cast<std::uint8_t>(Note(0xA0u + place)); }
};
#define ARG(part, n) Arg{n - 1}

bool Answered(int result, int position) { return result == position * 1000 + 7; }
bool Answered(float result, int position) { return result == static_cast<float>(position) + 0.25f; }
bool Answered(const char* result, int) { return std::strcmp(result, "recorded text") == 0; }

#define SYSENV_SECOND_WRAPPER(position, name, second, result, shape) \
  {position, #second, [](int p) { return Answered(second(SP_SHAPE_##shape(ARG)), p); }},
#define SYSENV_ENTRY(position, name, result, shape) SYSENV_SECOND_WRAPPER(position, name, name, result, shape)
#define SYSENV_ENTRY_NOWRAP(position, name)
const struct {
  int position;
  const char* name;
  bool (*call)(int position);
} kWrappers[] = {
#include "sysbind/SysEnvEntries.inc"
};

TEST_F(SysEnvLibraryTest, EveryWrapperPassesItsArgumentsToItsOwnEntry) {
  ASSERT_TRUE(Install("SysENV_recorder.dll"));
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  const auto last = reinterpret_cast<int(__cdecl*)(int*, int*, std::uint32_t*)>(
      reinterpret_cast<void*>(GetProcAddress(g_hSysEnvLibrary, "RecorderLast")));
  ASSERT_NE(last, nullptr);
  for (const auto& w : kWrappers) {
    SCOPED_TRACE(w.name);
    g_expectedCount = 0;
    EXPECT_TRUE(w.call(w.position)) << "the entry's answer comes back unchanged";
    int calls = 0;
    int position = 0;
    std::uint32_t slots[8] = {};
    const int count = last(&calls, &position, slots);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(position, w.position);
    EXPECT_EQ(std::vector<std::uint32_t>(slots, slots + count),
              std::vector<std::uint32_t>(g_expected, g_expected + g_expectedCount));
  }
}

}  // namespace

// The system library binding against real libraries in the system directory of this test's own
// Wine prefix: our simulator, copies of it that lack one entry, and a library that records calls.
// Every file put into the system directory is taken out again (a file that was there before is
// put back), also when a test fails.
#include "sysbind/SysEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/ResourceModule.h"
#include "framework/Text.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using sptest::FileExists;
using sptest::SystemDirectory;
using sptest::SystemDirFile;

std::string BuiltFile(const char* name) { return sptest::ExeDirectory() + "\\" + name; }

// Tests that load libraries: the library is released before the files go, and the process-wide
// state is back to "nothing loaded" after every test.
class SysEnvLibraryTest : public testing::Test {
 protected:
  ~SysEnvLibraryTest() override {
    FreeSysEnvLibrary();
    fw::SetResourceModule(nullptr);
    std::memset(&SysEnvRecord, 0, sizeof SysEnvRecord);
    files_.clear();
  }

  SystemDirFile& File(const std::string& name) {
    for (auto& f : files_) {
      if (f.first == name) return *f.second;
    }
    files_.emplace_back(name, std::make_unique<SystemDirFile>(name, "sysbind"));
    return *files_.back().second;
  }

  // Puts a library built beside the test into the system directory under `name`.
  testing::AssertionResult Install(const char* built, const std::string& name) {
    FreeSysEnvLibrary();
    if (!FileExists(BuiltFile(built))) return testing::AssertionFailure() << "not built: " << BuiltFile(built);
    if (!File(name).CopyFrom(BuiltFile(built))) return testing::AssertionFailure() << "cannot install " << name;
    return testing::AssertionSuccess();
  }

 private:
  std::vector<std::pair<std::string, std::unique_ptr<SystemDirFile>>> files_;
};

void* Export(const char* name) { return reinterpret_cast<void*>(GetProcAddress(g_hSysEnvLibrary, name)); }

int ResolvedCount() {
  int n = 0;
  for (const SysEnvResolution& r : kSysEnvResolutionList) n += g_sysEnvEntries.*r.entry != nullptr;
  return n;
}

// ---- Calling every wrapper with arguments of its own -------------------------------------------

struct Outcome {
  char kind = 'i';  // 'i' int, 'f' float, 't' text
  int i = 0;
  float f = 0;
  const char* t = nullptr;
  std::vector<std::uint32_t> slots;  // the argument slots the entry should see
};

template <typename F>
struct LambdaTraits : LambdaTraits<decltype(&F::operator())> {};
template <typename C, typename R, typename... A>
struct LambdaTraits<R (C::*)(A...) const> {
  using Args = std::tuple<A...>;
  static constexpr std::size_t kArity = sizeof...(A);
};

// Arguments that differ between entries and between places: 32-bit slots carry the position and the
// place, the 8-bit character has its high bit set (it must arrive as that byte).
template <typename T>
T MakeArg(int position, std::size_t place) {
  if constexpr (std::is_same_v<T, char>) {
    return static_cast<char>(0x80 + position % 100);
  } else {
    return 0x5A000000u | static_cast<std::uint32_t>(position) << 8 | static_cast<std::uint32_t>(place);
  }
}
inline std::uint32_t ExpectedSlot(std::uint32_t value) { return value; }
inline std::uint32_t ExpectedSlot(char c) { return static_cast<unsigned char>(c); }

template <typename F, std::size_t... I>
Outcome InvokeWith(F f, [[maybe_unused]] int position, std::index_sequence<I...>) {
  using Args = typename LambdaTraits<F>::Args;
  Outcome o;
  o.slots = {ExpectedSlot(MakeArg<std::tuple_element_t<I, Args>>(position, I))...};
  const auto r = f(MakeArg<std::tuple_element_t<I, Args>>(position, I)...);
  if constexpr (std::is_same_v<decltype(r), const float>) {
    o.kind = 'f';
    o.f = r;
  } else if constexpr (std::is_pointer_v<std::remove_const_t<decltype(r)>>) {
    o.kind = 't';
    o.t = r;
  } else {
    o.i = r;
  }
  return o;
}

template <typename F>
Outcome Invoke(F f, int position) {
  return InvokeWith(f, position, std::make_index_sequence<LambdaTraits<F>::kArity>());
}

struct Wrapper {
  int position;
  const char* name;
  Outcome (*call)();
};

#define SYSENV_ENTRY(position, name, result, shape)                                                        \
  {position, #name,                                                                                        \
   [] { return Invoke([] SYSENV_PARAMS_##shape(std::uint32_t) { return name(SYSENV_ARGS_##shape); }, position); }},
#define SYSENV_ENTRY_NOWRAP(position, name)
#define SYSENV_SECOND_WRAPPER(position, name, second, result, shape)                                         \
  {position, #second,                                                                                        \
   [] { return Invoke([] SYSENV_PARAMS_##shape(std::uint32_t) { return second(SYSENV_ARGS_##shape); }, position); }},
const Wrapper kWrappers[] = {
#include "sysbind/SysEnvEntries.inc"
};

// ---- Path and file name ------------------------------------------------------------------------

TEST(SysEnvPath, APathThatDoesNotFitIsRefused) {
  char path[kSysEnvPathSize];
  // "\SysENV16b.dll" is 14 characters: 245 + 14 = 259 fits, one more does not.
  ASSERT_TRUE(FormatSysEnvLibraryPath(std::string(245, 'd').c_str(), 16, path));
  EXPECT_EQ(std::strlen(path), 259u);
  EXPECT_FALSE(FormatSysEnvLibraryPath(std::string(246, 'd').c_str(), 16, path));
  EXPECT_STREQ(path, "");
  // "\SysENV.dll" is 11.
  EXPECT_TRUE(FormatSysEnvLibraryPath(std::string(248, 'd').c_str(), 1, path));
  EXPECT_FALSE(FormatSysEnvLibraryPath(std::string(249, 'd').c_str(), 1, path));
  EXPECT_FALSE(FormatSysEnvLibraryPath(std::string(4000, 'd').c_str(), 1, path));
  // The loader formats into the buffer that holds the directory.
  std::strcpy(path, "C:\\sys");
  ASSERT_TRUE(FormatSysEnvLibraryPath(path, 8, path));
  EXPECT_STREQ(path, "C:\\sys\\SysENV8b.dll");
}

// ---- Loading -----------------------------------------------------------------------------------

TEST_F(SysEnvLibraryTest, EachVariantLoadsItsOwnFileFromTheSystemDirectory) {
  const char* names[] = {"SysENV.dll", "SysENV2b.dll", "SysENV4b.dll", "SysENV8b.dll", "SysENV16b.dll"};
  for (const char* name : names) ASSERT_TRUE(Install(name, name));
  // Variants other than 2, 4, 8 and 16 load the plain name.
  const std::pair<int, const char*> cases[] = {
      {1, "SysENV.dll"},   {3, "SysENV.dll"},   {0, "SysENV.dll"},   {17, "SysENV.dll"},   {-1, "SysENV.dll"},
      {32, "SysENV.dll"},  {2, "SysENV2b.dll"}, {4, "SysENV4b.dll"}, {8, "SysENV8b.dll"}, {16, "SysENV16b.dll"}};
  for (const auto& [variant, file] : cases) {
    SCOPED_TRACE(variant);
    ASSERT_EQ(LoadSysEnvLibrary(variant), 1);
    char loaded[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameA(g_hSysEnvLibrary, loaded, MAX_PATH), 0u);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, loaded, -1,
                             (SystemDirectory() + "\\" + file).c_str(), -1),
              CSTR_EQUAL)
        << loaded;
    EXPECT_EQ(ResolvedCount(), kSysEnvEntryCount);
    FreeSysEnvLibrary();
    EXPECT_EQ(g_hSysEnvLibrary, nullptr);
    EXPECT_EQ(ResolvedCount(), 0);
  }
}

TEST_F(SysEnvLibraryTest, LoadingAgainReleasesTheEarlierLibrary) {
  ASSERT_TRUE(Install("SysENV.dll", "SysENV.dll"));
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  const std::string path = SystemDirectory() + "\\SysENV.dll";
  ASSERT_NE(GetModuleHandleA(path.c_str()), nullptr);
  FreeSysEnvLibrary();
  EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "a second load kept the first reference";
}

TEST_F(SysEnvLibraryTest, AMissingEntryFailsWithItsPlaceAndKeepsTheEntriesBefore) {
  struct Case {
    const char* library;
    int missingPosition;
    int code;
  };
  const Case cases[] = {{"SysENV_without_GetSysEnv.dll", 1, -2},
                        {"SysENV_without_CnvIntData.dll", 115, -116},
                        {"SysENV_without_GetRand.dll", 116, -118},
                        {"SysENV_without_DeCodeESC.dll", 181, -183}};
  const HINSTANCE appResources = GetModuleHandleA("kernel32.dll");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    ASSERT_TRUE(Install(c.library, "SysENV.dll"));
    fw::SetResourceModule(appResources);
    EXPECT_EQ(LoadSysEnvLibrary(1), c.code);
    EXPECT_EQ(fw::GetResourceModule(), appResources) << "resource module not restored";
    EXPECT_NE(g_hSysEnvLibrary, nullptr) << "the library stays loaded";
    for (const SysEnvResolution& r : kSysEnvResolutionList) {
      const bool resolved = g_sysEnvEntries.*r.entry != nullptr;
      EXPECT_EQ(resolved, r.position < c.missingPosition) << r.name;
    }
  }
  // The success path restores it as well.
  ASSERT_TRUE(Install("SysENV.dll", "SysENV.dll"));
  fw::SetResourceModule(appResources);
  EXPECT_EQ(LoadSysEnvLibrary(1), 1);
  EXPECT_EQ(fw::GetResourceModule(), appResources);
}

// ---- Wrappers ----------------------------------------------------------------------------------

TEST_F(SysEnvLibraryTest, WrappersWithoutALibraryReturnTheirFallbacks) {
  FreeSysEnvLibrary();
  ASSERT_EQ(ResolvedCount(), 0);
  for (const Wrapper& w : kWrappers) {
    const Outcome o = w.call();
    switch (o.kind) {
      case 'f': EXPECT_EQ(o.f, -1000.0f) << w.name; break;
      case 't': EXPECT_STREQ(o.t, "No This Funciont") << w.name; break;
      default: EXPECT_EQ(o.i, -1000) << w.name;
    }
  }

  // GetSysEnv leaves the record alone.
  static char record[kSysEnvRecordSize];
  std::memset(record, 0x5A, sizeof record);
  EXPECT_EQ(GetSysEnv(record), -1000);
  EXPECT_EQ(std::count(record, record + sizeof record, 0x5A), static_cast<long>(sizeof record));
  char field[16] = "untouched";
  EXPECT_EQ(GetField("a,b", field, 0), -1000);
  EXPECT_EQ(GetField2("a b", field, 0, ' '), -1000);
  EXPECT_STREQ(field, "untouched");
}

TEST_F(SysEnvLibraryTest, EveryWrapperPassesItsArgumentsToItsOwnEntryOnly) {
  ASSERT_TRUE(Install("SysENV_recorder.dll", "SysENV.dll"));
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  using ResetFn = void(__cdecl*)();
  using CountFn = int(__cdecl*)();
  using CallFn = int(__cdecl*)(int, int*, std::uint32_t*);
  const auto reset = reinterpret_cast<ResetFn>(Export("RecorderReset"));
  const auto count = reinterpret_cast<CountFn>(Export("RecorderCallCount"));
  const auto call = reinterpret_cast<CallFn>(Export("RecorderCall"));
  ASSERT_TRUE(reset && count && call);

  for (const Wrapper& w : kWrappers) {
    SCOPED_TRACE(w.name);
    reset();
    const Outcome o = w.call();
    ASSERT_EQ(count(), 1) << "one call, to one entry";
    int position = 0;
    std::uint32_t slots[8] = {};
    const int n = call(0, &position, slots);
    EXPECT_EQ(position, w.position);
    ASSERT_EQ(n, static_cast<int>(o.slots.size()));
    EXPECT_EQ(std::vector<std::uint32_t>(slots, slots + n), o.slots);
    // The entry's answer comes back unchanged.
    switch (o.kind) {
      case 'f': EXPECT_EQ(o.f, static_cast<float>(w.position) + 0.25f); break;
      case 't': EXPECT_STREQ(o.t, "recorded text"); break;
      default: EXPECT_EQ(o.i, w.position * 1000 + 7);
    }
  }
  // The callers' own argument types go through as they are.
  reset();
  char out[512];
  EXPECT_EQ(GetField2("Lift (up)", out, 0, '('), 84007);
  int position = 0;
  std::uint32_t slots[8] = {};
  ASSERT_EQ(call(0, &position, slots), 4);
  EXPECT_EQ(slots[1], reinterpret_cast<std::uintptr_t>(out));
  EXPECT_EQ(slots[2], 0u);
  EXPECT_EQ(slots[3], static_cast<std::uint32_t>('('));
  EXPECT_STREQ(reinterpret_cast<const char*>(slots[0]), "Lift (up)");
}

// ---- The simulator -----------------------------------------------------------------------------

TEST_F(SysEnvLibraryTest, SimulatorFillsTheDirectoriesFromTheIniBesideIt) {
  ASSERT_TRUE(Install("SysENV.dll", "SysENV.dll"));
  SystemDirFile& ini = File("SysENV.ini");
  ASSERT_TRUE(ini.Write("[Directories]\r\nConfig=C:\\Station\\配置\\\r\nDeviceLibrary = D:\\Lib\r\n"));
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  EXPECT_EQ(GetSysEnv(&SysEnvRecord), 1);
  EXPECT_STREQ(SysEnvConfigDirectory(), "C:\\Station\\配置");
  EXPECT_STREQ(SysEnvDeviceLibraryDirectory(), "D:\\Lib");
  EXPECT_EQ(SysEnvConfigDirectory(), SysEnvRecord.data + 7806);
  EXPECT_EQ(SysEnvDeviceLibraryDirectory(), SysEnvRecord.data + 15198);
  EXPECT_EQ(SysEnvRecord.terminator, '\0');

  // A directory that is missing is left empty and reported.
  ASSERT_TRUE(ini.Write("[Directories]\r\nConfig=C:\\Cfg\r\n"));
  EXPECT_EQ(GetSysEnv(&SysEnvRecord), 0);
  EXPECT_STREQ(SysEnvConfigDirectory(), "C:\\Cfg");
  EXPECT_STREQ(SysEnvDeviceLibraryDirectory(), "");

  // No ini at all: both empty, no crash.
  ASSERT_TRUE(ini.Remove());
  EXPECT_EQ(GetSysEnv(&SysEnvRecord), 0);
  EXPECT_STREQ(SysEnvConfigDirectory(), "");
  EXPECT_STREQ(SysEnvDeviceLibraryDirectory(), "");
  EXPECT_EQ(GetSysEnv(nullptr), -1);
}

TEST_F(SysEnvLibraryTest, SimulatorSplitsFieldsAndGivesLanguageTexts) {
  ASSERT_TRUE(Install("SysENV.dll", "SysENV.dll"));
  ASSERT_EQ(LoadSysEnvLibrary(1), 1);
  char out[1024];
  // The panel's window placement: four numbers.
  const int expected[] = {10, 20, 800, 600};
  for (int i = 0; i < 4; ++i) {
    ASSERT_GT(GetField("10, 20 ,800,600", out, i), 0);
    EXPECT_EQ(std::atoi(out), expected[i]);
  }
  EXPECT_EQ(GetField("10, 20 ,800,600", out, 4), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(GetField("", out, 0), 0);
  EXPECT_EQ(GetField("a, ,b", out, 1), 0);
  EXPECT_EQ(GetField2("Lift (up)", out, 0, '('), 5);
  EXPECT_STREQ(out, "Lift ");
  EXPECT_EQ(GetField2("Lift up", out, 0, ' '), 4);
  EXPECT_EQ(GetField2("(up)", out, 0, '('), 0);

  // A field as long as a configuration value reaches the caller whole; at most 1999 bytes and the
  // terminator are written.
  std::vector<char> wide(2100, 'Z');
  const std::string longField(1999, 'x');
  EXPECT_EQ(GetField(longField.c_str(), wide.data(), 0), 1999);
  EXPECT_EQ(wide[1999], '\0');
  const std::string longer(2050, 'y');
  std::fill(wide.begin(), wide.end(), 'Z');
  EXPECT_EQ(GetField2(longer.c_str(), wide.data(), 0, ','), 1999);
  EXPECT_EQ(wide[1999], '\0');
  EXPECT_EQ(wide[2000], 'Z');

  const char* id = GetLangueString("ID");
  const char* device = GetLangueString("设备");
  ASSERT_NE(id, nullptr);
  ASSERT_NE(device, nullptr);
  EXPECT_STRNE(id, "");
  EXPECT_STREQ(device, "设备名称");
  // Texts for unknown keys are the keys themselves, kept while the library is loaded.
  std::string key = "Lift";
  const char* lift = GetLangueString(key.c_str());
  key = "xxxx";
  EXPECT_STREQ(lift, "Lift");
  EXPECT_EQ(GetLangueString("Lift"), lift);
  EXPECT_STREQ(GetLangueString("ID"), id);
}

// ---- A library that is not there --------------------------------------------------------------

struct BoxFinder {
  DWORD process;
  HWND box;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
  auto* finder = reinterpret_cast<BoxFinder*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (pid == finder->process && std::wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
    finder->box = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct BoxContent {
  std::vector<std::wstring> texts;
  std::vector<HWND> buttons;
};

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM param) {
  auto* content = reinterpret_cast<BoxContent*>(param);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (_wcsicmp(cls, L"Button") == 0) {
    content->buttons.push_back(hwnd);
  } else {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    content->texts.emplace_back(text);
  }
  return TRUE;
}

// Starts the helper with `variant`, expects the message box, answers it and returns the exit code.
void ExpectMessageAndExitCodeMinusOne(int variant) {
  SCOPED_TRACE(variant);
  std::string command = "\"" + BuiltFile("sysbind_load_helper.exe") + "\" " + std::to_string(variant);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  struct Closer {
    PROCESS_INFORMATION& pi;
    ~Closer() {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  } closer{pi};

  BoxFinder finder{pi.dwProcessId, nullptr};
  const DWORD start = GetTickCount();
  while (finder.box == nullptr && GetTickCount() - start < 60000) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&finder));
    if (finder.box == nullptr) Sleep(100);
  }
  ASSERT_NE(finder.box, nullptr) << "no message box";

  BoxContent content;
  EnumChildWindows(finder.box, CollectChildren, reinterpret_cast<LPARAM>(&content));
  const std::wstring expected = fw::GbkToWide("系统库不存在或者版本错误!");
  EXPECT_NE(std::find(content.texts.begin(), content.texts.end(), expected), content.texts.end());
  ASSERT_EQ(content.buttons.size(), 1u) << "an OK button only";
  EXPECT_EQ(GetDlgCtrlID(content.buttons[0]), IDOK);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "ended before the answer";

  PostMessageW(finder.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(content.buttons[0]));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, static_cast<DWORD>(-1));
}

TEST_F(SysEnvLibraryTest, AMissingOrBrokenLibraryIsReportedAndEndsTheProcess) {
  File("SysENV.dll");  // set aside whatever is there: the file is missing
  ASSERT_FALSE(FileExists(SystemDirectory() + "\\SysENV.dll"));
  ExpectMessageAndExitCodeMinusOne(1);
  ASSERT_TRUE(File("SysENV4b.dll").Write("not a library"));
  ExpectMessageAndExitCodeMinusOne(4);
}

}  // namespace

// The device binding: loading, the guard against every kind of fault inside the library, and every
// slot reaching its entry.
#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "devbind/DeviceCall.h"
#include "devbind/HardWareDll.h"
#include "framework/ResourceModule.h"
#include "tests/support/TestSupport.h"

namespace {

std::string BinPath(const std::string& file) { return sptest::ExeDirectory() + "\\" + file; }

template <typename F>
F Export(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("devtest_faulty.dll"), name)));
}

void* ChainHead() {
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}
std::uintptr_t StackPointer() {
  std::uintptr_t sp;
  asm volatile("movl %%esp, %0" : "=r"(sp));
  return sp;
}
unsigned short ControlWord() {
  unsigned short cw;
  asm volatile("fnstcw %0" : "=m"(cw));
  return cw;
}
void __cdecl AbortHandler(int) {}

// Fault kinds of devtest_faulty.dll (FaultyDevice.cpp).
struct Fault {
  const char* name;
  int kind;
  unsigned long code;
};
const Fault kFaults[] = {{"access violation", 1, 0},
                         {"integer divide by zero", 2, 0},
                         {"raised 0xE0001234", 3, 0xE0001234UL},
                         {"raised 0x00000001", 3, 0x00000001UL},
                         {"raised 0xC00000FD", 3, 0xC00000FDUL},
                         {"C++ exception of another compiler", 4, 0},
                         {"C++ exception of our compiler", 5, 0},
                         {"values left on the x87 stack", 6, 0},
                         {"under the library's own exception frame", 7, 0}};

TEST(DeviceGuard, EveryFaultGivesTheFallbackAndLeavesTheCallerAsItWas) {
  CHardWareDll device;
  ASSERT_TRUE(device.Load(BinPath("devtest_faulty.dll").c_str()));
  const auto setFault = Export<void(__cdecl*)(int, unsigned long)>("TestSetFault");
  const auto calls = Export<int(__cdecl*)()>("TestCalls");
  const auto unwound = Export<int(__cdecl*)()>("TestFrameUnwound");
  const auto openText = Export<const char*(__cdecl*)()>("TestOpenText");
  const auto openPointer = Export<const char*(__cdecl*)()>("TestOpenPointer");
  ASSERT_TRUE(setFault && calls && unwound && openText && openPointer);

  // The caller's settings, each unlike what a call sets meanwhile: 53-bit x87 precision, an abort
  // handler, runtime errors reported in a message box.
  const unsigned short originalCw = ControlWord();
  const unsigned short callerCw = static_cast<unsigned short>((originalCw & ~0x0300) | 0x0200);
  asm volatile("fldcw %0" : : "m"(callerCw));
  const auto previousHandler = std::signal(SIGABRT, &AbortHandler);
  const int previousMode = _set_error_mode(_OUT_TO_MSGBOX);
  const char identity[] = "\xB2\xE2\xCA\xD4 ProbeDesk";  // GBK
  const std::uintptr_t stack = StackPointer();
  for (const Fault& fault : kFaults) {
    SCOPED_TRACE(fault.name);
    void* const chain = ChainHead();
    const int callsBefore = calls();
    const int unwoundBefore = unwound();
    setFault(fault.kind, fault.code);
    EXPECT_EQ(device.ExtInPutDig(5), 0);
    EXPECT_EQ(device.ExtInit(7), -1008);  // __stdcall
    EXPECT_EQ(device.ExtGetDis(7), -10000.0f);
    EXPECT_STREQ(device.GetVersion(), "CATCH-DevGetVersion");
    EXPECT_FALSE(device.StartRun(1));
    device.ExtOpen(identity);
    EXPECT_EQ(calls() - callsBefore, 6) << "every call reached its entry";
    EXPECT_EQ(unwound() - unwoundBefore, fault.kind == 7 ? 6 : 0) << "the library's own unwind handlers ran";
    EXPECT_EQ(devbind::LiveTextCopies(), 0u) << "ExtOpen's copy freed";
    EXPECT_EQ(ChainHead(), chain);
    EXPECT_EQ(ControlWord(), callerCw);
    EXPECT_EQ(std::signal(SIGABRT, &AbortHandler), &AbortHandler);
    EXPECT_EQ(_set_error_mode(_REPORT_ERRMODE), _OUT_TO_MSGBOX);

    // The same entries work again (floats too, after a dirty x87 stack). ExtInit pops three
    // arguments whatever its slot pushed: one, two, none, five.
    setFault(0, 0);
    EXPECT_EQ(device.ExtInPutDig(5), 1005);
    EXPECT_EQ(device.ExtGetDis(7), 7.25f);
    EXPECT_STREQ(device.GetVersion(), "FaultyDevice");
    EXPECT_TRUE(device.StartRun(1));
    EXPECT_FALSE(device.StartRun(2)) << "a truth value is its low byte alone";
    EXPECT_EQ(device.ExtInit(7), 7);
    EXPECT_EQ(device.ExtInit(7, 2), 7);
    device.ExtInit();
    EXPECT_EQ(device.ExtInit(7, 1, 2, 3, 4), 7);
    device.ExtOpen(identity);
    EXPECT_STREQ(openText(), identity);
    EXPECT_NE(openPointer(), identity) << "the library gets a copy";
    EXPECT_EQ(devbind::LiveTextCopies(), 0u);
    EXPECT_EQ(StackPointer(), stack);
  }
  asm volatile("fldcw %0" : : "m"(originalCw));
  std::signal(SIGABRT, previousHandler);
  _set_error_mode(previousMode);
}

TEST(DeviceLoad, PathLimitsResourceModuleAndMissingEntries) {
  CHardWareDll device;
  char stored[CHardWareDll::kPathSize];
  // 259 characters fit the path field with their NUL: tried, and kept whole. Longer ones are
  // refused and leave nothing of themselves in the field.
  const auto path = [](std::size_t size) { return "C:\\" + std::string(size - 7, 'd') + ".dll"; };
  EXPECT_FALSE(device.Load(path(259).c_str()));
  device.GetPath(stored);
  EXPECT_EQ(stored, path(259));
  for (std::size_t size : {260u, 4000u}) {
    EXPECT_FALSE(device.Load(path(size).c_str()));
    device.GetPath(stored);
    EXPECT_STREQ(stored, "") << size;
  }

  const HINSTANCE program = GetModuleHandleA("kernel32.dll");
  fw::SetResourceModule(program);
  EXPECT_FALSE(device.Load(BinPath("no_such_device.dll").c_str()));
  EXPECT_EQ(fw::GetResourceModule(), program);
  ASSERT_TRUE(device.Load(BinPath("devtest_faulty.dll").c_str()));
  EXPECT_EQ(fw::GetResourceModule(), program);
  fw::SetResourceModule(nullptr);

  // Entries the library lacks, and after Unload every entry, answer with the slot's missing value.
  EXPECT_EQ(device.ExtInitInfo(1), -1007);
  EXPECT_EQ(device.ExtGetFreb(200), -10000.0f);
  EXPECT_STREQ(device.ExtGetVersion(), "UNKNOW");
  device.Unload();
  EXPECT_EQ(device.ExtInPutDig(5), 0);
  EXPECT_EQ(device.ExtInit(7), -1007);
  EXPECT_STREQ(device.GetVersion(), "NULL");
}

// Sample arguments for the parts of a slot's arguments (n from 1): converted to a part's type, each
// notes how the simulator's journal shows it.
std::string g_journal[11];
struct Sample {
  int n;
  template <typename T> T Note(T value, const std::string& seen) const { g_journal[n - 1] = " " + seen; return value; }
  operator fw::Arg() const { return Note(fw::Arg(10 * n - 3), std::to_string(10 * n - 3)); }
  operator fw::Quad() const { return Note(fw::Quad(n, 2, 3, -4), std::to_string(n) + " 2 3 -4"); }
  operator std::uint16_t() const { return Note<std::uint16_t>(0xFF00 + n, std::to_string(0xFF00 + n)); }
  operator std::uint8_t() const { return Note<std::uint8_t>(0xA0 + n, std::to_string(0xA0 + n)); }
  operator const char*() const { return Note("ProbeDesk", "\"ProbeDesk\""); }
};
#define SAMPLE(part, n) Sample{n}

const struct {
  const char* entry;
  const char* arguments;
  void (*call)(CHardWareDll&);
} kRows[] = {
#define SLOT(number, entry, method, args, result, missing, faulted, neutral) \
  {#entry, #args, [](CHardWareDll& d) { (void)d.method(SP_SHAPE_##args(SAMPLE)); }},
#include "devbind/DeviceSlots.inc"
#undef SLOT
};

// Every method reaches the simulator's entry of its own name: one journal line per call, with all
// the arguments where the export takes the slot's list (that of the first slot of the name). A
// setting the simulator does not understand comes first, on a line no entry starts with.
TEST(DeviceSlots, EverySlotReachesItsEntryWithItsArguments) {
  const std::string folder = BinPath("devbind_slots");
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFileA((folder + "\\journal.txt").c_str());
  ASSERT_TRUE(CopyFileA(BinPath("Hardware.dll").c_str(), (folder + "\\Hardware.dll").c_str(), FALSE));
  std::ofstream(folder + "\\HardwareSim.ini", std::ios::binary) << "[Journal]\r\nFile = journal.txt\r\n[Inputs]\r\nIn3 = sometimes\r\n";
  CHardWareDll device;
  ASSERT_TRUE(device.Load((folder + "\\Hardware.dll").c_str()));
  std::vector<std::string> expected{"# HardwareSim.ini: not understood, the default stays: \"Inputs/In3: sometimes\""};
  float samples[50];
  for (const auto& row : kRows) {
    for (std::string& part : g_journal) part.clear();
    if (std::strcmp(row.entry, "ExtGetAnalog") == 0) {
      device.ExtGetAnalog(3, samples, 50);  // its second argument is a buffer
      expected.push_back("ExtGetAnalog 3 ptr 50");
      continue;
    }
    row.call(device);
    const auto* first = kRows;
    while (std::strcmp(first->entry, row.entry) != 0) ++first;
    std::string line = row.entry;
    for (const std::string& part : g_journal) line += part;
    expected.push_back(std::strcmp(first->arguments, row.arguments) == 0 ? line : row.entry);
  }
  device.Unload();

  std::ifstream in(folder + "\\journal.txt", std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Where the export's argument list differs from the slot's, its name alone is expected.
    const bool nameOnly = expected[i].find(' ') == std::string::npos;
    EXPECT_EQ(nameOnly ? lines[i].substr(0, lines[i].find(' ')) : lines[i], expected[i]) << "slot " << i + 1;
  }
}

}  // namespace

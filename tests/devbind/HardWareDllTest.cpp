// Loading, unloading and resolving the device library, and what every method answers with no
// entry to call.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "SlotCalls.h"
#include "devbind/HardWareDll.h"
#include "framework/ResourceModule.h"

namespace {

using devtest::BinPath;

std::string StoredPath(const CHardWareDll& device) {
  char path[CHardWareDll::kPathSize];
  std::memset(path, 'x', sizeof(path));
  device.GetPath(path);
  return std::string(path, strnlen(path, sizeof(path)));
}

int FilledSlots(const CHardWareDll& device) {
  int filled = 0;
  for (int slot = 1; slot <= CHardWareDll::kSlotCount; ++slot) filled += device.GetEntry(slot) != nullptr;
  return filled;
}

bool ModuleLoaded(const char* name) { return GetModuleHandleA(name) != nullptr; }

TEST(HardWareDllLoad, MissingOrBrokenLibraryIsNotLoadedButItsPathIsKept) {
  CHardWareDll device;
  EXPECT_FALSE(device.IsLoaded());
  EXPECT_EQ(StoredPath(device), "");
  EXPECT_EQ(FilledSlots(device), 0);
  EXPECT_EQ(device.GetEntry(0), nullptr);
  EXPECT_EQ(device.GetEntry(166), nullptr);
  EXPECT_FALSE(theHardWare.IsLoaded());

  const std::string missing = BinPath("no_such_device.dll");
  EXPECT_FALSE(device.Load(missing.c_str()));
  EXPECT_FALSE(device.IsLoaded());
  EXPECT_FALSE(device.GetPath(nullptr));
  EXPECT_EQ(StoredPath(device), missing);
  EXPECT_EQ(FilledSlots(device), 0);

  // A file that is no library at all fails the same way, without a message box.
  const std::string broken = BinPath("devbind_not_a_library.dll");
  FILE* file = std::fopen(broken.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("MZ but not really a library", file);
  std::fclose(file);
  EXPECT_FALSE(device.Load(broken.c_str()));
  EXPECT_FALSE(device.IsLoaded());
  EXPECT_EQ(StoredPath(device), broken);
  DeleteFileA(broken.c_str());

  EXPECT_FALSE(device.Load(""));
  EXPECT_FALSE(device.Load(nullptr));
  EXPECT_FALSE(device.IsLoaded());
}

TEST(HardWareDllLoad, PathsThatDoNotFitTheFieldAreRefused) {
  CHardWareDll device;
  // 259 characters fit with their NUL: tried, and kept whole.
  std::string longest = "C:\\" + std::string(252, 'd') + ".dll";
  ASSERT_EQ(longest.size(), 259u);
  EXPECT_FALSE(device.Load(longest.c_str()));
  EXPECT_EQ(StoredPath(device), longest);
  // 260 or more are refused; the field holds no part of them.
  for (std::size_t size : {260u, 261u, 4000u}) {
    const std::string tooLong = "C:\\" + std::string(size - 7, 'd') + ".dll";
    ASSERT_EQ(tooLong.size(), size);
    EXPECT_FALSE(device.Load(tooLong.c_str())) << size;
    EXPECT_EQ(StoredPath(device), "") << size;
    EXPECT_FALSE(device.IsLoaded());
  }
  // A refused path does not stop a later, proper load.
  EXPECT_TRUE(device.Load(BinPath("devtest_minimal.dll").c_str()));
  device.Unload();
}

TEST(HardWareDllLoad, LibraryWithTwoEntriesFillsOnlyTheirSlots) {
  CHardWareDll device;
  const std::string path = BinPath("devtest_minimal.dll");
  ASSERT_TRUE(device.Load(path.c_str()));
  EXPECT_TRUE(device.IsLoaded());
  EXPECT_TRUE(device.GetPath(nullptr));
  EXPECT_EQ(StoredPath(device), path);
  EXPECT_NE(device.GetEntry(1), nullptr);
  EXPECT_NE(device.GetEntry(2), nullptr);
  for (int slot = 3; slot <= CHardWareDll::kSlotCount; ++slot) EXPECT_EQ(device.GetEntry(slot), nullptr) << slot;
  // The present entries are called; the rest answer as missing.
  device.ExtClose();
  device.ExtOpen("ProbeDesk");
  EXPECT_EQ(device.ExtInPutDig(0), 0);
  EXPECT_EQ(device.ExtGetDis(300), -10000.0f);

  device.Unload();
  EXPECT_FALSE(device.IsLoaded());
  EXPECT_EQ(FilledSlots(device), 0);
  EXPECT_FALSE(ModuleLoaded("devtest_minimal.dll"));
  EXPECT_EQ(StoredPath(device), path);
  device.Unload();  // nothing loaded: nothing happens
  EXPECT_FALSE(device.IsLoaded());

  // The destructor frees a library still loaded.
  {
    CHardWareDll scoped;
    ASSERT_TRUE(scoped.Load(path.c_str()));
    EXPECT_TRUE(ModuleLoaded("devtest_minimal.dll"));
  }
  EXPECT_FALSE(ModuleLoaded("devtest_minimal.dll"));
}

TEST(HardWareDllLoad, LoadWhileLoadedKeepsTheFirstLibraryAndPath) {
  CHardWareDll device;
  const std::string first = BinPath("devtest_minimal.dll");
  const std::string second = BinPath("devtest_faulty.dll");
  ASSERT_TRUE(device.Load(first.c_str()));
  const void* open = device.GetEntry(1);
  EXPECT_TRUE(device.Load(second.c_str()));
  EXPECT_TRUE(device.Load("no such path"));
  EXPECT_EQ(StoredPath(device), first);
  EXPECT_EQ(device.GetEntry(1), open);
  EXPECT_EQ(device.GetEntry(3), nullptr);
  EXPECT_FALSE(ModuleLoaded("devtest_faulty.dll"));

  // After Unload a new path may be loaded.
  device.Unload();
  ASSERT_TRUE(device.Load(second.c_str()));
  EXPECT_EQ(StoredPath(device), second);
  EXPECT_NE(device.GetEntry(3), nullptr);
  device.Unload();
}

TEST(HardWareDllLoad, ResourceModuleIsRestoredOnEveryPath) {
  const HINSTANCE mine = GetModuleHandleA("kernel32.dll");
  fw::SetResourceModule(mine);
  CHardWareDll device;
  EXPECT_FALSE(device.Load(BinPath("no_such_device.dll").c_str()));
  EXPECT_EQ(fw::GetResourceModule(), mine);
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_TRUE(device.Load(BinPath("devtest_minimal.dll").c_str()));
    EXPECT_EQ(fw::GetResourceModule(), mine);
  }
  device.Unload();
  fw::SetResourceModule(nullptr);
}

TEST(HardWareDllCalls, EveryMethodGivesItsMissingValueWithNothingLoaded) {
  CHardWareDll device;
  const std::uint32_t values[16] = {7, 17, 27, 37, 47, 57, 67, 77, 87, 97, 107, 117, 127, 137, 147, 157};
  for (const devbind::SlotInfo& row : devbind::kSlots) {
    const devtest::Observed observed = devtest::CallSlot(device, row.number, values);
    EXPECT_EQ(devtest::CompareWithFallback(row.number, observed, row.missing), "");
  }
  // A slot that Unload emptied answers the same way, also in the program's own instance.
  ASSERT_TRUE(theHardWare.Load(BinPath("devtest_faulty.dll").c_str()));
  EXPECT_EQ(theHardWare.ExtInPutDig(3), 1003);
  theHardWare.Unload();
  EXPECT_FALSE(theHardWare.IsLoaded());
  EXPECT_EQ(theHardWare.ExtInPutDig(3), 0);
  EXPECT_EQ(theHardWare.ExtGetDis(300), -10000.0f);
  EXPECT_STREQ(theHardWare.ExtGetVersion(), "UNKNOW");
  EXPECT_STREQ(theHardWare.GetVersion(), "NULL");
}

}  // namespace

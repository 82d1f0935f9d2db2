#include "framework/NativeCall.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

int g_seen[4];

extern "C" __attribute__((noinline)) int __stdcall StdcallTwo(int a, int b) {
  g_seen[0] = a;
  g_seen[1] = b;
  return a * 10 + b;
}

extern "C" __attribute__((noinline)) int __cdecl CdeclThree(int a, int b, int c) { return a + b + c; }

extern "C" __attribute__((noinline)) float __cdecl FloatHalf(int a) { return static_cast<float>(a) / 2.0f; }

extern "C" __attribute__((noinline)) unsigned char __cdecl TruthWithDirtyHighBytes() {
  unsigned char r;
  asm volatile("movl $0xABCDEF01, %%eax" : "=a"(r));
  return r;
}

// Stack state around a call: the same ESP before and after proves the caller's stack survived.
std::uintptr_t StackPointer() {
  std::uintptr_t sp;
  asm volatile("movl %%esp, %0" : "=r"(sp));
  return sp;
}

TEST(NativeCall, StdcallAndCdeclEntriesWithAnyArgumentCountKeepTheStack) {
  const std::uint32_t args[4] = {3, 4, 5, 6};
  const std::uintptr_t before = StackPointer();
  for (int i = 0; i < 100; ++i) {
    // Fewer, exact and more arguments than the stdcall entry pops.
    fw::CallNative(reinterpret_cast<const void*>(&StdcallTwo), args, 1);
    EXPECT_EQ(fw::CallNative(reinterpret_cast<const void*>(&StdcallTwo), args, 2).eax, 34u);
    EXPECT_EQ(fw::CallNative(reinterpret_cast<const void*>(&StdcallTwo), args, 4).eax, 34u);
    EXPECT_EQ(fw::CallNative(reinterpret_cast<const void*>(&CdeclThree), args, 3).eax, 12u);
    EXPECT_EQ(fw::CallNative(reinterpret_cast<const void*>(&CdeclThree), args, 4).eax, 12u);
  }
  EXPECT_EQ(StackPointer(), before);
  EXPECT_EQ(g_seen[0], 3);
  EXPECT_EQ(g_seen[1], 4);
}

TEST(NativeCall, FloatResultsComeFromTheX87Register) {
  const std::uint32_t args[1] = {static_cast<std::uint32_t>(-5)};
  const fw::NativeResult r = fw::CallNative(reinterpret_cast<const void*>(&FloatHalf), args, 1, true);
  EXPECT_EQ(static_cast<float>(r.st0), -2.5f);
  // The x87 stack is balanced afterwards: many calls do not overflow it.
  for (int i = 0; i < 20; ++i) fw::CallNative(reinterpret_cast<const void*>(&FloatHalf), args, 1, true);
  volatile double x = 1.5;
  EXPECT_EQ(x * 2, 3.0);
}

TEST(NativeCall, TruthValuesAreTheLowByteOnly) {
  const fw::NativeResult r = fw::CallNative(reinterpret_cast<const void*>(&TruthWithDirtyHighBytes), nullptr, 0);
  EXPECT_EQ(r.eax & 0xFF, 0x01u);
  EXPECT_EQ(fw::Slot<unsigned char>(0xFE), 0xFEu);
  EXPECT_EQ(fw::Slot<short>(-1), 0xFFFFFFFFu);
  EXPECT_EQ(fw::Slot(1.5f), 0x3FC00000u);
  EXPECT_EQ(fw::CallNative(nullptr, nullptr, 0).eax, 0u);
}

}  // namespace

// The guard: faults of every kind inside a library come back as the slot's fallback, leave the
// caller's state as it was, and the next call reaches the entry again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SlotCalls.h"
#include "devbind/DeviceCall.h"
#include "devbind/HardWareDll.h"

namespace {

using devtest::BinPath;
using devtest::ExceptionChainHead;

// Fault kinds of devtest_faulty.dll (FaultyDevice.cpp).
enum Fault {
  kNone = 0,
  kAccessViolation = 1,
  kDivideByZero = 2,
  kRaise = 3,
  kForeignCpp = 4,
  kOwnCpp = 5,
  kDirtyFpu = 6,
  kNestedFrame = 7,
};

struct FaultCase {
  const char* name;
  int fault;
  unsigned long raiseCode;
};

const FaultCase kFaultCases[] = {
    {"access violation", kAccessViolation, 0},
    {"integer divide by zero", kDivideByZero, 0},
    {"structured exception 0xE0001234", kRaise, 0xE0001234UL},
    {"structured exception 0x00000001", kRaise, 0x00000001UL},
    {"structured exception 0xC00000FD", kRaise, 0xC00000FDUL},
    {"C++ exception of another compiler", kForeignCpp, 0},
    {"C++ exception of our compiler", kOwnCpp, 0},
    {"access violation with values left on the x87 stack", kDirtyFpu, 0},
    {"access violation under the library's own exception frame", kNestedFrame, 0},
};

void __cdecl TestAbortHandler(int) {}

template <typename F>
F Proc(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class DeviceCallTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_device.Load(BinPath("devtest_faulty.dll").c_str()));
    const HMODULE module = GetModuleHandleA("devtest_faulty.dll");
    ASSERT_NE(module, nullptr);
    m_setFault = Proc<void(__cdecl*)(int, unsigned long)>(module, "TestSetFault");
    m_calls = Proc<int(__cdecl*)()>(module, "TestCalls");
    m_frameUnwound = Proc<int(__cdecl*)()>(module, "TestFrameUnwound");
    m_openPointer = Proc<const char*(__cdecl*)()>(module, "TestOpenPointer");
    m_openText = Proc<const char*(__cdecl*)()>(module, "TestOpenText");
    m_lastOutput = Proc<int(__cdecl*)(int)>(module, "TestLastOutput");
    ASSERT_TRUE(m_setFault && m_calls && m_frameUnwound && m_openPointer && m_openText && m_lastOutput);
    m_setFault(kNone, 0);
  }
  void TearDown() override {
    if (m_device.IsLoaded() && m_setFault != nullptr) m_setFault(kNone, 0);
    m_device.Unload();
  }

  CHardWareDll m_device;
  void(__cdecl* m_setFault)(int, unsigned long) = nullptr;
  int(__cdecl* m_calls)() = nullptr;
  int(__cdecl* m_frameUnwound)() = nullptr;
  const char*(__cdecl* m_openPointer)() = nullptr;
  const char*(__cdecl* m_openText)() = nullptr;
  int(__cdecl* m_lastOutput)(int) = nullptr;
};

TEST_F(DeviceCallTest, EveryFaultGivesTheFallbackOfEveryResultKindAndTheNextCallWorks) {
  for (const FaultCase& fault : kFaultCases) {
    SCOPED_TRACE(fault.name);
    void* const chain = ExceptionChainHead();
    m_setFault(fault.fault, fault.raiseCode);
    const int callsBefore = m_calls();
    const int outputBefore = m_lastOutput(0);

    EXPECT_EQ(m_device.ExtInPutDig(5), 0);                       // int32, 0 either way
    EXPECT_EQ(m_device.ExtInit(7), -1008);                       // int32, __stdcall entry
    EXPECT_EQ(m_device.ExtMeterCommand(21, 0, 0), -1);           // int32, its own exception value
    EXPECT_EQ(m_device.ExtGetDis(7), -10000.0f);                 // float
    EXPECT_STREQ(m_device.ExtGetVersion(), "UNKNOW");            // text
    EXPECT_STREQ(m_device.GetVersion(), "CATCH-DevGetVersion");  // text, its own exception value
    EXPECT_FALSE(m_device.StartRun(1));                          // bool8
    EXPECT_FALSE(m_device.cdm_Sendcdminfo(0xA5, 0, 0));          // bool8, __stdcall entry
    m_device.ExtOutPutDig(3, 1);                                 // no result
    m_device.ExtOpen("ProbeDesk");                               // no result, text copy
    EXPECT_EQ(m_calls() - callsBefore, 10) << "every call reached its entry";
    EXPECT_EQ(m_lastOutput(0), outputBefore) << "the faulting entry did not finish";
    EXPECT_EQ(devbind::LiveTextCopies(), 0u);
    EXPECT_EQ(ExceptionChainHead(), chain);

    // The same entries, working again.
    m_setFault(kNone, 0);
    EXPECT_EQ(m_device.ExtInPutDig(5), 1005);
    EXPECT_EQ(m_device.ExtInit(7), 7);
    EXPECT_EQ(m_device.ExtMeterCommand(21, 0, 0), 42);
    EXPECT_EQ(m_device.ExtGetDis(7), 7.25f);
    EXPECT_STREQ(m_device.ExtGetVersion(), "FaultyDevice 2.5");
    EXPECT_STREQ(m_device.GetVersion(), "FaultyDevice GetVersion");
    EXPECT_TRUE(m_device.StartRun(1));
    EXPECT_TRUE(m_device.cdm_Sendcdminfo(0xA5, 0, 0));
    m_device.ExtOutPutDig(3, 1);
    EXPECT_EQ(m_lastOutput(0), 3);
    EXPECT_EQ(m_lastOutput(1), 1);
    m_device.ExtOpen("ProbeDesk");
    EXPECT_STREQ(m_openText(), "ProbeDesk");
    EXPECT_EQ(m_calls() - callsBefore, 20);
    EXPECT_EQ(ExceptionChainHead(), chain);
    m_device.ExtOutPutDig(0, 0);
  }
}

TEST_F(DeviceCallTest, TheGuardSeesWhichFaultEndedTheCall) {
  const void* entry = m_device.GetEntry(3);  // ExtInPutDig
  ASSERT_NE(entry, nullptr);
  const std::uint32_t args[1] = {9};
  for (const FaultCase& fault : kFaultCases) {
    SCOPED_TRACE(fault.name);
    m_setFault(fault.fault, fault.raiseCode);
    fw::NativeResult result;
    result.eax = 0xDDDDDDDD;
    unsigned long code = 0;
    EXPECT_FALSE(devbind::GuardedCall(entry, args, 1, false, &result, &code));
    EXPECT_EQ(result.eax, 0xDDDDDDDDu) << "the result is left alone after a fault";
    switch (fault.fault) {
      case kRaise:
        EXPECT_EQ(code, fault.raiseCode);
        break;
      case kForeignCpp:
        EXPECT_EQ(code, 0xE06D7363UL);
        break;
      case kOwnCpp:
        EXPECT_EQ(code, devbind::kAbortInsideLibrary);
        break;
      default:
        // Hardware faults: the code depends on the machine (an emulator may report another one).
        EXPECT_NE(code, 0UL);
        break;
    }
  }
  m_setFault(kNone, 0);
  fw::NativeResult result;
  unsigned long code = 77;
  EXPECT_TRUE(devbind::GuardedCall(entry, args, 1, false, &result, &code));
  EXPECT_EQ(result.eax, 1009u);
  EXPECT_EQ(code, 77UL);
}

TEST_F(DeviceCallTest, TheLibrarysOwnUnwindHandlersRun) {
  const int before = m_frameUnwound();
  m_setFault(kNestedFrame, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(m_device.ExtInit(1), -1008);
  EXPECT_EQ(m_frameUnwound() - before, 3);
}

TEST_F(DeviceCallTest, FaultsLeaveTheX87UnitUsable) {
  // Each fault leaves six values on the eight-register x87 stack; without a reset the second would
  // overflow it and every later float would come out as NaN.
  m_setFault(kDirtyFpu, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(m_device.ExtGetDis(1), -10000.0f);
  m_setFault(kNone, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(m_device.ExtGetDis(i), static_cast<float>(i) + 0.25f);
  volatile double x = 1.5;
  EXPECT_EQ(std::sqrt(x * 6.0), 3.0);

  // The reset keeps the caller's precision and rounding settings (here: 53-bit precision).
  unsigned short original = 0;
  asm volatile("fnstcw %0" : "=m"(original));
  const unsigned short doublePrecision = static_cast<unsigned short>((original & ~0x0300) | 0x0200);
  asm volatile("fldcw %0" : : "m"(doublePrecision));
  m_setFault(kDirtyFpu, 0);
  m_device.ExtGetDis(1);
  unsigned short after = 0;
  asm volatile("fnstcw %0" : "=m"(after));
  asm volatile("fldcw %0" : : "m"(original));
  EXPECT_EQ(after, doublePrecision);
}

TEST_F(DeviceCallTest, AbortHandlerAndErrorModeAreTheCallersAgainAfterEveryCall) {
  const auto previousHandler = std::signal(SIGABRT, &TestAbortHandler);
  const int previousMode = _set_error_mode(_OUT_TO_MSGBOX);
  for (int fault : {kNone, kOwnCpp, kAccessViolation}) {
    m_setFault(fault, 0);
    m_device.ExtInPutDig(1);
    m_device.ExtGetDis(1);
    EXPECT_EQ(std::signal(SIGABRT, &TestAbortHandler), &TestAbortHandler) << fault;
    EXPECT_EQ(_set_error_mode(_REPORT_ERRMODE), _OUT_TO_MSGBOX) << fault;
  }
  std::signal(SIGABRT, previousHandler);
  _set_error_mode(previousMode);
}

TEST_F(DeviceCallTest, StdcallEntriesTakingMoreOrFewerArgumentsThanPassedKeepTheStack) {
  // ExtInit is __stdcall with three parameters: it pops 12 bytes whatever the slot pushed.
  volatile int canary[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
  std::uintptr_t before;
  asm volatile("movl %%esp, %0" : "=r"(before));
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(m_device.ExtInit(i), i);                           // slot 15: one argument
    EXPECT_EQ(m_device.ExtInit(i, 2), i);                        // slot 61: two
    m_device.ExtInit();                                          // slot 75: none
    EXPECT_EQ(m_device.ExtInit107(i, 3), i);                     // slot 107: two
    EXPECT_EQ(m_device.ExtInit(i, 1, 2, 3, 4), i);               // slot 115: five
    EXPECT_EQ(m_device.ExtInit(i, 1, 2), i);                     // slot 120: three, as the entry takes
    EXPECT_EQ(m_device.ExtShow(i, RECT{1, 2, 3, 4}), i + 1234);  // slot 23: five slots, __stdcall
    m_device.ExtShow(i);                                         // slot 63: one of the five
  }
  std::uintptr_t after;
  asm volatile("movl %%esp, %0" : "=r"(after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(canary[0], 0x11111111);
  EXPECT_EQ(canary[3], 0x44444444);
}

TEST_F(DeviceCallTest, NarrowAndSixteenByteArgumentsArriveWhole) {
  EXPECT_EQ(m_device.ExtWriteInterNetDat(1, 2, 3, 4, 5, 6, 7, 8, 0xBEEF), 0xBEEF);
  EXPECT_TRUE(m_device.cdm_Sendcdminfo(0xA5, 1, 2));
  EXPECT_FALSE(m_device.cdm_Sendcdminfo(0x5A, 1, 2));
  EXPECT_EQ(m_device.ExtShow(5, CDeviceQuad(9, 8, 7, 6)), 5 + 9876);
}

TEST_F(DeviceCallTest, ResultsComeBackAsTheLibraryGaveThem) {
  // A float left in the x87 register at full precision is rounded to float once.
  EXPECT_EQ(m_device.ExtGetFreb(200), std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(m_device.ExtGetDis(-3), -2.75f);
  // An 8-bit truth value is the low byte alone, whatever the rest of the register holds.
  EXPECT_TRUE(m_device.StartRun(1));
  EXPECT_FALSE(m_device.StartRun(2));
  // A text is the library's own pointer.
  const char* version = m_device.ExtGetVersion();
  EXPECT_STREQ(version, "FaultyDevice 2.5");
  EXPECT_EQ(m_device.ExtGetVersion(), version);
}

TEST_F(DeviceCallTest, ExtOpenHandsOverAFreshCopyAndFreesItOnEveryPath) {
  const char identity[] = "\xB2\xE2\xCA\xD4 ProbeDesk";  // GBK text
  m_device.ExtOpen(identity);
  EXPECT_STREQ(m_openText(), identity);
  EXPECT_NE(m_openPointer(), identity) << "the library gets a copy, not the caller's text";
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);

  m_device.ExtOpen(nullptr);
  EXPECT_STREQ(m_openText(), "");
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);

  for (const FaultCase& fault : kFaultCases) {
    m_setFault(fault.fault, fault.raiseCode);
    m_device.ExtOpen(identity);
    EXPECT_EQ(devbind::LiveTextCopies(), 0u) << fault.name;
  }
  m_setFault(kNone, 0);

  m_device.Unload();
  m_device.ExtOpen(identity);
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);
}

TEST(TextCopy, IsACopyWhileItLivesAndCounted) {
  const char text[] = "ProbeDesk";
  {
    const devbind::CTextCopy copy(text);
    ASSERT_NE(copy.Get(), nullptr);
    EXPECT_NE(copy.Get(), text);
    EXPECT_STREQ(copy.Get(), text);
    EXPECT_EQ(devbind::LiveTextCopies(), 1u);
  }
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);
}

}  // namespace

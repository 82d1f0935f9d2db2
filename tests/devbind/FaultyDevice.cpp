// A device library for the guard's tests: a few entries of each result kind that end in the fault
// the test chose (TestSetFault), some __stdcall entries, and results that test exactness.
// The Windows headers declare a GetVersion of their own; keep it out of the way of our entry.
#define GetVersion WindowsGetVersion
#include <windows.h>
#undef GetVersion

#include <cstdint>
#include <cstring>
#include <stdexcept>

#define EXPORT extern "C" __declspec(dllexport)

namespace {

enum Fault {
  kNone = 0,
  kAccessViolation = 1,
  kDivideByZero = 2,
  kRaise = 3,        // RaiseException with the code given to TestSetFault
  kForeignCpp = 4,   // a C++ exception as another compiler's runtime raises it
  kOwnCpp = 5,       // a C++ throw by this library (our compiler): ends in terminate/abort
  kDirtyFpu = 6,     // values left on the x87 stack, then an access violation
  kNestedFrame = 7,  // an access violation under a structured-exception frame of the library's own
};

int g_fault = kNone;
unsigned long g_raiseCode = 0;
int g_calls = 0;
int g_frameUnwound = 0;
const char* g_openPointer = nullptr;
char g_openText[64];
int g_lastOutput[2] = {-1, -1};

volatile std::uintptr_t g_badAddress = 16;
volatile int g_zero = 0;
volatile int g_dividend = 10;  // volatile too, or the compiler may turn the division into a comparison

void AccessViolation() { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }

EXCEPTION_DISPOSITION __cdecl LibraryFrameHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) ++g_frameUnwound;
  return ExceptionContinueSearch;
}

__attribute__((noinline)) void FaultUnderOwnFrame() {
  EXCEPTION_REGISTRATION_RECORD frame;
  asm volatile("movl %%fs:0, %0" : "=r"(frame.Next));
  frame.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&LibraryFrameHandler);
  asm volatile("movl %0, %%fs:0" : : "r"(&frame) : "memory");
  AccessViolation();
  asm volatile("movl %0, %%fs:0" : : "r"(frame.Next) : "memory");
}

}  // namespace

// Every entry starts here: counts the call, then ends in the chosen fault, if any.
extern "C" void FaultyDeviceEnter() {
  ++g_calls;
  switch (g_fault) {
    case kAccessViolation:
      AccessViolation();
      break;
    case kDivideByZero:
      g_zero = g_dividend / g_zero;
      break;
    case kRaise:
      RaiseException(g_raiseCode, 0, 0, nullptr);
      break;
    case kForeignCpp: {
      const ULONG_PTR info[3] = {0x19930520, 0, 0};
      RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 3, info);
      break;
    }
    case kOwnCpp:
      throw std::runtime_error("device fault");
    case kDirtyFpu:
      asm volatile("fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1"
                   :
                   :
                   : "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)");
      AccessViolation();
      break;
    case kNestedFrame:
      FaultUnderOwnFrame();
      break;
    default:
      break;
  }
}

namespace {
void Enter() { FaultyDeviceEnter(); }
}  // namespace

// Test control.
EXPORT void __cdecl TestSetFault(int fault, unsigned long raiseCode) {
  g_fault = fault;
  g_raiseCode = raiseCode;
}
EXPORT int __cdecl TestCalls() { return g_calls; }
EXPORT int __cdecl TestFrameUnwound() { return g_frameUnwound; }
EXPORT const char* __cdecl TestOpenPointer() { return g_openPointer; }
EXPORT const char* __cdecl TestOpenText() { return g_openText; }
EXPORT int __cdecl TestLastOutput(int i) { return g_lastOutput[i & 1]; }

// Entries of each result kind.
EXPORT void __cdecl ExtOpen(const char* text) {
  g_openPointer = text;
  std::strncpy(g_openText, text, sizeof(g_openText) - 1);
  Enter();
}
EXPORT void __cdecl ExtOutPutDig(int channel, int level) {
  Enter();
  g_lastOutput[0] = channel;
  g_lastOutput[1] = level;
}
EXPORT int __cdecl ExtInPutDig(int channel) {
  Enter();
  return channel + 1000;
}
EXPORT int __cdecl ExtMeterCommand(int a, int, int) {
  Enter();
  return a * 2;
}
EXPORT float __cdecl ExtGetDis(int id) {
  Enter();
  return static_cast<float>(id) + 0.25f;
}
EXPORT const char* __cdecl ExtGetVersion() {
  Enter();
  return "FaultyDevice 2.5";
}
EXPORT const char* __cdecl GetVersion() {
  Enter();
  return "FaultyDevice GetVersion";
}

// A truth value whose upper EAX bytes are not zero: only AL counts.
EXPORT bool __cdecl StartRun(int id);
asm(R"(
    .section .drectve
    .ascii " -export:StartRun"
    .text
    .globl _StartRun
_StartRun:
    call _FaultyDeviceEnter
    movl 4(%esp), %eax
    andl $1, %eax
    orl $0xABCDEF00, %eax
    ret
)");

// A float result left in the x87 register at full precision: 1 + 2^-24 + 2^-60. Rounded once to
// float it is 1 + 2^-23; rounded to double first it would become 1.
EXPORT float __cdecl ExtGetFreb(int id);
asm(R"(
    .section .drectve
    .ascii " -export:ExtGetFreb"
    .data
    .balign 16
extendedResult:
    .quad 0x8000008000000008
    .word 0x3FFF
    .text
    .globl _ExtGetFreb
_ExtGetFreb:
    fldt extendedResult
    ret
)");

// __stdcall entries: the callee pops its own arguments, whatever the caller pushed.
EXPORT int __stdcall ExtInit(int a, int b, int c) {
  Enter();
  (void)b;
  (void)c;
  return a;
}
EXPORT int __stdcall ExtShow(int a, RECT r) {
  Enter();
  return a + r.left * 1000 + r.top * 100 + r.right * 10 + r.bottom;
}
EXPORT int __stdcall ExtWriteInterNetDat(int, int, int, int, int, int, int, int, unsigned short last) {
  Enter();
  return last;
}
EXPORT bool __stdcall cdm_Sendcdminfo(unsigned char flag, int, int) {
  Enter();
  return flag == 0xA5;
}

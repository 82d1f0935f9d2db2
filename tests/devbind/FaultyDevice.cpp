// A device library for the guard's tests: one entry of each result kind (and a __stdcall one),
// each ending in the fault the test chose with TestSetFault.
// The Windows headers declare a GetVersion of their own; keep it out of the way of our entry.
#define GetVersion WindowsGetVersion
#include <windows.h>
#undef GetVersion

#include <cstdint>
#include <cstring>
#include <stdexcept>

#define EXPORT extern "C" __declspec(dllexport)

namespace {

int g_fault = 0;
unsigned long g_raiseCode = 0;
int g_calls = 0;
int g_frameUnwound = 0;
const char* g_openPointer = nullptr;
char g_openText[64];
volatile std::uintptr_t g_badAddress = 16;
volatile int g_zero = 0;
volatile int g_ten = 10;  // volatile, or the division may become a comparison

void AccessViolation() { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }

EXCEPTION_DISPOSITION __cdecl LibraryFrameHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) ++g_frameUnwound;
  return ExceptionContinueSearch;
}

// The fault kinds, numbered as the test's table.
__attribute__((noinline)) void Enter() {
  ++g_calls;
  switch (g_fault) {
    case 1: AccessViolation(); break;
    case 2: g_zero = g_ten / g_zero; break;
    case 3: RaiseException(g_raiseCode, 0, 0, nullptr); break;
    case 4: {  // a C++ exception as another compiler's runtime raises it
      const ULONG_PTR info[3] = {0x19930520, 0, 0};
      RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 3, info);
      break;
    }
    case 5: throw std::runtime_error("device fault");  // ours: ends in terminate and abort
    case 6:  // values left on the x87 stack
      asm volatile("fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1" : : : "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)");
      AccessViolation();
      break;
    case 7: {  // under a structured-exception frame of the library's own
      EXCEPTION_REGISTRATION_RECORD frame;
      asm volatile("movl %%fs:0, %0" : "=r"(frame.Next));
      frame.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&LibraryFrameHandler);
      asm volatile("movl %0, %%fs:0" : : "r"(&frame) : "memory");
      AccessViolation();
      asm volatile("movl %0, %%fs:0" : : "r"(frame.Next) : "memory");
      break;
    }
    default: break;
  }
}

}  // namespace

EXPORT void __cdecl TestSetFault(int fault, unsigned long raiseCode) {
  g_fault = fault;
  g_raiseCode = raiseCode;
}
EXPORT int __cdecl TestCalls() { return g_calls; }
EXPORT int __cdecl TestFrameUnwound() { return g_frameUnwound; }
EXPORT const char* __cdecl TestOpenPointer() { return g_openPointer; }
EXPORT const char* __cdecl TestOpenText() { return g_openText; }

EXPORT void __cdecl ExtOpen(const char* text) {
  g_openPointer = text;
  std::strncpy(g_openText, text, sizeof(g_openText) - 1);
  Enter();
}
EXPORT int __cdecl ExtInPutDig(int channel) {
  Enter();
  return channel + 1000;
}
EXPORT float __cdecl ExtGetDis(int id) {
  Enter();
  return static_cast<float>(id) + 0.25f;
}
EXPORT const char* __cdecl GetVersion() {
  Enter();
  return "FaultyDevice";
}
// The callee pops its three arguments, whatever the caller pushed.
EXPORT int __stdcall ExtInit(int a, int, int) {
  Enter();
  return a;
}

// A truth value whose upper EAX bytes are not zero: only AL counts.
extern "C" void FaultyDeviceEnter() { Enter(); }
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

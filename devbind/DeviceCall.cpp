#include "devbind/DeviceCall.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

// RtlUnwind on x86 may change EBX, ESI, EDI and EBP, so it is called from a helper that keeps them,
// as compilers' own runtime helpers do. It unwinds every registration above `frame` (their handlers
// see the unwind and clean up) and leaves `frame` on top of the chain.
extern "C" void __cdecl sp_unwind_to_frame(void* frame);

asm(R"(
    .text
    .globl _sp_unwind_to_frame
    .def _sp_unwind_to_frame; .scl 2; .type 32; .endef
_sp_unwind_to_frame:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl %ebp
    pushl $0
    pushl $0
    pushl $1f
    pushl 8(%ebp)
    call _RtlUnwind@16
1:
    popl %ebp
    popl %edi
    popl %esi
    popl %ebx
    movl %ebp, %esp
    popl %ebp
    ret
)");

namespace devbind {

namespace {

// A registration on the thread's structured-exception chain (fs:[0]) plus where to resume.
struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD registration;  // first member: fs:[0] points at the frame
  void* resume[5];                             // __builtin_setjmp buffer
  DWORD code;
};

void* ExceptionChain() {
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

void SetExceptionChain(void* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// Structured-exception handler of the guard frame. On the first pass of a fault it unwinds the
// registrations the library put above us and resumes after the call in GuardedCall; the unwind
// pass itself concerns us no further.
EXCEPTION_DISPOSITION __cdecl OnLibraryFault(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
  GuardFrame* frame = static_cast<GuardFrame*>(establisher);
  frame->code = record->ExceptionCode;
  sp_unwind_to_frame(frame);
  __builtin_longjmp(frame->resume, 1);
}

// A C++ exception that its own (DWARF) unwinder cannot deliver ends in std::terminate and then in
// the C runtime's abort(), which raises SIGABRT first. During a guarded call SIGABRT becomes a
// structured exception that the guard frame catches like any other fault.
void __cdecl RaiseOnAbort(int) { RaiseException(kAbortInsideLibrary, EXCEPTION_NONCONTINUABLE, 0, nullptr); }

// Installs RaiseOnAbort for the duration of a call and puts back whatever was there. Some runtimes
// report abort() in a message box before raising SIGABRT; the message goes to standard error meanwhile.
class AbortAsFault {
 public:
  AbortAsFault() : m_pfnPrevious(std::signal(SIGABRT, &RaiseOnAbort)), m_nErrorMode(_set_error_mode(_OUT_TO_STDERR)) {}
  ~AbortAsFault() {
    if (m_pfnPrevious != SIG_ERR) std::signal(SIGABRT, m_pfnPrevious);
    if (m_nErrorMode >= 0) _set_error_mode(m_nErrorMode);
  }
  AbortAsFault(const AbortAsFault&) = delete;
  AbortAsFault& operator=(const AbortAsFault&) = delete;

 private:
  void (*m_pfnPrevious)(int);
  int m_nErrorMode;
};

std::size_t g_nLiveTextCopies = 0;

}  // namespace

__attribute__((noinline)) bool GuardedCall(const void* entry, const std::uint32_t* args, int count, bool readFloat,
                                           fw::NativeResult* result, unsigned long* faultCode) {
  AbortAsFault abortAsFault;
  unsigned short fpuControl;
  asm volatile("fnstcw %0" : "=m"(fpuControl));

  GuardFrame frame;
  frame.code = 0;
  frame.registration.Next = static_cast<EXCEPTION_REGISTRATION_RECORD*>(ExceptionChain());
  frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&OnLibraryFault);
  if (__builtin_setjmp(frame.resume) != 0) {
    // Back from OnLibraryFault: the chain ends at our frame again; take it off. Whatever the
    // library left on the x87 stack or in the direction flag goes too.
    SetExceptionChain(frame.registration.Next);
    asm volatile("fninit\n\tfldcw %0\n\tcld" : : "m"(fpuControl));
    if (faultCode != nullptr) *faultCode = *static_cast<volatile DWORD*>(&frame.code);
    return false;
  }
  SetExceptionChain(&frame.registration);
  const fw::NativeResult returned = fw::CallNative(entry, args, count, readFloat);
  SetExceptionChain(frame.registration.Next);
  *result = returned;
  return true;
}

CTextCopy::CTextCopy(const char* text) : m_pszText(nullptr) {
  if (text == nullptr) text = "";
  const std::size_t size = std::strlen(text) + 1;
  m_pszText = static_cast<char*>(std::malloc(size));
  if (m_pszText != nullptr) {
    std::memcpy(m_pszText, text, size);
    ++g_nLiveTextCopies;
  }
}

CTextCopy::~CTextCopy() {
  if (m_pszText != nullptr) {
    std::free(m_pszText);
    --g_nLiveTextCopies;
  }
}

std::size_t LiveTextCopies() { return g_nLiveTextCopies; }

}  // namespace devbind

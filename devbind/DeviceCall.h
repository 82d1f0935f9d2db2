// The guarded call into the device library: a stack-preserving call (fw::CallNative) inside a
// structured-exception frame, so that any fault inside the library comes back as "faulted"
// instead of ending the process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/NativeCall.h"

namespace devbind {

// Raised by the guard itself when the library ends in the C runtime's abort() during a guarded
// call: that is how a C++ exception thrown by a library built with a DWARF-unwinding compiler ends,
// as that library's unwinder cannot see our frames and calls std::terminate.
constexpr unsigned long kAbortInsideLibrary = 0xE0414254UL;

// Calls `entry` with `count` 32-bit slots from `args` (see fw::CallNative). Returns true when the
// entry returned, with its registers in `result`; false when it ended in a fault of any kind (an
// access violation, a divide by zero, any raised structured exception, a C++ exception of any
// compiler), with the exception code in `faultCode` when asked for. After a fault the library's own
// unwind handlers have run, the exception chain is the caller's again, the x87 unit is reset
// (control word kept) and `result` is untouched; nothing else is kept, so the next call simply
// tries again. `entry` must not be null.
bool GuardedCall(const void* entry, const std::uint32_t* args, int count, bool readFloat, fw::NativeResult* result,
                 unsigned long* faultCode = nullptr);

// The text copy handed to ExtOpen: a fresh heap copy, valid while the object lives, freed by its
// destructor whatever the call did. A null text is copied as an empty one. Get() is null only when
// memory ran out.
class CTextCopy {
 public:
  explicit CTextCopy(const char* text);
  ~CTextCopy();
  CTextCopy(const CTextCopy&) = delete;
  CTextCopy& operator=(const CTextCopy&) = delete;

  char* Get() const { return m_pszText; }

 private:
  char* m_pszText;
};

// Copies made by CTextCopy and not yet freed (for tests: every path must bring it back to zero).
std::size_t LiveTextCopies();

}  // namespace devbind

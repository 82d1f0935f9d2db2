// CHardWareDll: the binding to the station's device library ("Hardware.dll"). The library is loaded
// from a path at run time, its 165 entry slots are resolved by name, and every slot has a guarded
// method: an empty slot gives the slot's "missing" result, a fault inside the library gives its
// "faulted" result, and neither ever reaches the caller as an error. Every method answers a
// fw::Result: the value (the fallback where the entry did not answer) with how the call went, so a
// caller that must tell a faulted reading from a real one reads its status, and one that relies on
// the fallbacks alone reads the value as the plain type. The slots, their methods and their
// fallbacks are listed once, in DeviceSlots.inc.
#pragma once

#include <windows.h>

#include "framework/EntryShapes.h"
#include "framework/NativeCall.h"

class CHardWareDll {
 public:
  static constexpr int kPathSize = 260;  // the path field, terminating NUL included
  static constexpr int kSlotCount = 165;

  constexpr CHardWareDll() : m_szPath{}, m_hModule(nullptr), m_pEntries{} {}
  ~CHardWareDll();
  CHardWareDll(const CHardWareDll&) = delete;
  CHardWareDll& operator=(const CHardWareDll&) = delete;

  // Loads the library and resolves every slot; true when a library is loaded on return. While a
  // library is loaded this returns true at once and changes nothing. A path of kPathSize characters
  // or more is refused (false, Status::Failed with ERROR_FILENAME_EXCED_RANGE, and the stored path
  // is emptied); a library the system cannot load answers false, Status::Failed and the system's
  // error code.
  fw::Result<bool> Load(const char* path);
  // Frees the library and empties every slot; does nothing when nothing is loaded. Faulted when the
  // library's own unload code faulted (it is unloaded all the same).
  fw::Result<void> Unload();
  bool IsLoaded() const { return m_hModule != nullptr; }
  // Copies the stored path into `buffer` (kPathSize characters) when it is not null; returns IsLoaded().
  bool GetPath(char* buffer) const;

  // The resolved address of a slot (1..kSlotCount), null when empty or out of range.
  const void* GetEntry(int slot) const;

  // The guarded methods, one per slot (see DeviceSlots.inc).
#define SLOT(number, entry, method, args, result, missing, faulted, neutral) \
  fw::Result<SP_RESULT_##result> method(SP_SHAPE_##args(SP_BIND_PARAM));
#include "devbind/DeviceSlots.inc"
#undef SLOT

 private:
  char m_szPath[kPathSize];
  HMODULE m_hModule;
  const void* m_pEntries[kSlotCount];
};

// The program's one device library binding.
extern CHardWareDll theHardWare;

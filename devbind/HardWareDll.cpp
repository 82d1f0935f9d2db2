#include "devbind/HardWareDll.h"

#include <cstring>

#include "devbind/DeviceCall.h"
#include "framework/NativeCall.h"
#include "framework/ResourceModule.h"
#include "framework/Text.h"

CHardWareDll theHardWare;

namespace {

// The guarded call for each kind of result; a fault adds one to `faults`. A negative count means
// the arguments could not be prepared (no memory for a text copy): the entry is then treated as
// missing.

bool Guarded(const void* entry, const std::uint32_t* args, int count, bool readFloat, fw::NativeResult* result,
             unsigned long& faults) {
  if (devbind::GuardedCall(entry, args, count, readFloat, result)) return true;
  ++faults;
  return false;
}

void CallNone(const void* entry, const std::uint32_t* args, int count, unsigned long& faults) {
  if (entry == nullptr || count < 0) return;
  fw::NativeResult result;
  Guarded(entry, args, count, false, &result, faults);
}

int CallInt32(const void* entry, const std::uint32_t* args, int count, int missing, int faulted,
              unsigned long& faults) {
  if (entry == nullptr || count < 0) return missing;
  fw::NativeResult result;
  if (!Guarded(entry, args, count, false, &result, faults)) return faulted;
  return static_cast<int>(result.eax);
}

float CallFloat(const void* entry, const std::uint32_t* args, int count, float missing, float faulted,
                unsigned long& faults) {
  if (entry == nullptr || count < 0) return missing;
  fw::NativeResult result;
  if (!Guarded(entry, args, count, true, &result, faults)) return faulted;
  // Rounded once, from the register's full precision, as a caller storing the float would.
  return static_cast<float>(result.st0Extended);
}

bool CallBool8(const void* entry, const std::uint32_t* args, int count, bool missing, bool faulted,
               unsigned long& faults) {
  if (entry == nullptr || count < 0) return missing;
  fw::NativeResult result;
  if (!Guarded(entry, args, count, false, &result, faults)) return faulted;
  return (result.eax & 0xFFu) != 0;  // an 8-bit truth value: the rest of EAX is undefined
}

const char* CallText(const void* entry, const std::uint32_t* args, int count, const char* missing,
                     const char* faulted, unsigned long& faults) {
  if (entry == nullptr || count < 0) return missing;
  fw::NativeResult result;
  if (!Guarded(entry, args, count, false, &result, faults)) return faulted;
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(result.eax));
}

bool IsAbsolutePath(const char* path) {
  return (path[0] != '\0' && path[1] == ':') || (path[0] == '\\' && path[1] == '\\');
}

}  // namespace

CHardWareDll::~CHardWareDll() { Unload(); }

bool CHardWareDll::Load(const char* path) {
  if (m_hModule != nullptr) return true;
  if (path == nullptr) path = "";
  const std::size_t length = strnlen(path, kPathSize);
  if (length >= static_cast<std::size_t>(kPathSize)) {
    // Too long for the path field: refused rather than cut or overrun.
    m_szPath[0] = '\0';
    return false;
  }
  std::memcpy(m_szPath, path, length + 1);
  if (length == 0) return false;

  // Installation paths are GBK like every other text of the stations, whatever the system code
  // page. A library's own dependencies are looked for beside it.
  const std::wstring widePath = fw::GbkToWide(m_szPath);
  DWORD previousErrorMode = 0;
  const BOOL quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousErrorMode);
  m_hModule = LoadLibraryExW(widePath.c_str(), nullptr, IsAbsolutePath(m_szPath) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  if (quiet) SetThreadErrorMode(previousErrorMode, nullptr);
  if (m_hModule == nullptr) return false;

  const fw::ResourceModuleScope resources(m_hModule);
  for (int i = 0; i < kSlotCount; ++i) {
    m_pEntries[i] = reinterpret_cast<const void*>(GetProcAddress(m_hModule, devbind::kSlots[i].entry));
  }
  return true;
}

void CHardWareDll::Unload() {
  if (m_hModule == nullptr) return;
  // The library's own detach code runs inside FreeLibrary: guarded like any of its entries, so a
  // fault there still lets the panel end cleanly.
  const std::uint32_t module = fw::Slot(m_hModule);
  fw::NativeResult result;
  devbind::GuardedCall(reinterpret_cast<const void*>(&FreeLibrary), &module, 1, false, &result);
  m_hModule = nullptr;
  for (const void*& entry : m_pEntries) entry = nullptr;
}

bool CHardWareDll::GetPath(char* buffer) const {
  if (buffer != nullptr) {
    std::memcpy(buffer, m_szPath, kPathSize);
    buffer[kPathSize - 1] = '\0';
  }
  return IsLoaded();
}

const void* CHardWareDll::GetEntry(int slot) const {
  return slot >= 1 && slot <= kSlotCount ? m_pEntries[slot - 1] : nullptr;
}

// ExtOpen's text: a fresh heap copy for the library, freed when the method returns, on every path.
#define SP_DEV_TEXT_COPY(text)            \
  const devbind::CTextCopy devText(text); \
  const std::uint32_t devTextSlot = fw::Slot(devText.Get())

#define SP_DEV_CALL_none(entry, missing, faulted) CallNone(entry, devArgv, devArgc, m_nFaultedCalls)
#define SP_DEV_CALL_int32(entry, missing, faulted) CallInt32(entry, devArgv, devArgc, missing, faulted, m_nFaultedCalls)
#define SP_DEV_CALL_float(entry, missing, faulted) CallFloat(entry, devArgv, devArgc, missing, faulted, m_nFaultedCalls)
#define SP_DEV_CALL_bool8(entry, missing, faulted) CallBool8(entry, devArgv, devArgc, missing, faulted, m_nFaultedCalls)
#define SP_DEV_CALL_text(entry, missing, faulted) CallText(entry, devArgv, devArgc, missing, faulted, m_nFaultedCalls)

#define SLOT(number, entry, method, args, result, missing, faulted)        \
  SP_DEV_TYPE_##result CHardWareDll::method SP_DEV_PARAMS_##args {         \
    SP_DEV_PACK_##args;                                                    \
    return SP_DEV_CALL_##result(m_pEntries[(number)-1], missing, faulted); \
  }
#include "devbind/DeviceSlots.inc"
#undef SLOT

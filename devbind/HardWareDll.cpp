#include "devbind/HardWareDll.h"

#include <cstring>

#include "devbind/DeviceCall.h"
#include "framework/NativeCall.h"
#include "framework/ResourceModule.h"
#include "framework/Text.h"

CHardWareDll theHardWare;

namespace {

// The row order of DeviceSlots.inc: the exported name of each slot.
constexpr const char* kEntryNames[] = {
#define SLOT(number, entry, method, args, result, missing, faulted, neutral) #entry,
#include "devbind/DeviceSlots.inc"
#undef SLOT
};
static_assert(sizeof kEntryNames / sizeof kEntryNames[0] == CHardWareDll::kSlotCount, "one row per slot");

bool Guarded(const void* entry, const std::uint32_t* args, int count, bool readFloat, fw::NativeResult* result,
             unsigned long* faultCode) {
  return devbind::GuardedCall(entry, args, count, readFloat, result, faultCode);
}

// A slot's guarded call: fw::EntryCall, plus the text argument of ExtOpen, which reaches the
// library as a fresh copy freed when the call returns, on every path. Without memory for the copy
// the entry counts as missing.
template <typename R>
struct DeviceCall : fw::EntryCall<R> {
  using fw::EntryCall<R>::operator();
  fw::Result<R> operator()(const char* text) const {
    const devbind::CTextCopy copy(text);
    const void* entry = copy.Get() != nullptr ? this->entry : nullptr;
    return fw::EntryCall<R>{&Guarded, entry, this->missing, this->faulted}(copy.Get());
  }
};

bool IsAbsolutePath(const char* path) {
  return (path[0] != '\0' && path[1] == ':') || (path[0] == '\\' && path[1] == '\\');
}

}  // namespace

CHardWareDll::~CHardWareDll() { Unload(); }

fw::Result<bool> CHardWareDll::Load(const char* path) {
  if (m_hModule != nullptr) return {true};
  if (path == nullptr) path = "";
  const std::size_t length = strnlen(path, kPathSize);
  if (length >= static_cast<std::size_t>(kPathSize)) {
    // Too long for the path field: refused rather than cut or overrun.
    m_szPath[0] = '\0';
    return {false, fw::Status::Failed, ERROR_FILENAME_EXCED_RANGE};
  }
  std::memcpy(m_szPath, path, length + 1);
  if (length == 0) return {false, fw::Status::Failed, ERROR_PATH_NOT_FOUND};

  // Installation paths are GBK like every other text of the stations, whatever the system code
  // page. A library's own dependencies are looked for beside it.
  const std::wstring widePath = fw::GbkToWide(m_szPath);
  DWORD previousErrorMode = 0;
  const BOOL quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousErrorMode);
  m_hModule = LoadLibraryExW(widePath.c_str(), nullptr, IsAbsolutePath(m_szPath) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  const DWORD error = GetLastError();
  if (quiet) SetThreadErrorMode(previousErrorMode, nullptr);
  if (m_hModule == nullptr) return {false, fw::Status::Failed, error};

  const fw::ResourceModuleScope resources(m_hModule);
  for (int i = 0; i < kSlotCount; ++i) {
    m_pEntries[i] = reinterpret_cast<const void*>(GetProcAddress(m_hModule, kEntryNames[i]));
  }
  return {true};
}

fw::Result<void> CHardWareDll::Unload() {
  if (m_hModule == nullptr) return {};
  // The library's own detach code runs inside FreeLibrary: guarded like any of its entries, so a
  // fault there still lets the panel end cleanly.
  const fw::Result<void> freed =
      fw::EntryCall<void>{&Guarded, reinterpret_cast<const void*>(&FreeLibrary), {}, {}}(m_hModule);
  m_hModule = nullptr;
  for (const void*& entry : m_pEntries) entry = nullptr;
  return freed;
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

#define SLOT(number, entry, method, args, result, missing, faulted, neutral)                          \
  fw::Result<SP_RESULT_##result> CHardWareDll::method(SP_SHAPE_##args(SP_BIND_PARAM)) {              \
    return DeviceCall<SP_RESULT_##result>{                                                           \
        {&Guarded, m_pEntries[(number)-1], SP_VALUE_##result(missing), SP_VALUE_##result(faulted)}}( \
        SP_SHAPE_##args(SP_ARG));                                                                    \
  }
#include "devbind/DeviceSlots.inc"
#undef SLOT

#include "sysbind/SysEnv.h"

#include <cstdio>
#include <cstring>

#include "framework/ResourceModule.h"
#include "framework/Text.h"

SysEnvEntryTable g_sysEnvEntries;
HMODULE g_hSysEnvLibrary = nullptr;

namespace {

static_assert(kSysEnvEntryCount == 179, "181 places, 29 and 30 unused");
static_assert(SysEnvMissingEntryCode(1) == -2 && SysEnvMissingEntryCode(115) == -116 &&
                  SysEnvMissingEntryCode(116) == -118 && SysEnvMissingEntryCode(181) == -183,
              "missing-entry codes");

constexpr bool ResolutionListIsOrdered() {
  for (int i = 1; i < kSysEnvEntryCount; ++i) {
    if (kSysEnvResolutionList[i].position <= kSysEnvResolutionList[i - 1].position) return false;
  }
  for (const SysEnvResolution& r : kSysEnvResolutionList) {
    if (r.position == 29 || r.position == 30) return false;
  }
  return kSysEnvResolutionList[0].position == 1 && kSysEnvResolutionList[kSysEnvEntryCount - 1].position == 181;
}
static_assert(ResolutionListIsOrdered(), "positions ascend from 1 to 181 and skip 29 and 30");

const char* LibraryPathFormat(int variant) {
  switch (variant) {
    case 2: return "%s\\SysENV2b.dll";
    case 4: return "%s\\SysENV4b.dll";
    case 8: return "%s\\SysENV8b.dll";
    case 16: return "%s\\SysENV16b.dll";
    default: return "%s\\SysENV.dll";
  }
}

}  // namespace

bool FormatSysEnvLibraryPath(const char* directory, int variant, char (&path)[kSysEnvPathSize]) {
  // The directory may live in `path` itself: format from a copy.
  char copy[kSysEnvPathSize];
  const std::size_t length = strnlen(directory, sizeof copy);
  if (length >= sizeof copy) {
    path[0] = '\0';
    return false;
  }
  std::memcpy(copy, directory, length + 1);
  const int n = std::snprintf(path, sizeof path, LibraryPathFormat(variant), copy);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof path) {
    path[0] = '\0';
    return false;
  }
  return true;
}

fw::Result<int> LoadSysEnvLibrary(int variant) {
  char path[kSysEnvPathSize];
  const UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0) return {-1000, fw::Status::Failed, GetLastError()};

  // A directory that leaves no room for the file name cannot name the library: the same as a
  // library that is not there.
  if (length >= sizeof path || !FormatSysEnvLibraryPath(path, variant, path)) {
    return {kSysEnvLibraryUnusable, fw::Status::Failed, ERROR_FILENAME_EXCED_RANGE};
  }

  // A second load replaces the first instead of leaking its handle.
  if (g_hSysEnvLibrary != nullptr) FreeSysEnvLibrary();
  g_hSysEnvLibrary = LoadLibraryA(path);
  if (g_hSysEnvLibrary == nullptr) return {kSysEnvLibraryUnusable, fw::Status::Failed, GetLastError()};

  g_sysEnvEntries = SysEnvEntryTable{};
  const fw::ResourceModuleScope resources(g_hSysEnvLibrary);
  for (const SysEnvResolution& r : kSysEnvResolutionList) {
    const FARPROC entry = GetProcAddress(g_hSysEnvLibrary, r.name);
    g_sysEnvEntries.*r.entry = reinterpret_cast<const void*>(entry);
    if (entry == nullptr) return {SysEnvMissingEntryCode(r.position), fw::Status::Missing, ERROR_PROC_NOT_FOUND};
  }
  return {1};
}

const char* SysEnvMissingEntryName(int loadCode) {
  for (const SysEnvResolution& r : kSysEnvResolutionList) {
    if (SysEnvMissingEntryCode(r.position) == loadCode) return r.name;
  }
  return nullptr;
}

void FreeSysEnvLibrary() {
  if (g_hSysEnvLibrary != nullptr) {
    FreeLibrary(g_hSysEnvLibrary);
    g_hSysEnvLibrary = nullptr;
  }
  g_sysEnvEntries = SysEnvEntryTable{};
}

SysEnvRecordBlock SysEnvRecord{};

const char* SysEnvConfigDirectory() { return SysEnvRecord.data + kSysEnvConfigDirOffset; }

const char* SysEnvDeviceLibraryDirectory() { return SysEnvRecord.data + kSysEnvDeviceLibraryDirOffset; }

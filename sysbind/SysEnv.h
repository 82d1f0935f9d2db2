// The system-environment library: loading one of its variants from the Windows system directory,
// the process-wide table of its entries, one guarded free function per entry, and the system
// settings record that the library fills.
//
// The library is closed and not linked: every entry is looked up by name at run time and called
// through fw::CallNative (each argument one 32-bit slot, the caller's stack restored afterwards), so
// an entry built __cdecl or __stdcall works alike. A wrapper whose entry is not resolved returns its
// fallback and reports nothing. Faults inside the library are not caught here.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/EntryShapes.h"
#include "framework/NativeCall.h"

// ---- Loading ----------------------------------------------------------------------------------

// Loads the library variant from the system directory and resolves every entry in list order. The
// value is the load's code:
//   1            loaded, every entry resolved (Status::Ok)
//   -1000        the system directory is not available (Status::Failed, the system's error code)
//   -2 ... -183  the entry at that place of the list is missing; the entries before it stay
//                usable, the rest are null, the library stays loaded (Status::Missing)
//   kSysEnvLibraryUnusable  the library is missing or cannot be loaded, or the system directory
//                is too long for the path buffer (Status::Failed, the system's error code)
// Nothing is shown and nothing ends here: the caller tells the user (the panel's message box and
// exit code -1, spprobe's exit code 3). The resource module is switched to the library while
// resolving and restored on every path. A library loaded by an earlier call is released first.
fw::Result<int> LoadSysEnvLibrary(int variant);

// The load code for a library that is missing or cannot be loaded.
constexpr int kSysEnvLibraryUnusable = -1001;

// The name of the entry whose absence a load code reports, or null for any other code.
const char* SysEnvMissingEntryName(int loadCode);

// Frees a loaded library and sets the handle and every entry to null. The program itself keeps
// the library until the process ends.
void FreeSysEnvLibrary();

// Size of the path buffer the loader works in (259 characters and the terminator).
constexpr std::size_t kSysEnvPathSize = 260;

// Forms the full path of the variant's file in `directory`: 2, 4, 8 and 16 select "SysENV2b.dll",
// "SysENV4b.dll", "SysENV8b.dll" and "SysENV16b.dll", any other value "SysENV.dll". Returns false,
// leaving `path` empty, when the path does not fit.
bool FormatSysEnvLibraryPath(const char* directory, int variant, char (&path)[kSysEnvPathSize]);

// ---- Entry table ------------------------------------------------------------------------------

// One untyped pointer per entry, null until resolved. Read directly by the wrappers.
struct SysEnvEntryTable {
#define SYSENV_ENTRY(position, name, result, shape) const void* name = nullptr;
#include "sysbind/SysEnvEntries.inc"
};

extern SysEnvEntryTable g_sysEnvEntries;
// The loaded library, null while none is loaded.
extern HMODULE g_hSysEnvLibrary;

struct SysEnvResolution {
  int position;
  const char* name;
  const void* SysEnvEntryTable::*entry;
};

inline constexpr SysEnvResolution kSysEnvResolutionList[] = {
#define SYSENV_ENTRY(position, name, result, shape) {position, #name, &SysEnvEntryTable::name},
#include "sysbind/SysEnvEntries.inc"
};

constexpr int kSysEnvEntryCount = static_cast<int>(sizeof kSysEnvResolutionList / sizeof kSysEnvResolutionList[0]);

// The load result for a missing entry at `position`: the list once had two more entries at 29 and
// 30 and one more code, -117, that no entry reports any more.
constexpr int SysEnvMissingEntryCode(int position) { return position <= 115 ? -(position + 1) : -(position + 2); }

// ---- Guarded wrappers -------------------------------------------------------------------------

constexpr int kSysEnvFallback = -1000;
constexpr float kSysEnvFloatFallback = -1000.0f;
// Spelled as the library's callers know it.
constexpr const char kSysEnvTextFallback[] = "No This Funciont";

// Every wrapper has the name of its entry and returns the entry's result unchanged, or when the
// entry is null: kSysEnvFallback (int), kSysEnvFloatFallback (float) or kSysEnvTextFallback (text)
// with Status::Missing. The library's faults pass, as designed, so no result is ever Faulted.
// Each 32-bit argument is a fw::Arg: any integer, enumeration or pointer of at most 32 bits, so
// callers pass what the entry expects (a text, a buffer, a record, a number).
#define SYSENV_SECOND_WRAPPER(position, name, second, result, shape) \
  fw::Result<SP_RESULT_##result> second(SP_SHAPE_##shape(SP_BIND_PARAM));
#define SYSENV_ENTRY(position, name, result, shape) SYSENV_SECOND_WRAPPER(position, name, name, result, shape)
#define SYSENV_ENTRY_NOWRAP(position, name)
#include "sysbind/SysEnvEntries.inc"

// ---- System settings record -------------------------------------------------------------------

constexpr std::size_t kSysEnvRecordSize = 32768;
constexpr std::size_t kSysEnvConfigDirOffset = 7806;
constexpr std::size_t kSysEnvDeviceLibraryDirOffset = 15198;

// The block GetSysEnv fills (its layout beyond the two directories belongs to the library). The
// terminator after it is never written, so a text field read from it always ends.
struct SysEnvRecordBlock {
  char data[kSysEnvRecordSize];
  char terminator;
};

// Zero-filled until GetSysEnv(&SysEnvRecord) fills it; lives until the process ends.
extern SysEnvRecordBlock SysEnvRecord;

// The station's configuration directory (NUL-terminated GBK, no trailing backslash); empty until
// the record is filled.
const char* SysEnvConfigDirectory();
// The directory of the device library, likewise.
const char* SysEnvDeviceLibraryDirectory();

// The entries of the simulated system library that do real work. Everything else answers with a
// neutral value (SysEnvNeutral.cpp). See README.md for the files and values.
#include <windows.h>

#include <cstring>
#include <set>
#include <string>

#include "sim/sysenv/FieldSplit.h"

namespace {

HMODULE g_module = nullptr;

// The record the caller passes to GetSysEnv; only the two directory fields are ours to write.
constexpr std::size_t kRecordSize = 32768;
constexpr std::size_t kConfigDirOffset = 7806;
constexpr std::size_t kDeviceLibraryDirOffset = 15198;
constexpr std::size_t kDirectoryCapacity = MAX_PATH;

// The caller's field buffer is not passed in. The panel splits texts of at most 511 bytes into
// 512-byte buffers and texts of at most 1999 bytes (configuration values) into 2000-byte ones, so a
// field always fits whole; a cut one could name another key. Longer fields are cut.
constexpr std::size_t kFieldCapacity = 2000;

// Path of SysENV.ini beside this library, or false when it cannot be formed.
bool IniPath(char (&path)[MAX_PATH]) {
  const DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  char* slash = std::strrchr(path, '\\');
  if (slash == nullptr) return false;
  const char name[] = "SysENV.ini";
  if (static_cast<std::size_t>(slash + 1 - path) + sizeof name > MAX_PATH) return false;
  std::memcpy(slash + 1, name, sizeof name);
  return true;
}

// Reads one directory into the record field: no trailing backslash, empty when missing or too long.
bool ReadDirectory(const char* ini, const char* key, char* field) {
  char value[1024];
  GetPrivateProfileStringA("Directories", key, "", value, sizeof value, ini);
  std::size_t n = std::strlen(value);
  while (n > 0 && (value[n - 1] == '\\' || value[n - 1] == '/')) --n;
  if (n == 0 || n >= kDirectoryCapacity) {
    field[0] = '\0';
    return false;
  }
  std::memcpy(field, value, n);
  field[n] = '\0';
  return true;
}

struct LanguageText {
  const char* key;
  const char* text;
};
constexpr LanguageText kLanguageTexts[] = {
    {"ID", "ID"},
    {"设备", "设备名称"},
    {"通道", "通道"},
    {"名称", "名称"},
    {"说明", "说明"},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" {

// Fills the two directories of the record from SysENV.ini, section [Directories], keys Config and
// DeviceLibrary. 1: both read; 0: the ini file or a directory is missing (those fields are left
// empty); -1: no record.
int __cdecl GetSysEnv(void* record) {
  if (record == nullptr) return -1;
  char* bytes = static_cast<char*>(record);
  char* config = bytes + kConfigDirOffset;
  char* library = bytes + kDeviceLibraryDirOffset;
  char ini[MAX_PATH];
  if (!IniPath(ini) || GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES) {
    config[0] = '\0';
    library[0] = '\0';
    return 0;
  }
  const bool haveConfig = ReadDirectory(ini, "Config", config);
  const bool haveLibrary = ReadDirectory(ini, "DeviceLibrary", library);
  return haveConfig && haveLibrary ? 1 : 0;
}

int __cdecl GetSysEnvStrSize() { return static_cast<int>(kRecordSize); }

int __cdecl GetField(const char* text, char* out, int index) {
  return static_cast<int>(sim::CommaField(text, index, out, out != nullptr ? kFieldCapacity : 0));
}

int __cdecl GetField2(const char* text, char* out, int index, char separator) {
  return static_cast<int>(sim::SeparatedField(text, index, separator, out, out != nullptr ? kFieldCapacity : 0));
}

// The display text for a key. Keys without a text of their own are shown as they are. Every
// pointer returned stays valid until the library is unloaded.
const char* __cdecl GetLangueString(const char* key) {
  if (key == nullptr) return "";
  for (const LanguageText& t : kLanguageTexts) {
    if (std::strcmp(t.key, key) == 0) return t.text;
  }
  static std::set<std::string> unknownKeys;
  return unknownKeys.insert(key).first->c_str();
}

}  // extern "C"

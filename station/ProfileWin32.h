// The Windows side of the station's INI files: the paths of the configuration files, reading and
// deleting through the system's profile functions, and the captions read from calib.ini with the
// system library's field functions.
#pragma once

#include <cstddef>
#include <string>

#include <windows.h>

#include "station/Captions.h"

namespace station {

// The full paths of the station's configuration files: the configuration directory exactly as the
// system library gives it, a backslash and the file name (GBK).
struct ConfigPaths {
  std::string calibIni, sysOzIni, devIdIni, devOzIni;

  static ConfigPaths InDirectory(const std::string& directory) {
    return ConfigPaths{directory + "\\calib.ini", directory + "\\sysOz.ini", directory + "\\DevID.ini",
                       directory + "\\DevOz.ini"};
  }
};

// The profile functions read a file without byte-order mark in the system code page and the narrow
// ones answer in it; converting with the same code page both ways gives the narrow functions' bytes.
std::wstring FromSystemCodePage(const char* text);

// Deletes a whole section (header and keys) from an INI file through the system's profile
// functions. The name is as the profile functions gave it (GBK at the stations); the path is GBK.
// Returns the system's result (nonzero: done).
BOOL DeleteProfileSection(const char* section, const char* gbkPath);

// Reads one INI file through the system's private-profile functions, with their narrow semantics
// (see ProfileReader). The path is GBK and reaches the system through the wide functions, so a path
// with Chinese names opens whatever the code page. The file's own texts come back exactly as the
// narrow functions give them: a file without byte-order mark is read in the system code page, so
// under code page 936 (as at the stations) GBK sections, keys and values pass unchanged.
class Win32ProfileReader final : public ProfileReader {
 public:
  explicit Win32ProfileReader(const char* gbkPath);

  std::size_t SectionNames(char* buffer, std::size_t size) override;
  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override;

 private:
  std::wstring m_path;
};

// Collects one kind of channel from the file at gbkPath, cutting texts with field and field2
// (callables like int(const char*, char*, int) and int(const char*, char*, int, char), e.g. the
// guarded GetField and GetField2).
template <int N, typename FieldFn, typename Field2Fn>
void ReadCaptionsFromFile(const char* gbkPath, FieldFn field, Field2Fn field2, const char* listKey,
                          ChannelCaptions<N>& table) {
  Win32ProfileReader profile(gbkPath);
  auto fields = MakeFieldFunctions(std::move(field), std::move(field2));
  ReadCaptions(profile, fields, listKey, table);
}

}  // namespace station

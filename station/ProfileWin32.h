// The Windows side of the station's INI files: the paths of the configuration files, reading and
// deleting through the system's profile functions, and the captions read from calib.ini with the
// system library's field functions.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <windows.h>

#include "framework/Result.h"
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

// Deletes a whole section (header and keys) from an INI file through the system's profile
// functions. The name is as the profile functions gave it (GBK at the stations); the path is GBK.
// Failed, with the system's error code, when the file could not be rewritten.
fw::Result<void> DeleteProfileSection(const char* section, const char* gbkPath);

// Reads one INI file through the system's private-profile functions, with their narrow semantics
// (see ProfileReader). The path is GBK and reaches the system through the wide functions, so a path
// with Chinese names opens whatever the code page. The file's own texts come back exactly as the
// narrow functions give them: a file without byte-order mark is read in the system code page, so
// under code page 936 (as at the stations) GBK sections, keys and values pass unchanged.
class Win32ProfileReader final : public ProfileReader {
 public:
  explicit Win32ProfileReader(const char* gbkPath);

  std::size_t SectionNames(char* buffer, std::size_t size) override;
  // One call of the system's per-key function: it searches the file again for every key.
  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override;

 private:
  std::wstring m_path;
};

// The same answers as Win32ProfileReader, with each section read once (one call of the system's
// section function) and its keys looked up in memory: the first entry of a key wins, keys match
// whatever their ASCII case, blanks around names and values are the system's to trim. What the
// section's text cannot tell for certain goes to the per-key function: a section named twice (or
// not read whole), a key with blanks at its ends, an empty one or one starting with ";", an entry
// without "=", a quoted value, a value long enough to be cut, and a key with letters beyond ASCII that
// have two cases. Meant for one pass over a file: later changes are not seen.
class Win32SectionReader final : public ProfileReader {
 public:
  explicit Win32SectionReader(const char* gbkPath);

  std::size_t SectionNames(char* buffer, std::size_t size) override;
  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override;

 private:
  struct FoldedHash {
    std::size_t operator()(std::wstring_view name) const;
  };
  struct FoldedEqual {
    bool operator()(std::wstring_view a, std::wstring_view b) const;
  };
  struct Entry {
    std::wstring_view value;
    bool certain;  // has "=", no blank at the ends of its name or value, not quoted
  };
  struct Section {
    bool known = false;  // read whole and named once in the file
    std::vector<wchar_t> text;  // as the system answered: the entries point into it
    std::unordered_map<std::wstring_view, Entry, FoldedHash, FoldedEqual> entries;  // first entry of each name
  };
  const Section& Read(const char* section);

  Win32ProfileReader m_perKey;
  std::wstring m_path;
  bool m_namesRead = false;
  std::vector<std::wstring> m_names;  // every section name of the file, folded
  std::vector<wchar_t> m_scratch;     // the answers of the system, as large as the largest so far
  std::wstring m_key;                 // the key of the last look-up
  std::map<std::string, Section> m_sections;  // by the name asked for
};

// Collects one kind of channel from the file at gbkPath, cutting texts with field and field2 (e.g.
// the guarded GetField and GetField2).
template <int N>
void ReadCaptionsFromFile(const char* gbkPath, FieldFunctions::FieldFn field, FieldFunctions::Field2Fn field2,
                          const char* listKey, ChannelCaptions<N>& table) {
  Win32SectionReader profile(gbkPath);
  FieldFunctions fields(field, field2);
  ReadCaptions(profile, fields, listKey, table);
}

}  // namespace station

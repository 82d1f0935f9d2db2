// The Windows side of the channel captions: calib.ini read through the system's profile functions,
// and the system library's field functions handed to the collection.
#pragma once

#include <cstddef>
#include <string>

#include "app/Captions.h"

namespace panel {

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
  std::wstring path_;
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

}  // namespace panel

// Files the Windows tests put into the system directory (libraries loaded from there) and back out.
#pragma once

#include <string>

namespace sptest {

std::string SystemDirectory();
bool FileExists(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// One name in the system directory, owned by a test: whatever was there is set aside on creation
// and put back on destruction; what the test put there is removed. `owner` names the set-aside
// copy, so tests of different executables never take each other's.
class SystemDirFile {
 public:
  SystemDirFile(const std::string& name, const std::string& owner);
  ~SystemDirFile();
  SystemDirFile(const SystemDirFile&) = delete;
  SystemDirFile& operator=(const SystemDirFile&) = delete;

  bool CopyFrom(const std::string& source) const;
  bool Write(const std::string& bytes) const { return WriteFileBytes(path_, bytes); }
  bool Remove() const;

 private:
  std::string path_;
  std::string saved_;
  bool hadOriginal_ = false;
};

}  // namespace sptest

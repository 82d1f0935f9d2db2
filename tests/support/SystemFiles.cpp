#include "tests/support/SystemFiles.h"

#include <windows.h>

namespace sptest {

std::string SystemDirectory() {
  char dir[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  return std::string(dir, n < MAX_PATH ? n : 0);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

SystemDirFile::SystemDirFile(const std::string& name, const std::string& owner)
    : path_(SystemDirectory() + "\\" + name), saved_(path_ + "." + owner + "-test-saved") {
  // A run that was killed left the original aside and its own file in place: undo that first.
  if (FileExists(saved_)) {
    DeleteFileA(path_.c_str());
    MoveFileA(saved_.c_str(), path_.c_str());
  }
  hadOriginal_ = FileExists(path_) && MoveFileExA(path_.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

SystemDirFile::~SystemDirFile() {
  DeleteFileA(path_.c_str());
  if (hadOriginal_) MoveFileA(saved_.c_str(), path_.c_str());
}

bool SystemDirFile::CopyFrom(const std::string& source) const {
  return CopyFileA(source.c_str(), path_.c_str(), FALSE) != 0;
}

bool SystemDirFile::Remove() const { return DeleteFileA(path_.c_str()) != 0 || !FileExists(path_); }

}  // namespace sptest

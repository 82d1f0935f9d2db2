// The module that dialog templates, bitmaps, icons and strings are loaded from. Library loaders
// switch it to the library while they resolve entries, and must restore it on every path.
#pragma once

#include <windows.h>

namespace fw {

HINSTANCE GetResourceModule();
void SetResourceModule(HINSTANCE module);

// Makes `module` the resource module for the scope's lifetime, restoring the previous one after.
class ResourceModuleScope {
 public:
  explicit ResourceModuleScope(HINSTANCE module);
  ~ResourceModuleScope();
  ResourceModuleScope(const ResourceModuleScope&) = delete;
  ResourceModuleScope& operator=(const ResourceModuleScope&) = delete;

 private:
  HINSTANCE m_saved;
};

}  // namespace fw

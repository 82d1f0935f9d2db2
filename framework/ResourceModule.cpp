#include "framework/ResourceModule.h"

namespace fw {

namespace {
HINSTANCE g_resourceModule = nullptr;
}

HINSTANCE GetResourceModule() {
  return g_resourceModule != nullptr ? g_resourceModule : GetModuleHandleW(nullptr);
}

void SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

ResourceModuleScope::ResourceModuleScope(HINSTANCE module) : saved_(g_resourceModule) {
  g_resourceModule = module;
}

ResourceModuleScope::~ResourceModuleScope() { g_resourceModule = saved_; }

}  // namespace fw

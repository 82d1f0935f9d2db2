#include "framework/ResourceModule.h"

namespace fw {

namespace {
HINSTANCE g_resourceModule = nullptr;
}

HINSTANCE GetResourceModule() {
  return g_resourceModule != nullptr ? g_resourceModule : GetModuleHandleW(nullptr);
}

void SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

ResourceModuleScope::ResourceModuleScope(HINSTANCE module) : m_saved(g_resourceModule) {
  g_resourceModule = module;
}

ResourceModuleScope::~ResourceModuleScope() { g_resourceModule = m_saved; }

}  // namespace fw

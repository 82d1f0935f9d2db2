// A device library that looks back at the panel: ExtOpen notes (in open.txt beside the library)
// which analog count the panel's combo box shows when the device is opened, and unloading the
// library (FreeLibrary) ends in a C++ exception of our own compiler, as faulty detach code might.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "res/resource.h"

namespace {

HMODULE g_self = nullptr;

BOOL CALLBACK FindPanel(HWND hwnd, LPARAM found) {
  if (GetDlgItem(hwnd, IDC_ANALOG_COUNT) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

}  // namespace

extern "C" __declspec(dllexport) void __cdecl ExtOpen(const char*) {
  HWND panel = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindPanel, reinterpret_cast<LPARAM>(&panel));
  const HWND combo = GetDlgItem(panel, IDC_ANALOG_COUNT);
  const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  char text[16] = "none";
  if (selected != CB_ERR) SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
  char path[MAX_PATH] = {};
  GetModuleFileNameA(g_self, path, MAX_PATH);
  std::strcpy(std::strrchr(path, '\\') + 1, "open.txt");
  if (FILE* file = std::fopen(path, "wb")) {
    std::fputs(text, file);
    std::fclose(file);
  }
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) g_self = self;
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) throw std::runtime_error("faulty detach");
  return TRUE;
}

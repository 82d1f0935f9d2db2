#include "framework/Window.h"

#include <commctrl.h>

#include "framework/Messages.h"
#include "framework/Text.h"

namespace fw {

HWND ReflectionSource(UINT msg, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  if (IsControlColorMessage(msg)) return reinterpret_cast<HWND>(lParam);
  if (msg == WM_NOTIFY && lParam != 0) return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  if (msg == WM_COMMAND && lParam != 0) return reinterpret_cast<HWND>(lParam);
  return nullptr;
}

Window::~Window() { Unsubclass(); }

HWND Window::Detach() {
  if (m_subclassed) {
    HWND hwnd = m_hwnd;
    Unsubclass();
    return hwnd;
  }
  HWND hwnd = m_hwnd;
  m_hwnd = nullptr;
  return hwnd;
}

bool Window::Subclass(HWND hwnd) {
  if (hwnd == nullptr || m_subclassed || FromHandle(hwnd) != nullptr) return false;
  if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  m_hwnd = hwnd;
  m_subclassed = true;
  OnSubclassed();
  return true;
}

void Window::Unsubclass() {
  if (!m_subclassed) return;
  HWND hwnd = m_hwnd;
  // Unlink first so no message reaches a half-destroyed object, then remove the hook.
  m_hwnd = nullptr;
  m_subclassed = false;
  if (::IsWindow(hwnd)) RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
}

bool Window::Create(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, const RECT& rect,
                    HWND parent, UINT id) {
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND hwnd = CreateWindowExW(exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, menu, GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) return false;
  if (!Subclass(hwnd)) {
    DestroyWindow(hwnd);
    return false;
  }
  return true;
}

Window* Window::FromHandle(HWND hwnd) {
  DWORD_PTR ref = 0;
  if (hwnd != nullptr && GetWindowSubclass(hwnd, SubclassProc, kSubclassId, &ref)) {
    return reinterpret_cast<Window*>(ref);
  }
  return nullptr;
}

void Window::SetTextGbk(const char* text) const { SetWindowTextGbk(m_hwnd, text); }


LRESULT Window::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return Default(msg, wParam, lParam); }

LRESULT Window::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(m_hwnd, msg, wParam, lParam);
}

bool Window::OnReflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  Window* self = reinterpret_cast<Window*>(refData);
  if (msg == WM_NCDESTROY) {
    if (self != nullptr && self->m_hwnd == hwnd) {
      const LRESULT result = self->WindowProc(msg, wParam, lParam);
      self->Unsubclass();
      return result;
    }
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  if (self == nullptr || self->m_hwnd != hwnd) return DefSubclassProc(hwnd, msg, wParam, lParam);
  return self->WindowProc(msg, wParam, lParam);
}

}  // namespace fw

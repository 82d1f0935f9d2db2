// A thin wrapper over one window handle. It can attach to an existing window (borrowing it),
// subclass it so that the object handles the window's messages, or create a window of a class.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND GetHwnd() const { return m_hwnd; }
  operator HWND() const { return m_hwnd; }
  bool IsWindow() const { return m_hwnd != nullptr && ::IsWindow(m_hwnd) != FALSE; }

  // Borrow a window without handling its messages.
  void Attach(HWND hwnd) { m_hwnd = hwnd; }
  HWND Detach();

  // Handle the window's messages through WindowProc. Returns false if the window is already
  // subclassed by another object or the handle is null.
  bool Subclass(HWND hwnd);
  // Removes the subclass (unlinks this object first) and forgets the handle.
  void Unsubclass();
  bool IsSubclassed() const { return m_subclassed; }

  // Creates a child or top-level window of a registered class and subclasses it.
  bool Create(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, const RECT& rect,
              HWND parent, UINT id);

  // The object that subclassed hwnd, or nullptr.
  static Window* FromHandle(HWND hwnd);

  // Text in GBK through the wide API.
  void SetTextGbk(const char* text) const;

  HWND GetItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
  void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hwnd, nullptr, erase); }

 protected:
  // Messages of a subclassed window. Default: the previous window procedure.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

 public:
  // A message the parent dialog reflects to this control (WM_CTLCOLOR*, WM_NOTIFY, WM_COMMAND).
  // Return true with result set to answer it; false lets the parent's own handling run.
  virtual bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Called once the object is linked to an existing window by Subclass (before any message).
  virtual void OnSubclassed() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR refData);

  HWND m_hwnd = nullptr;
  bool m_subclassed = false;
};

}  // namespace fw

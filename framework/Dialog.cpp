#include "framework/Dialog.h"

#include <cstring>

#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/ResourceModule.h"
#include "framework/Text.h"

namespace fw {

namespace {

// Messages whose answer a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT msg) {
  return IsControlColorMessage(msg) || msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM ||
         msg == WM_QUERYDRAGICON || msg == WM_INITDIALOG;
}

}  // namespace

Dialog::Dialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog() {
  if (GetHwnd() != nullptr && ::IsWindow(GetHwnd())) {
    SetWindowLongPtrW(GetHwnd(), DWLP_USER, 0);
    DestroyWindow(GetHwnd());
  }
}

INT_PTR Dialog::DoModal() {
  if (GetHwnd() != nullptr) return -1;
  m_modal = true;
  m_ended = false;
  m_result = -1;
  // A parentless modal dialog is owned by the application's main window (the panel), which stays
  // disabled until it closes: no second copy, nothing hidden behind, no exit underneath it.
  HWND owner = m_parent;
  if (owner == nullptr) {
    const Application* app = Application::Current();
    const Window* main = app != nullptr ? app->MainWindow() : nullptr;
    if (main != nullptr && main != this && main->IsWindow()) owner = main->GetHwnd();
  }
  HWND hwnd = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
  if (hwnd == nullptr) {
    m_modal = false;
    return -1;
  }
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (!m_ended) {
    ShowWindow(hwnd, SW_SHOW);
    RunModalLoop();
  }
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (::IsWindow(hwnd)) DestroyWindow(hwnd);
  m_modal = false;
  return m_result;
}

bool Dialog::RunModalLoop() {
  MSG msg;
  while (!m_ended) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Keep the quit request for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (!PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return m_ended;
}

bool Dialog::CreateModeless() {
  if (GetHwnd() != nullptr) return false;
  m_modal = false;
  HWND hwnd = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(m_templateId), m_parent, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  m_result = result;
  m_ended = true;
  if (GetHwnd() == nullptr) return;
  if (m_modal) {
    ShowWindow(GetHwnd(), SW_HIDE);
    PostMessageW(GetHwnd(), WM_NULL, 0, 0);  // wake the loop
  } else {
    DestroyWindow(GetHwnd());
  }
}

bool Dialog::PreTranslateMessage(MSG* msg) {
  return GetHwnd() != nullptr && IsDialogMessageW(GetHwnd(), msg) != FALSE;
}

bool Dialog::BindItem(int id, Window& control) {
  HWND item = GetDlgItem(GetHwnd(), id);
  return item != nullptr && control.Subclass(item);
}

bool Dialog::ExecuteDialogInit() {
  HINSTANCE module = GetResourceModule();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(240));
  if (found == nullptr) return true;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const BYTE* data = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return false;
  DWORD pos = 0;
  while (pos + 2 <= size) {
    WORD item;
    std::memcpy(&item, data + pos, 2);
    if (item == 0) return true;
    if (pos + 8 > size) return false;
    WORD message;
    DWORD length;
    std::memcpy(&message, data + pos + 2, 2);
    std::memcpy(&length, data + pos + 4, 4);
    pos += 8;
    if (length > size - pos) return false;
    // The text is NUL-terminated within its record; never read past the record.
    const char* text = reinterpret_cast<const char*>(data + pos);
    const std::wstring wide = GbkToWide(text, static_cast<int>(strnlen(text, length)));
    HWND control = GetDlgItem(GetHwnd(), item);
    if (control != nullptr) {
      if (message == 0x0403) SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
      if (message == 0x0401) SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    pos += length;
  }
  return true;
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Dialog::DefaultDialog(UINT msg, WPARAM wParam, LPARAM lParam) {
  const DefaultedMessage current{msg, wParam, lParam};
  const DefaultedMessage* saved = m_defaulting;
  m_defaulting = &current;
  const LRESULT result = DefDlgProcW(GetHwnd(), msg, wParam, lParam);
  m_defaulting = saved;
  return result;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->Attach(hwnd);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  if (self->m_defaulting != nullptr && self->m_defaulting->msg == msg && self->m_defaulting->wParam == wParam &&
      self->m_defaulting->lParam == lParam) {
    // DefDlgProc asking our procedure about the message we are defaulting: let it fall through once.
    self->m_defaulting = nullptr;
    return FALSE;
  }
  return self->Dispatch(msg, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = GetHwnd();
  if (msg == WM_INITDIALOG) {
    ExecuteDialogInit();
    return OnInitDialog();
  }

  LRESULT result = 0;
  // Reflection: the control a message concerns answers first, if it is ours and our child.
  HWND source = ReflectionSource(msg, wParam, lParam);
  if (source != nullptr && GetParent(source) == hwnd) {
    Window* control = Window::FromHandle(source);
    if (control != nullptr && control->OnReflect(msg, wParam, lParam, result)) {
      if (ReturnsValueDirectly(msg)) return static_cast<INT_PTR>(result);
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }

  if (HandleMessage(msg, wParam, lParam, result)) {
    if (ReturnsValueDirectly(msg)) return static_cast<INT_PTR>(result);
    if (::IsWindow(hwnd)) SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }

  switch (msg) {
    case WM_COMMAND:
      if (CommandId(wParam) == IDOK && (lParam == 0 || CommandCode(wParam) == BN_CLICKED)) {
        OnOK();
        return TRUE;
      }
      if (CommandId(wParam) == IDCANCEL && (lParam == 0 || CommandCode(wParam) == BN_CLICKED)) {
        OnCancel();
        return TRUE;
      }
      break;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      Detach();
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace fw

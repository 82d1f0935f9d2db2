// Dialog base built from a template id. Modal runs use our own loop so that PreTranslateMessage
// sees every message first; modeless dialogs share the caller's loop.
#pragma once

#include <windows.h>

#include "framework/Window.h"

namespace fw {

class Dialog : public Window {
 public:
  Dialog(UINT templateId, HWND parent);
  ~Dialog() override;

  // Runs the dialog modally; returns the value given to EndDialog, or -1 if it could not be created.
  INT_PTR DoModal();
  // Creates the dialog modeless (visible if the template says so). Returns false on failure.
  bool CreateModeless();
  // Ends a modal run with `result` (or destroys a modeless dialog).
  void EndDialog(INT_PTR result);

  // Gives the message to the dialog before the loop dispatches it. Return true to swallow it.
  // The base lets the dialog manager translate dialog keys (Tab, Enter, Escape).
  virtual bool PreTranslateMessage(MSG* msg);

  // Binds a member control object to a dialog item by subclassing it. Returns false if the item
  // does not exist or is already bound.
  bool BindItem(int id, Window& control);

  // Fills combo and list boxes from the template's initialisation data (resource type 240), as
  // the resource compiler stores it: records of item, message (0x403 combo item, 0x401 list item),
  // length and GBK text. Runs before OnInitDialog. Returns false if the data is malformed.
  bool ExecuteDialogInit();

 protected:
  // Called from WM_INITDIALOG. The base runs DoDataExchange and returns TRUE (default focus).
  virtual BOOL OnInitDialog();
  // Binds member controls to items (BindItem). Called by OnInitDialog.
  virtual void DoDataExchange() {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Called when the window is destroyed, before the member controls unlink.
  virtual void OnDestroy() {}

  // The dialog's message handler (a switch standing for a message map). Return true with `result`
  // set when the message was handled; false lets the default handling run. For messages whose
  // answer is a handle or a value (WM_CTLCOLOR*, WM_QUERYDRAGICON, WM_NOTIFY...), `result` is it.
  virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // The default handling of a message inside HandleMessage (DefDlgProc without our own hook).
  LRESULT DefaultDialog(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  bool RunModalLoop();

  UINT m_templateId;
  HWND m_parent;
  bool m_modal = false;
  bool m_ended = false;
  INT_PTR m_result = -1;
  // The message being given to DefDlgProc: DefDlgProc first calls our procedure with that same
  // message, which must then fall through; other messages sent meanwhile are handled normally.
  struct DefaultedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  const DefaultedMessage* m_defaulting = nullptr;
};

}  // namespace fw

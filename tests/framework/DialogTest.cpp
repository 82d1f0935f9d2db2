#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "FrameworkTestIds.h"
#include "framework/Dialog.h"
#include "framework/Messages.h"
#include "framework/ResourceModule.h"
#include "framework/Window.h"
#include "tests/support/TestSupport.h"

namespace {

// A static that answers its own colour request, as colour controls do.
class ColorProbe : public fw::Window {
 public:
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  int requests = 0;
  ~ColorProbe() override { DeleteObject(brush); }
  bool OnReflect(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (msg != WM_CTLCOLORSTATIC) return false;
    ++requests;
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(9, 8, 7));
    result = reinterpret_cast<LRESULT>(brush);
    return true;
  }
};

// A list view that records the notifications reflected to it and answers NM_CLICK only.
class NotifyProbe : public fw::Window {
 public:
  std::vector<UINT> codes;
  bool OnReflect(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) override {
    if (msg != WM_NOTIFY) return false;
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    codes.push_back(code);
    if (code != static_cast<UINT>(NM_CLICK)) return false;
    result = 77;
    return true;
  }
};

class TestDialog : public fw::Dialog {
 public:
  TestDialog() : fw::Dialog(IDD_FW_TEST, nullptr) {}
  ColorProbe colorStatic;
  NotifyProbe list;
  fw::Window button;
  bool exchanged = false;
  std::vector<UINT> parentNotifies;
  int endAfterTimer = -1;
  UINT keyToSwallow = 0;
  std::vector<UINT> keysSeenFirst;

  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) {
      keysSeenFirst.push_back(static_cast<UINT>(msg->wParam));
      if (msg->wParam == keyToSwallow) {
        EndDialog(7);
        return true;
      }
    }
    return fw::Dialog::PreTranslateMessage(msg);
  }

 protected:
  void DoDataExchange() override {
    exchanged = BindItem(IDC_FW_STATIC, colorStatic) && BindItem(IDC_FW_LIST, list) && BindItem(IDC_FW_BUTTON, button);
  }
  BOOL OnInitDialog() override {
    fw::Dialog::OnInitDialog();
    if (endAfterTimer >= 0) SetTimer(GetHwnd(), 1, 20, nullptr);
    return TRUE;
  }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (msg) {
      case WM_TIMER:
        KillTimer(GetHwnd(), 1);
        EndDialog(endAfterTimer);
        return true;
      case WM_NOTIFY:
        parentNotifies.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
        result = 5;
        return true;
      default:
        (void)wParam;
        return false;
    }
  }
};

LRESULT SendNotify(HWND dialog, HWND from, int id, UINT code) {
  NMHDR hdr{from, static_cast<UINT_PTR>(id), code};
  return SendMessageW(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&hdr));
}

TEST(Dialog, BindsItsControlsFromTheTemplate) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.CreateModeless());
  EXPECT_TRUE(dlg.exchanged);
  EXPECT_EQ(dlg.colorStatic.GetHwnd(), GetDlgItem(dlg.GetHwnd(), IDC_FW_STATIC));
  EXPECT_EQ(fw::Window::FromHandle(dlg.list.GetHwnd()), &dlg.list);
  EXPECT_EQ(fw::Window::FromHandle(GetDlgItem(dlg.GetHwnd(), IDC_FW_EDIT)), nullptr);
  // A second object cannot take an item that is already bound.
  fw::Window again;
  EXPECT_FALSE(dlg.BindItem(IDC_FW_STATIC, again));
  EXPECT_FALSE(dlg.BindItem(9999, again));
  DestroyWindow(dlg.GetHwnd());
  // Destroying the dialog unlinks every bound control object.
  EXPECT_EQ(dlg.colorStatic.GetHwnd(), nullptr);
  EXPECT_FALSE(dlg.list.IsSubclassed());
}

TEST(Dialog, TemplateInitialisationDataFillsComboBoxes) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.CreateModeless());
  HWND combo = GetDlgItem(dlg.GetHwnd(), IDC_FW_COMBO);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  const wchar_t* expected[] = {L"10", L"9", L"\x63A7\x5236"};
  for (int i = 0; i < 3; ++i) {
    wchar_t text[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, expected[i]);
  }
  DestroyWindow(dlg.GetHwnd());
}

TEST(Dialog, ReflectsColourRequestsToTheControlThatAsks) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.CreateModeless());
  HDC dc = GetDC(dlg.GetHwnd());
  const LRESULT brush = SendMessageW(dlg.GetHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(dlg.colorStatic.GetHwnd()));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(dlg.colorStatic.brush));
  EXPECT_EQ(GetTextColor(dc), RGB(9, 8, 7));
  // A control that is not ours gets the dialog's normal answer.
  const LRESULT other = SendMessageW(dlg.GetHwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(GetDlgItem(dlg.GetHwnd(), IDC_FW_EDIT)));
  EXPECT_NE(other, reinterpret_cast<LRESULT>(dlg.colorStatic.brush));
  ReleaseDC(dlg.GetHwnd(), dc);
  // Painting the static asks for real.
  const int before = dlg.colorStatic.requests;
  ShowWindow(dlg.GetHwnd(), SW_SHOW);
  UpdateWindow(dlg.GetHwnd());
  sptest::PumpMessages(50);
  EXPECT_GT(dlg.colorStatic.requests, before);
  DestroyWindow(dlg.GetHwnd());
}

TEST(Dialog, ReflectsNotificationsAndFallsThroughWhenTheControlDoesNotAnswer) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.CreateModeless());
  EXPECT_EQ(SendNotify(dlg.GetHwnd(), dlg.list.GetHwnd(), IDC_FW_LIST, NM_CLICK), 77);
  EXPECT_TRUE(dlg.parentNotifies.empty());
  EXPECT_EQ(SendNotify(dlg.GetHwnd(), dlg.list.GetHwnd(), IDC_FW_LIST, NM_DBLCLK), 5);
  ASSERT_EQ(dlg.list.codes.size(), 2u);
  EXPECT_EQ(dlg.list.codes[1], static_cast<UINT>(NM_DBLCLK));
  ASSERT_EQ(dlg.parentNotifies.size(), 1u);

  // Real notifications from the list view reach the control object too.
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 60;
  col.pszText = const_cast<wchar_t*>(L"c");
  SendMessageW(dlg.list.GetHwnd(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"row");
  SendMessageW(dlg.list.GetHwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_GE(dlg.list.codes.size(), 3u);  // LVN_INSERTITEM at least
  DestroyWindow(dlg.GetHwnd());
}

TEST(Dialog, ModalRunReturnsTheEndValue) {
  TestDialog dlg;
  dlg.endAfterTimer = 42;
  EXPECT_EQ(dlg.DoModal(), 42);
  EXPECT_FALSE(IsWindow(dlg.GetHwnd()));

  // Cancel ends with IDCANCEL through the default handler.
  class CancelSoon : public TestDialog {
   protected:
    BOOL OnInitDialog() override {
      TestDialog::OnInitDialog();
      PostMessageW(GetHwnd(), WM_COMMAND, IDCANCEL, 0);
      return TRUE;
    }
  } cancel;
  EXPECT_EQ(cancel.DoModal(), IDCANCEL);

  fw::Dialog missing(4321, nullptr);
  EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Dialog, PreTranslateMessageSeesKeysBeforeTheDialogManager) {
  class KeyDialog : public TestDialog {
   protected:
    BOOL OnInitDialog() override {
      TestDialog::OnInitDialog();
      // Escape would otherwise cancel the dialog through IsDialogMessage.
      PostMessageW(GetDlgItem(GetHwnd(), IDC_FW_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
      return TRUE;
    }
  } dlg;
  dlg.keyToSwallow = VK_ESCAPE;
  EXPECT_EQ(dlg.DoModal(), 7);
  ASSERT_FALSE(dlg.keysSeenFirst.empty());
  EXPECT_EQ(dlg.keysSeenFirst.front(), static_cast<UINT>(VK_ESCAPE));
}

TEST(Dialog, MessagesSentDuringDefaultHandlingReachTheHandler) {
  // The default erase asks the dialog for its colour: that request must reach HandleMessage even
  // though it arrives while the erase itself is being defaulted.
  class ColourDialog : public TestDialog {
   public:
    int colourRequests = 0;
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    ~ColourDialog() override { DeleteObject(brush); }

   protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
      if (msg == WM_CTLCOLORDLG) {
        ++colourRequests;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
      }
      if (msg == WM_ERASEBKGND) {
        result = DefaultDialog(msg, wParam, lParam);
        return true;
      }
      return TestDialog::HandleMessage(msg, wParam, lParam, result);
    }
  } dlg;
  ASSERT_TRUE(dlg.CreateModeless());
  HDC dc = GetDC(dlg.GetHwnd());
  SendMessageW(dlg.GetHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_GE(dlg.colourRequests, 1);
  ReleaseDC(dlg.GetHwnd(), dc);
  DestroyWindow(dlg.GetHwnd());
}

TEST(Dialog, TemplatesComeFromTheCurrentResourceModule) {
  HINSTANCE exe = GetModuleHandleW(nullptr);
  EXPECT_EQ(fw::GetResourceModule(), exe);
  HMODULE other = GetModuleHandleW(L"kernel32.dll");  // holds no dialog templates
  ASSERT_NE(other, nullptr);
  {
    fw::ResourceModuleScope scope(other);
    EXPECT_EQ(fw::GetResourceModule(), other);
    TestDialog dlg;
    EXPECT_FALSE(dlg.CreateModeless());  // our template is not in that module
  }
  EXPECT_EQ(fw::GetResourceModule(), exe);
}

TEST(Window, SubclassLinksAndUnlinksInTheRightOrder) {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  {
    fw::Window w;
    ASSERT_TRUE(w.Subclass(hwnd));
    EXPECT_EQ(fw::Window::FromHandle(hwnd), &w);
  }
  // The object is gone; the window lives on without it.
  EXPECT_EQ(fw::Window::FromHandle(hwnd), nullptr);
  EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 1);
  fw::Window w2;
  ASSERT_TRUE(w2.Subclass(hwnd));
  DestroyWindow(hwnd);
  EXPECT_EQ(w2.GetHwnd(), nullptr);
  EXPECT_FALSE(w2.IsSubclassed());
}

}  // namespace

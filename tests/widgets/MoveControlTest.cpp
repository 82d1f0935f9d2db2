#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "WidgetsTestIds.h"
#include "framework/Dialog.h"
#include "framework/Text.h"
#include "widgets/MoveControl.h"

namespace {

// Makes a folder of the test's own the current directory, with or without a loginset.ini.
class LoginSetFolder {
 public:
  explicit LoginSetFolder(const char* name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "sp_widgets_" + name;
    CreateDirectoryA(dir_.c_str(), nullptr);
    DeleteFileA(File().c_str());
    GetCurrentDirectoryA(MAX_PATH, saved_);
    SetCurrentDirectoryA(dir_.c_str());
  }
  ~LoginSetFolder() {
    SetCurrentDirectoryA(saved_);
    DeleteFileA(File().c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  // Writes the file byte for byte (GBK, as the installation keeps it).
  void Write(const std::string& contents) const {
    FILE* f = std::fopen(File().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
  }
  std::string File() const { return dir_ + "\\loginset.ini"; }

 private:
  std::string dir_;
  char saved_[MAX_PATH] = {};
};

class MoveDialog : public fw::Dialog {
 public:
  MoveDialog() : fw::Dialog(IDD_WT_MOVE, nullptr) {}
};

struct Placement {
  int id;
  RECT rect;  // client pixels
};

// Window order of the template; the hidden static is the fourth child.
const Placement kLayout[] = {
    {IDC_MT_STATIC, {10, 10, 110, 30}},      {IDC_MT_EDIT, {120, 10, 220, 32}},
    {IDC_MT_BUTTON, {230, 10, 330, 36}},     {IDC_MT_HIDDEN, {340, 10, 440, 30}},
    {IDC_MT_COMBO3, {10, 50, 160, 250}},     {IDC_MT_COMBO20, {170, 50, 320, 250}},
    {IDC_MT_LIST, {10, 100, 300, 250}},      {IDC_MT_TALL, {310, 100, 400, 160}},
    {IDC_MT_IP, {410, 100, 560, 124}},       {IDC_MT_PROGRESS, {410, 140, 560, 160}},
    {IDC_MT_SHORT, {10, 270, 200, 280}},     {IDC_MT_BUTTON49, {230, 270, 330, 319}},
    {IDC_MT_STATIC50, {340, 270, 440, 320}},
};

RECT ClientRectOf(HWND dialog, HWND control) {
  RECT rc{};
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

int Height(const RECT& r) { return r.bottom - r.top; }

void ResizeClient(HWND dialog, int width, int height) {
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

// The "FON" height the mover measures in a control's own context.
int TextHeightIn(HWND control) {
  HDC dc = GetDC(control);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"FON", 3, &size);
  ReleaseDC(control, dc);
  return size.cy;
}

// Records what a window is asked to do before it handles it: the heights it is asked to take
// and the last font it is given.
class Recorder {
 public:
  explicit Recorder(HWND hwnd) : hwnd_(hwnd) { SetWindowSubclass(hwnd_, Proc, kId, reinterpret_cast<DWORD_PTR>(this)); }
  ~Recorder() { RemoveWindowSubclass(hwnd_, Proc, kId); }
  std::vector<int> heights;
  HFONT font = nullptr;

 private:
  static constexpr UINT_PTR kId = 0x5A5A;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    Recorder* self = reinterpret_cast<Recorder*>(ref);
    if (msg == WM_WINDOWPOSCHANGING) {
      const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & SWP_NOSIZE) == 0) self->heights.push_back(pos->cy);
    }
    if (msg == WM_SETFONT) self->font = reinterpret_cast<HFONT>(wParam);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  HWND hwnd_;
};

int FontHeightOf(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

class MoveControlTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_INTERNET_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    ASSERT_TRUE(dialog.CreateModeless());
    hwnd = dialog.GetHwnd();
    ResizeClient(hwnd, 600, 400);
    RECT client{};
    GetClientRect(hwnd, &client);
    ASSERT_EQ(client.right, 600);
    ASSERT_EQ(client.bottom, 400);
    for (const Placement& p : kLayout) {
      HWND item = GetDlgItem(hwnd, p.id);
      ASSERT_NE(item, nullptr) << p.id;
      MoveWindow(item, p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top, FALSE);
    }
    AddItems(IDC_MT_COMBO3, 3);
    AddItems(IDC_MT_COMBO20, 20);
    hiddenFont = reinterpret_cast<HFONT>(SendMessageW(Item(IDC_MT_HIDDEN), WM_GETFONT, 0, 0));
    hiddenRect = ClientRectOf(hwnd, Item(IDC_MT_HIDDEN));
  }
  void TearDown() override {
    if (hwnd != nullptr && IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  HWND Item(int id) const { return GetDlgItem(hwnd, id); }

  void AddItems(int id, int count) {
    for (int i = 0; i < count; ++i) {
      std::wstring text = L"Item " + std::to_wstring(i);
      // Wider than the box, so the drop-down list must widen to show it.
      if (i == 1) text = L"\x8DDD\x79BB\x8DDD\x79BB: an item far wider than its combo box";  // 距离距离
      SendMessageW(Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }

  // Binds at 600x400 and lays out once at that size, as a dialog does at the end of its
  // initialisation; returns the rectangles from which the resizes start.
  std::map<int, RECT> BindAndSettle() {
    mover.BindDialog(hwnd);
    EXPECT_TRUE(mover.Relayout());
    std::map<int, RECT> rects;
    for (const Placement& p : kLayout) rects[p.id] = ClientRectOf(hwnd, Item(p.id));
    return rects;
  }

  LoginSetFolder folder{"move"};  // no loginset.ini: the defaults
  MoveDialog dialog;
  HWND hwnd = nullptr;
  CMoveControl mover;
  HFONT hiddenFont = nullptr;
  RECT hiddenRect{};
};

bool IsCombo(int id) { return id == IDC_MT_COMBO3 || id == IDC_MT_COMBO20; }

TEST(MoveControlSettings, FontComesFromLoginsetInTheCurrentDirectory) {
  LoginSetFolder folder("settings");
  const char* const kYouYuan = "\xD3\xD7\xD4\xB2";
  const struct {
    const char* file;  // nullptr: no loginset.ini
    int size;
    const char* face;
  } cases[] = {
      {nullptr, 100, kYouYuan},
      {"[DLGFONT]\r\nFONTSIZE=120\r\nFONTFOCENAME=\xBA\xDA\xCC\xE5\r\n", 120, "\xBA\xDA\xCC\xE5"},  // 黑体
      {"[DLGFONT]\r\nFONTSIZE=abc\r\n[OTHER]\r\nFONTFOCENAME=Courier\r\n", 0, kYouYuan},
      {"[DLGFONT]\r\nFONTSIZE=95pt\r\nFONTFOCENAME=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn\r\n", 95,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file != nullptr ? c.file : "no file");
    if (c.file != nullptr) folder.Write(c.file);
    CMoveControl mover;
    EXPECT_EQ(mover.GetFontSize(), c.size);
    EXPECT_STREQ(mover.GetFaceName(), c.face);
    EXPECT_FALSE(mover.IsEnabled());
  }
}

TEST(MoveControlSettings, FaceNameIsCutTo29BytesOnACharacterBoundary) {
  LoginSetFolder folder("face");
  CMoveControl mover;
  std::string chinese;
  for (int i = 0; i < 20; ++i) chinese += "\xD3\xD7";  // 幼 x 20 = 40 bytes
  mover.SetFontSettings(chinese.c_str(), 90);
  EXPECT_EQ(std::strlen(mover.GetFaceName()), 28u);  // 29 would split a character
  EXPECT_EQ(mover.GetFontSize(), 90);
  mover.SetFontSettings(("A" + chinese).c_str(), 90);
  EXPECT_EQ(std::strlen(mover.GetFaceName()), 29u);
  EXPECT_EQ(std::string(mover.GetFaceName()), ("A" + chinese).substr(0, 29));
  mover.SetFontSettings("", 0);
  EXPECT_STREQ(mover.GetFaceName(), "");
  mover.SetFontSettings(nullptr, 0);
  EXPECT_STREQ(mover.GetFaceName(), "");
}

TEST_F(MoveControlTest, NothingHappensBeforeBindingOrAtZeroSize) {
  EXPECT_FALSE(mover.Relayout());
  EXPECT_FALSE(mover.IsLaidOut());
  EXPECT_EQ(ClientRectOf(hwnd, Item(IDC_MT_STATIC)).left, 10);
  EXPECT_EQ(SendMessageW(Item(IDC_MT_STATIC), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(hiddenFont));

  const std::map<int, RECT> start = BindAndSettle();
  EXPECT_TRUE(mover.IsLaidOut());
  // Minimised: nothing moves and the reference stays the last real size.
  ResizeClient(hwnd, 0, 0);
  EXPECT_TRUE(mover.Relayout());
  EXPECT_EQ(mover.GetReferenceRect().right, 600);
  EXPECT_EQ(mover.GetReferenceRect().bottom, 400);
  for (const Placement& p : kLayout) EXPECT_EQ(ClientRectOf(hwnd, Item(p.id)).left, start.at(p.id).left) << p.id;
  ResizeClient(hwnd, 1200, 0);
  EXPECT_TRUE(mover.Relayout());
  EXPECT_EQ(ClientRectOf(hwnd, Item(IDC_MT_STATIC)).left, 10);
  // Restored at twice the size: laid out against 600x400.
  ResizeClient(hwnd, 1200, 400);
  EXPECT_TRUE(mover.Relayout());
  EXPECT_EQ(ClientRectOf(hwnd, Item(IDC_MT_STATIC)).left, 20);
  EXPECT_EQ(mover.GetReferenceRect().right, 1200);
}

TEST_F(MoveControlTest, KindsComeFromTheWindowClass) {
  const std::pair<int, ControlKind> expected[] = {
      {IDC_MT_STATIC, MC_STATIC}, {IDC_MT_EDIT, MC_EDIT},    {IDC_MT_BUTTON, MC_BUTTON},  {IDC_MT_COMBO3, MC_COMBOBOX},
      {IDC_MT_LIST, MC_LISTVIEW}, {IDC_MT_IP, MC_IPADDRESS}, {IDC_MT_PROGRESS, MC_OTHER},
  };
  for (const auto& e : expected) {
    ControlKind kind = MC_STATIC;
    EXPECT_TRUE(CMoveControl::ClassifyControl(Item(e.first), kind));
    EXPECT_EQ(kind, e.second) << e.first;
  }
  ControlKind kind = MC_STATIC;
  EXPECT_FALSE(CMoveControl::ClassifyControl(nullptr, kind));
  EXPECT_EQ(kind, MC_OTHER);
}

// At the reference size nothing moves; only a static lower than its text grows, to the text
// height measured in its own context plus two.
TEST_F(MoveControlTest, ALayoutAtTheReferenceSizeMovesNothing) {
  const int cy = TextHeightIn(Item(IDC_MT_SHORT));
  ASSERT_GT(cy, 10);
  const std::map<int, RECT> start = BindAndSettle();
  for (const Placement& p : kLayout) {
    const RECT& r = start.at(p.id);
    EXPECT_EQ(r.left, p.rect.left) << p.id;
    EXPECT_EQ(r.top, p.rect.top) << p.id;
    EXPECT_EQ(r.right, p.rect.right) << p.id;
    if (!IsCombo(p.id)) {
      EXPECT_EQ(r.bottom, p.id == IDC_MT_SHORT ? p.rect.top + cy + 2 : p.rect.bottom) << p.id;
    }
  }
}

// Doubling the width doubles left and right edges; doubling the height doubles the tops, and the
// heights of tall controls only.
TEST_F(MoveControlTest, DoublingOneSideScalesOnlyThatDirection) {
  const std::map<int, RECT> start = BindAndSettle();
  ResizeClient(hwnd, 1200, 400);
  ASSERT_TRUE(mover.Relayout());
  EXPECT_EQ(mover.GetReferenceRect().right, 1200);
  std::map<int, RECT> wide;
  for (const Placement& p : kLayout) {
    if (p.id == IDC_MT_HIDDEN) continue;
    const RECT before = start.at(p.id);
    const RECT after = wide[p.id] = ClientRectOf(hwnd, Item(p.id));
    EXPECT_EQ(after.left, 2 * before.left) << p.id;
    EXPECT_EQ(after.right, 2 * before.right) << p.id;
    EXPECT_EQ(after.top, before.top) << p.id;
    EXPECT_EQ(after.bottom, before.bottom) << p.id;
  }
  ResizeClient(hwnd, 1200, 800);
  ASSERT_TRUE(mover.Relayout());
  for (const Placement& p : kLayout) {
    if (p.id == IDC_MT_HIDDEN || IsCombo(p.id)) continue;
    const RECT before = wide.at(p.id);
    const RECT after = ClientRectOf(hwnd, Item(p.id));
    EXPECT_EQ(after.top, 2 * before.top) << p.id;
    EXPECT_EQ(after.left, before.left) << p.id;
    const bool keeps = (p.id == IDC_MT_STATIC || p.id == IDC_MT_EDIT || p.id == IDC_MT_BUTTON || p.id == IDC_MT_SHORT ||
                        p.id == IDC_MT_BUTTON49);
    EXPECT_EQ(Height(after), keeps ? Height(before) : 2 * Height(before)) << p.id;
  }
  EXPECT_EQ(Height(ClientRectOf(hwnd, Item(IDC_MT_BUTTON49))), 49);
  EXPECT_EQ(Height(ClientRectOf(hwnd, Item(IDC_MT_STATIC50))), 100);
  EXPECT_EQ(Height(ClientRectOf(hwnd, Item(IDC_MT_LIST))), 300);
  for (int id : {IDC_MT_COMBO3, IDC_MT_COMBO20}) EXPECT_EQ(ClientRectOf(hwnd, Item(id)).top, 100) << id;
}

TEST_F(MoveControlTest, ShrinkingAndRegrowingByOddRatiosReturnsEveryControlWithinOnePixel) {
  const std::map<int, RECT> start = BindAndSettle();
  const SIZE sizes[] = {{437, 293}, {600, 400},  {911, 577}, {600, 400},
                        {301, 211}, {1013, 999}, {333, 150}, {600, 400}};
  for (int cycle = 0; cycle < 6; ++cycle) {
    for (const SIZE& s : sizes) {
      ResizeClient(hwnd, s.cx, s.cy);
      ASSERT_TRUE(mover.Relayout());
    }
    for (const Placement& p : kLayout) {
      if (p.id == IDC_MT_HIDDEN) continue;
      const RECT before = start.at(p.id);
      const RECT after = ClientRectOf(hwnd, Item(p.id));
      EXPECT_LE(std::abs(after.left - before.left), 1) << p.id << " cycle " << cycle;
      EXPECT_LE(std::abs(after.top - before.top), 1) << p.id << " cycle " << cycle;
      EXPECT_LE(std::abs(after.right - before.right), 1) << p.id << " cycle " << cycle;
      EXPECT_LE(std::abs(after.bottom - before.bottom), 1) << p.id << " cycle " << cycle;
    }
  }
}

TEST_F(MoveControlTest, HiddenControlsAreUntouchedAndTakeNoRemainderSlot) {
  const std::map<int, RECT> start = BindAndSettle();
  const int newWidth = 437;
  const int newHeight = 293;
  ResizeClient(hwnd, newWidth, newHeight);
  ASSERT_TRUE(mover.Relayout());
  EXPECT_EQ(SendMessageW(Item(IDC_MT_HIDDEN), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(hiddenFont));
  const RECT hidden = ClientRectOf(hwnd, Item(IDC_MT_HIDDEN));
  EXPECT_TRUE(EqualRect(&hidden, &hiddenRect));

  // Slot i belongs to the i-th visible control: the left remainder of each is what scaling its
  // own left edge leaves, and no slot is left over.
  const float rx = layout::Ratio(newWidth, 600);
  int index = 0;
  for (const Placement& p : kLayout) {
    if (p.id == IDC_MT_HIDDEN) continue;
    float expected = 0.0f;
    layout::ScaleCoordinate(start.at(p.id).left, rx, &expected);
    EXPECT_EQ(mover.GetRemainders().Get(layout::kLeft, index), expected) << p.id;
    ++index;
  }
  for (int edge = 0; edge < layout::kEdgeCount; ++edge) EXPECT_EQ(mover.GetRemainders().Get(edge, index), 0.0f);

  // Shown again, it is laid out from where it was left.
  ShowWindow(Item(IDC_MT_HIDDEN), SW_SHOWNA);
  ResizeClient(hwnd, 874, 293);
  ASSERT_TRUE(mover.Relayout());
  EXPECT_EQ(ClientRectOf(hwnd, Item(IDC_MT_HIDDEN)).left, 680);
  EXPECT_EQ(SendMessageW(Item(IDC_MT_HIDDEN), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(mover.GetFont()));
}

TEST_F(MoveControlTest, EveryVisibleControlGetsTheOneConfiguredFont) {
  Recorder address(Item(IDC_MT_IP));
  BindAndSettle();
  ASSERT_TRUE(mover.IsFontCreated());
  const HFONT font = mover.GetFont();
  ASSERT_NE(font, nullptr);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(FontHeightOf(font), layout::FontHeightFromTenths(100, dpi));
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, L"\x5E7C\x5706");  // 幼圆
  for (const Placement& p : kLayout) {
    if (p.id == IDC_MT_HIDDEN) continue;
    // The address control need not keep a font of its own to report (Wine's does not).
    const LRESULT given =
        p.id == IDC_MT_IP ? reinterpret_cast<LRESULT>(address.font) : SendMessageW(Item(p.id), WM_GETFONT, 0, 0);
    EXPECT_EQ(given, reinterpret_cast<LRESULT>(font)) << p.id;
  }
  ResizeClient(hwnd, 437, 293);
  mover.Relayout();
  EXPECT_EQ(mover.GetFont(), font);
  // Bound again with the same settings: the controls keep the font they have.
  mover.BindDialog(hwnd);
  EXPECT_FALSE(mover.IsFontCreated());
  mover.Relayout();
  EXPECT_EQ(mover.GetFont(), font);
  EXPECT_NE(GetObjectType(font), 0u);
}

TEST_F(MoveControlTest, ANonNumericSizeGivesAFontOfTheDefaultHeight) {
  mover.SetFontSettings("Tahoma", layout::ParseLeadingInt("large"));
  BindAndSettle();
  ASSERT_NE(mover.GetFont(), nullptr);
  EXPECT_EQ(FontHeightOf(mover.GetFont()), 0);
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, mover.GetFont());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  EXPECT_GT(tm.tmHeight, 8);
  EXPECT_EQ(SendMessageW(Item(IDC_MT_EDIT), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(mover.GetFont()));
}

TEST_F(MoveControlTest, CombosDropDownTheHeightOfAtMostTenItems) {
  const std::map<int, RECT> start = BindAndSettle();
  Recorder combo3(Item(IDC_MT_COMBO3)), combo20(Item(IDC_MT_COMBO20));
  ResizeClient(hwnd, 600, 800);
  ASSERT_TRUE(mover.Relayout());
  for (const auto& c : {std::make_pair(IDC_MT_COMBO3, 3), std::make_pair(IDC_MT_COMBO20, 10)}) {
    HWND combo = Item(c.first);
    // The box fits its field to a new font before and after the mover's request, which is the
    // tallest size asked for.
    const std::vector<int>& heights = (c.first == IDC_MT_COMBO3 ? combo3 : combo20).heights;
    ASSERT_FALSE(heights.empty());
    const int requested = *std::max_element(heights.begin(), heights.end());
    HDC dc = GetDC(combo);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int widest = 0;
    for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[64] = {};
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      SIZE size{};
      GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
      widest = std::max(widest, static_cast<int>(size.cx + tm.tmAveCharWidth));
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    ASSERT_GT(tm.tmHeight, 0);

    // A combo box's height is its field and its drop-down list together: the scaled field plus
    // the list's share.
    const RECT field = ClientRectOf(hwnd, combo);
    EXPECT_EQ(field.top, 100);
    EXPECT_EQ(requested, 2 * start.at(c.first).bottom - field.top + c.second * (tm.tmHeight + 5)) << c.first;
    ASSERT_GT(widest, field.right - field.left);
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0),
              widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE))
        << c.first;
  }
}

TEST(MoveControlMany, ChildrenBeyondTheRemainderTableAreLaidOutWithoutRemainders) {
  LoginSetFolder folder("many");
  HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const int count = layout::kRemainderSlots + 10;
  std::vector<HWND> children;
  for (int i = 0; i < count; ++i) {
    const int x = (i % 50) * 12 + 1;
    const int y = (i / 50) * 36 + 3;
    children.push_back(
        CreateWindowExW(0, L"Static", L"x", WS_CHILD | WS_VISIBLE, x, y, 11, 60, parent, nullptr, nullptr, nullptr));
    ASSERT_NE(children.back(), nullptr);
  }
  CMoveControl mover;
  mover.BindDialog(parent);
  SetWindowPos(parent, nullptr, 0, 0, 437, 293, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  ASSERT_TRUE(mover.Relayout());
  const float rx = layout::Ratio(437, 600);
  for (int i : {0, 499, 500, 509}) {
    const int x = (i % 50) * 12 + 1;
    float rest = 0.0f;
    const int expected = layout::ScaleCoordinate(x, rx, i < layout::kRemainderSlots ? &rest : nullptr);
    EXPECT_EQ(ClientRectOf(parent, children[i]).left, expected) << i;
  }
  EXPECT_NE(mover.GetRemainders().Get(layout::kLeft, 499), 0.0f);
  SetWindowPos(parent, nullptr, 0, 0, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  ASSERT_TRUE(mover.Relayout());
  for (int i = 0; i < count; ++i) {
    const int x = (i % 50) * 12 + 1;
    ASSERT_LE(std::abs(ClientRectOf(parent, children[i]).left - x), 1) << i;
  }
  DestroyWindow(parent);
}

}  // namespace

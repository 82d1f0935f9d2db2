#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "WidgetsTestIds.h"
#include "framework/Gdi.h"
#include "framework/Text.h"
#include "tests/digistring/PixelCapture.h"
#include "tests/support/TestSupport.h"
#include "widgets/BDialog.h"
#include "widgets/ColorStatic.h"

namespace {

using dstest::Pixels;

const COLORREF kDefaultBackground = RGB(222, 223, 222);

// A colour static that counts its paints.
class CountingStatic : public CColorStatic {
 public:
  int paints = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_PAINT) ++paints;
    return CColorStatic::WindowProc(msg, wParam, lParam);
  }
};

// The panel's arrangement: colour statics bound to items of a dialog with the base dialog.
class ColorDialog : public CBDialog {
 public:
  ColorDialog() : CBDialog(IDD_WT_COLOR, nullptr) {}
  CountingStatic caption;
  CColorStatic longText;
  bool bound = false;

 protected:
  void DoDataExchange() override { bound = BindItem(IDC_CS_CAPTION, caption) && BindItem(IDC_CS_LONG, longText); }
};

class ColorStaticTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog.CreateModeless());
    ASSERT_TRUE(dialog.bound);
    hwnd = dialog.GetHwnd();
    SetWindowPos(hwnd, nullptr, 100, 100, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(dialog.caption, 10, 10, 160, 30, FALSE);
    MoveWindow(dialog.longText, 10, 60, 120, 60, FALSE);
    // Crisp glyphs, so that every pixel is either text or background.
    font.Reset(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    SendMessageW(dialog.caption, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    SendMessageW(dialog.longText, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  // What the control draws for itself, through WM_PRINTCLIENT.
  static Pixels Render(HWND control) { return dstest::RenderClient(control, RGB(1, 2, 3)); }

  // The same text drawn directly into the caption's 160 x 30 pixels, single line and vertically
  // centred, over the background.
  Pixels Expected(const wchar_t* text, COLORREF fore, COLORREF back, UINT flags) {
    dstest::DibCanvas canvas(160, 30, back);
    fw::ScopedSelect select(canvas.Dc(), font.Get());
    SetBkMode(canvas.Dc(), TRANSPARENT);
    ::SetTextColor(canvas.Dc(), fore);
    RECT r{0, 0, 160, 30};
    DrawTextW(canvas.Dc(), text, -1, &r, flags);
    return canvas.Read();
  }

  // The colour request a static sends its dialog before painting.
  HBRUSH ColourRequest(HWND control, HDC dc) {
    return reinterpret_cast<HBRUSH>(
        SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  }

  ColorDialog dialog;
  HWND hwnd = nullptr;
  fw::Font font;
};

TEST_F(ColorStaticTest, UnsetControlDrawsBlackLeftAlignedTextOnLightGrey) {
  EXPECT_EQ(dialog.caption.GetTextColor(), RGB(0, 0, 0));
  EXPECT_EQ(dialog.caption.GetBackgroundColor(), kDefaultBackground);
  EXPECT_FALSE(dialog.caption.IsCentered());
  EXPECT_FALSE(dialog.caption.IsTransparent());

  SetWindowTextW(dialog.caption, L"Sample");
  const Pixels drawn = Render(dialog.caption);
  EXPECT_EQ(drawn.data, Expected(L"Sample", RGB(0, 0, 0), kDefaultBackground, DT_SINGLELINE | DT_VCENTER).data);
  EXPECT_EQ(drawn.Colours(), (std::set<COLORREF>{RGB(0, 0, 0), kDefaultBackground}));
  RECT ink{};
  ASSERT_TRUE(drawn.Extent(kDefaultBackground, ink));
  EXPECT_LE(ink.left, 3);
  EXPECT_LE(std::abs((ink.top + ink.bottom + 1) - 30), 6);  // about the middle row
}

TEST_F(ColorStaticTest, CentredTextAndNewColoursShowAtThePaintAfterTheSetters) {
  SetWindowTextW(dialog.caption, L"Mid");
  dialog.caption.SetCentered(TRUE);
  dialog.caption.SetTextColor(RGB(0, 0, 255));
  dialog.caption.SetBackgroundColor(RGB(255, 0, 0));
  const Pixels drawn = Render(dialog.caption);
  EXPECT_EQ(drawn.data,
            Expected(L"Mid", RGB(0, 0, 255), RGB(255, 0, 0), DT_SINGLELINE | DT_VCENTER | DT_CENTER).data);
  RECT ink{};
  ASSERT_TRUE(drawn.Extent(RGB(255, 0, 0), ink));
  EXPECT_LE(std::abs(ink.left - (159 - ink.right)), 3);
}

// 距离1 set through the wide API, then 距离2 as GBK bytes: read from the window at every paint.
TEST_F(ColorStaticTest, TheTextIsReadFromTheWindowAtEveryPaintAndDrawnInAnyCodePage) {
  for (const char digit : {'1', '2'}) {
    const std::string gbk = std::string("\xBE\xE0\xC0\xEB") + digit;
    const std::wstring wide = std::wstring(L"\x8DDD\x79BB") + static_cast<wchar_t>(digit);
    if (digit == '1') {
      SetWindowTextW(dialog.caption, wide.c_str());
    } else {
      fw::SetWindowTextGbk(dialog.caption, gbk.c_str());
    }
    const Pixels drawn = Render(dialog.caption);
    EXPECT_EQ(dialog.caption.GetText(), gbk);
    EXPECT_EQ(drawn.data, Expected(wide.c_str(), RGB(0, 0, 0), kDefaultBackground, DT_SINGLELINE | DT_VCENTER).data)
        << "code page " << sptest::ActiveCodePage();
  }
}

TEST_F(ColorStaticTest, ALongTextIsClippedOnOneLine) {
  const wchar_t* text = L"Distance channel reset and set by the operator, many words long";
  SetWindowTextW(dialog.longText, text);
  const Pixels drawn = Render(dialog.longText);
  EXPECT_EQ(drawn.Colours(), (std::set<COLORREF>{RGB(0, 0, 0), kDefaultBackground}));
  RECT ink{};
  ASSERT_TRUE(drawn.Extent(kDefaultBackground, ink));
  fw::WindowDC dc(dialog.longText);
  fw::ScopedSelect select(dc.Get(), font.Get());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.Get(), &tm);
  EXPECT_LE(ink.bottom + 1 - ink.top, tm.tmHeight);  // one line
  EXPECT_GE(ink.top, (60 - tm.tmHeight) / 2 - 1);
  EXPECT_GE(ink.right + 1, 120 - 8);  // runs to the edge and is cut there
}

TEST_F(ColorStaticTest, SetCenteredAloneDoesNotRepaint) {
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  sptest::PumpMessages(100);
  const int painted = dialog.caption.paints;
  ASSERT_GT(painted, 0);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(dialog.caption, &update, FALSE));

  dialog.caption.SetCentered(TRUE);
  EXPECT_TRUE(dialog.caption.SetTransparent(FALSE));
  EXPECT_FALSE(GetUpdateRect(dialog.caption, &update, FALSE));
  sptest::PumpMessages(100);
  EXPECT_EQ(dialog.caption.paints, painted);

  dialog.caption.SetBackgroundColor(RGB(255, 0, 0));
  EXPECT_TRUE(GetUpdateRect(dialog.caption, &update, FALSE));
  sptest::PumpMessages(100);
  EXPECT_EQ(dialog.caption.paints, painted + 1);
  dialog.caption.SetTextColor(RGB(0, 0, 255));
  EXPECT_TRUE(GetUpdateRect(dialog.caption, &update, FALSE));
  sptest::PumpMessages(100);
  // Painting settles: nothing keeps asking for more.
  const int settled = dialog.caption.paints;
  sptest::PumpMessages(200);
  EXPECT_EQ(dialog.caption.paints, settled);
}

TEST_F(ColorStaticTest, OnScreenThePanelsRedCaptionShowsItsColours) {
  SetWindowTextW(dialog.caption, L"Mid");
  dialog.caption.SetBackgroundColor(RGB(255, 0, 0));
  dialog.caption.SetCentered(TRUE);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  sptest::PumpMessages(200);
  // What the real paint left in the window (its own surface, so another test's window on the
  // same display cannot cover it): red, and black text centred on it.
  const Pixels shot = dstest::CaptureClient(dialog.caption);
  EXPECT_EQ(shot.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(shot.At(shot.width - 2, shot.height - 2), RGB(255, 0, 0));
  EXPECT_EQ(shot.Colours(), (std::set<COLORREF>{RGB(0, 0, 0), RGB(255, 0, 0)}));
  RECT ink{};
  ASSERT_TRUE(shot.Extent(RGB(255, 0, 0), ink));
  EXPECT_LE(std::abs(ink.left - (shot.width - 1 - ink.right)), 3);
}

TEST_F(ColorStaticTest, TheReflectedColourRequestAnswersWithAFreshBackgroundBrush) {
  dialog.caption.SetBackgroundColor(RGB(255, 0, 0));
  dialog.caption.SetTextColor(RGB(0, 0, 255));
  // Only a shown window collects areas to repaint.
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  sptest::PumpMessages(50);
  ValidateRect(hwnd, nullptr);
  dstest::DibCanvas canvas(10, 10, 0);
  SetBkMode(canvas.Dc(), OPAQUE);
  const auto request = [&] { return ColourRequest(dialog.caption, canvas.Dc()); };
  const HBRUSH first = request();
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectW(first, sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, RGB(255, 0, 0));
  EXPECT_EQ(GetBkColor(canvas.Dc()), RGB(255, 0, 0));
  EXPECT_EQ(GetBkMode(canvas.Dc()), OPAQUE);
  EXPECT_EQ(GetTextColor(canvas.Dc()), RGB(0, 0, 255));
  // The parent repaints the area under the control, 2 pixels inside its edges.
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_EQ(update.left, 12);
  EXPECT_EQ(update.top, 12);
  EXPECT_EQ(update.right, 168);
  EXPECT_EQ(update.bottom, 38);

  // Every request makes a new brush and releases the one before.
  const HBRUSH second = request();
  EXPECT_NE(GetObjectType(second), 0u);
  EXPECT_EQ(GetObjectType(first), 0u);

  EXPECT_TRUE(dialog.caption.SetTransparent(TRUE));
  SetBkMode(canvas.Dc(), OPAQUE);
  EXPECT_EQ(request(), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(GetTextColor(canvas.Dc()), RGB(0, 0, 255));

  // A static the colour static does not own gets the dialog's usual answer.
  EXPECT_NE(ColourRequest(GetDlgItem(hwnd, IDC_CS_PLAIN), canvas.Dc()),
            static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));

  // The brush goes with the control.
  HBRUSH brush = nullptr;
  {
    CColorStatic extra;
    ASSERT_TRUE(dialog.BindItem(IDC_CS_PLAIN, extra));
    brush = ColourRequest(extra, canvas.Dc());
    ASSERT_NE(GetObjectType(brush), 0u);
  }
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(ColorStaticTest, ChildrenAndErasingDrawWithoutATextCell) {
  dstest::DibCanvas canvas(4, 4, 0);
  SetBkMode(canvas.Dc(), OPAQUE);
  EXPECT_EQ(SendMessageW(dialog.caption, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.Dc()), 0),
            reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(GetBkMode(canvas.Dc()), OPAQUE);
  EXPECT_EQ(SendMessageW(dialog.caption, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()), 0),
            reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);

  SetBkMode(canvas.Dc(), OPAQUE);
  SendMessageW(dialog.caption, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
  EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);
}

TEST_F(ColorStaticTest, ATransparentControlLeavesTheBackgroundAlone) {
  SetWindowTextW(dialog.caption, L"See");
  dialog.caption.SetTransparent(TRUE);
  EXPECT_EQ(Render(dialog.caption).Colours(), (std::set<COLORREF>{RGB(0, 0, 0), RGB(1, 2, 3)}));
}

}  // namespace

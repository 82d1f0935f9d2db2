#include <windows.h>

#include <gtest/gtest.h>

#include "WidgetsTestIds.h"
#include "framework/Dialog.h"
#include "tests/digistring/PixelCapture.h"
#include "widgets/BDialog.h"

namespace {

using dstest::Pixels;

// Pixel (x, y) of the test bitmap.
COLORREF Gradient(int x, int y) { return RGB(10 + x * 6, 10 + y * 8, 77); }
constexpr int kGradientWidth = 40;
constexpr int kGradientHeight = 30;

const UINT kPing = WM_APP + 5;

// A dialog of its own on the base dialog, handling one message and passing on the rest, as
// the program's dialogs do.
class BackgroundDialog : public CBDialog {
 public:
  BackgroundDialog() : CBDialog(IDD_WT_BACKGROUND, nullptr) {}
  ~BackgroundDialog() override {
    if (dialogBrush != nullptr) DeleteObject(dialogBrush);
  }
  int pings = 0;
  HBRUSH dialogBrush = nullptr;  // the dialog's own colour, when set

 protected:
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == kPing) {
      ++pings;
      result = 42;
      return true;
    }
    if (msg == WM_CTLCOLORDLG && dialogBrush != nullptr) {
      result = reinterpret_cast<LRESULT>(dialogBrush);
      return true;
    }
    return CBDialog::HandleMessage(msg, wParam, lParam, result);
  }
};

class PlainDialog : public fw::Dialog {
 public:
  PlainDialog() : fw::Dialog(IDD_WT_BACKGROUND, nullptr) {}
};

// Sizes a dialog and erases it into a fresh canvas as the system would before painting it.
Pixels Erase(HWND dialog, int width, int height, LRESULT* result = nullptr) {
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  dstest::DibCanvas canvas(width, height, RGB(1, 2, 3));
  const LRESULT handled = SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
  if (result != nullptr) *result = handled;
  return canvas.Read();
}

class BDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog.CreateModeless());
    ASSERT_TRUE(plain.CreateModeless());
  }
  void TearDown() override {
    DestroyWindow(dialog.GetHwnd());
    DestroyWindow(plain.GetHwnd());
  }

  BackgroundDialog dialog;
  PlainDialog plain;
};

TEST_F(BDialogTest, WithoutABitmapItLooksLikeAPlainDialog) {
  EXPECT_FALSE(dialog.HasBackgroundBitmap());
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_TILE);
  // Modes outside the three are ignored.
  dialog.SetBackgroundMode(CBDialog::BG_STRETCH);
  for (int mode : {3, -1}) dialog.SetBackgroundMode(mode);
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_STRETCH);
  EXPECT_FALSE(dialog.SetBackgroundBitmap(IDB_WT_MISSING));
  LRESULT handled = 0;
  const Pixels mine = Erase(dialog.GetHwnd(), 90, 70, &handled);
  EXPECT_EQ(handled, TRUE);
  EXPECT_EQ(mine.data, Erase(plain.GetHwnd(), 90, 70).data);
  EXPECT_NE(mine.At(5, 5), RGB(1, 2, 3));
  // Messages the derived dialog handles still reach it.
  EXPECT_EQ(SendMessageW(dialog.GetHwnd(), kPing, 0, 0), 42);
  EXPECT_EQ(dialog.pings, 1);
}

// Tiled, the bitmap repeats from the top left corner; centred in a client smaller than the bitmap,
// its top left part shows.
TEST_F(BDialogTest, TileRepeatsFromTheTopLeftAndCentreShowsTheTopLeftOfALargerBitmap) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  const struct {
    int mode, width, height;
  } cases[] = {{CBDialog::BG_TILE, 100, 70}, {CBDialog::BG_TILE, 25, 20}, {CBDialog::BG_CENTER, 25, 20}};
  for (const auto& c : cases) {
    dialog.SetBackgroundMode(c.mode);
    LRESULT handled = 0;
    const Pixels pixels = Erase(dialog.GetHwnd(), c.width, c.height, &handled);
    EXPECT_EQ(handled, TRUE);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        ASSERT_EQ(pixels.At(x, y), Gradient(x % kGradientWidth, y % kGradientHeight))
            << c.mode << " " << c.width << "x" << c.height << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(BDialogTest, CentreLeavesTheRestOfTheDialogBackground) {
  const COLORREF background = Erase(plain.GetHwnd(), 100, 70).At(50, 35);
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_CENTER);
  const Pixels pixels = Erase(dialog.GetHwnd(), 100, 70);
  const int left = (100 - kGradientWidth) / 2;
  const int top = (70 - kGradientHeight) / 2;
  EXPECT_EQ(pixels.At(left, top), Gradient(0, 0));
  EXPECT_EQ(pixels.At(left + kGradientWidth - 1, top + kGradientHeight - 1),
            Gradient(kGradientWidth - 1, kGradientHeight - 1));
  EXPECT_EQ(pixels.At(left - 1, top), background);
  EXPECT_EQ(pixels.At(left, top - 1), background);
  EXPECT_EQ(pixels.At(left + kGradientWidth, top + kGradientHeight), background);
  EXPECT_EQ(pixels.At(0, 0), background);
}

TEST_F(BDialogTest, ADerivedDialogsOwnColourStaysAroundTheBitmap) {
  dialog.dialogBrush = CreateSolidBrush(RGB(0, 128, 64));
  EXPECT_EQ(Erase(dialog.GetHwnd(), 100, 70).At(50, 35), RGB(0, 128, 64));
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_CENTER);
  const Pixels pixels = Erase(dialog.GetHwnd(), 100, 70);
  EXPECT_EQ(pixels.At(0, 0), RGB(0, 128, 64));
  EXPECT_EQ(pixels.At(99, 69), RGB(0, 128, 64));
  EXPECT_EQ(pixels.At(30, 20), Gradient(0, 0));
}

TEST_F(BDialogTest, StretchCoversTheClientArea) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_STRETCH);
  const Pixels pixels = Erase(dialog.GetHwnd(), 2 * kGradientWidth, 2 * kGradientHeight);
  for (int y = 0; y < kGradientHeight; y += 2) {
    for (int x = 0; x < kGradientWidth; x += 2) {
      ASSERT_EQ(pixels.At(2 * x + 1, 2 * y + 1), Gradient(x, y)) << x << "," << y;
    }
  }
  // Shrunk to half, every second pixel is kept: nothing black, nothing left unpainted.
  const std::set<COLORREF> half = Erase(dialog.GetHwnd(), kGradientWidth / 2, kGradientHeight / 2).Colours();
  EXPECT_EQ(half.count(RGB(0, 0, 0)), 0u);
  EXPECT_EQ(half.count(RGB(1, 2, 3)), 0u);
}

TEST_F(BDialogTest, ASecondBitmapReplacesAndReleasesTheFirst) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  const HBITMAP first = dialog.GetBackgroundBitmap();
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_SMALL));
  EXPECT_EQ(GetObjectType(first), 0u);
  const Pixels pixels = Erase(dialog.GetHwnd(), 20, 20);
  EXPECT_EQ(pixels.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(pixels.At(8, 8), RGB(0, 0, 255));  // tiled every 8 pixels
  EXPECT_EQ(pixels.At(5, 3), RGB(200, 30, 150));
  // A missing resource leaves no bitmap: the plain background again.
  const HBITMAP second = dialog.GetBackgroundBitmap();
  EXPECT_FALSE(dialog.SetBackgroundBitmap(IDB_WT_MISSING));
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_FALSE(dialog.HasBackgroundBitmap());
}

TEST(BDialogLifetime, TheBitmapIsDeletedWithTheDialog) {
  HBITMAP bitmap = nullptr;
  {
    BackgroundDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless());
    ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
    bitmap = dialog.GetBackgroundBitmap();
    // Painted for real once, through the system's own erase.
    ShowWindow(dialog.GetHwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(dialog.GetHwnd());
  }
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

}  // namespace

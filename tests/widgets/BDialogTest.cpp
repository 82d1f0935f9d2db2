#include <windows.h>

#include <gtest/gtest.h>

#include "Canvas.h"
#include "WidgetsTestIds.h"
#include "framework/Dialog.h"
#include "widgets/BDialog.h"

namespace {

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

void SizeClient(HWND dialog, int width, int height) {
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

// Erases a dialog into the canvas as the system would before painting it.
LRESULT Erase(HWND dialog, wtest::Canvas& canvas) {
  canvas.Fill(RGB(1, 2, 3));
  return SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
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
  // The plain dialog's background colour at the same size.
  COLORREF PlainBackground(int width, int height) {
    SizeClient(plain.GetHwnd(), width, height);
    wtest::Canvas canvas(width, height);
    Erase(plain.GetHwnd(), canvas);
    return canvas.At(width / 2, height / 2);
  }

  BackgroundDialog dialog;
  PlainDialog plain;
};

TEST_F(BDialogTest, WithoutABitmapItLooksLikeAPlainDialog) {
  EXPECT_FALSE(dialog.HasBackgroundBitmap());
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_TILE);
  EXPECT_FALSE(dialog.SetBackgroundBitmap(IDB_WT_MISSING));
  SizeClient(dialog.GetHwnd(), 90, 70);
  SizeClient(plain.GetHwnd(), 90, 70);
  wtest::Canvas mine(90, 70), theirs(90, 70);
  EXPECT_EQ(Erase(dialog.GetHwnd(), mine), TRUE);
  Erase(plain.GetHwnd(), theirs);
  EXPECT_TRUE(mine.SameAs(theirs));
  EXPECT_NE(mine.At(5, 5), RGB(1, 2, 3));
  // Messages the derived dialog handles still reach it.
  EXPECT_EQ(SendMessageW(dialog.GetHwnd(), kPing, 0, 0), 42);
  EXPECT_EQ(dialog.pings, 1);
}

TEST_F(BDialogTest, TileAndCentreShowTheTopLeftPartWhenTheClientIsSmaller) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  SizeClient(dialog.GetHwnd(), 25, 20);
  for (int mode : {CBDialog::BG_TILE, CBDialog::BG_CENTER}) {
    dialog.SetBackgroundMode(mode);
    wtest::Canvas canvas(25, 20);
    EXPECT_EQ(Erase(dialog.GetHwnd(), canvas), TRUE);
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 25; ++x) ASSERT_EQ(canvas.At(x, y), Gradient(x, y)) << mode << " at " << x << "," << y;
    }
  }
}

TEST_F(BDialogTest, TileRepeatsTheBitmapFromTheTopLeftCorner) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  SizeClient(dialog.GetHwnd(), 100, 70);
  wtest::Canvas canvas(100, 70);
  Erase(dialog.GetHwnd(), canvas);
  for (int y = 0; y < 70; y += 3) {
    for (int x = 0; x < 100; x += 3) {
      ASSERT_EQ(canvas.At(x, y), Gradient(x % kGradientWidth, y % kGradientHeight)) << x << "," << y;
    }
  }
}

TEST_F(BDialogTest, CentreLeavesTheRestOfTheDialogBackground) {
  const COLORREF background = PlainBackground(100, 70);
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_CENTER);
  SizeClient(dialog.GetHwnd(), 100, 70);
  wtest::Canvas canvas(100, 70);
  Erase(dialog.GetHwnd(), canvas);
  const int left = (100 - kGradientWidth) / 2;
  const int top = (70 - kGradientHeight) / 2;
  EXPECT_EQ(canvas.At(left, top), Gradient(0, 0));
  EXPECT_EQ(canvas.At(left + kGradientWidth - 1, top + kGradientHeight - 1),
            Gradient(kGradientWidth - 1, kGradientHeight - 1));
  EXPECT_EQ(canvas.At(left - 1, top), background);
  EXPECT_EQ(canvas.At(left, top - 1), background);
  EXPECT_EQ(canvas.At(left + kGradientWidth, top + kGradientHeight), background);
  EXPECT_EQ(canvas.At(0, 0), background);
}

TEST_F(BDialogTest, ADerivedDialogsOwnColourStaysAroundTheBitmap) {
  dialog.dialogBrush = CreateSolidBrush(RGB(0, 128, 64));
  SizeClient(dialog.GetHwnd(), 100, 70);
  wtest::Canvas canvas(100, 70);
  Erase(dialog.GetHwnd(), canvas);
  EXPECT_EQ(canvas.At(50, 35), RGB(0, 128, 64));
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_CENTER);
  Erase(dialog.GetHwnd(), canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 128, 64));
  EXPECT_EQ(canvas.At(99, 69), RGB(0, 128, 64));
  EXPECT_EQ(canvas.At(30, 20), Gradient(0, 0));
}

TEST_F(BDialogTest, StretchCoversTheClientArea) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  dialog.SetBackgroundMode(CBDialog::BG_STRETCH);
  SizeClient(dialog.GetHwnd(), 2 * kGradientWidth, 2 * kGradientHeight);
  wtest::Canvas canvas(2 * kGradientWidth, 2 * kGradientHeight);
  Erase(dialog.GetHwnd(), canvas);
  for (int y = 0; y < kGradientHeight; y += 2) {
    for (int x = 0; x < kGradientWidth; x += 2) {
      ASSERT_EQ(canvas.At(2 * x + 1, 2 * y + 1), Gradient(x, y)) << x << "," << y;
    }
  }
  // Shrunk to half, every second pixel is kept.
  SizeClient(dialog.GetHwnd(), kGradientWidth / 2, kGradientHeight / 2);
  wtest::Canvas half(kGradientWidth / 2, kGradientHeight / 2);
  Erase(dialog.GetHwnd(), half);
  EXPECT_EQ(half.Count(RGB(0, 0, 0)), 0);
  EXPECT_EQ(half.Count(RGB(1, 2, 3)), 0);
}

TEST_F(BDialogTest, ModesOutsideTheThreeAreIgnored) {
  dialog.SetBackgroundMode(CBDialog::BG_STRETCH);
  dialog.SetBackgroundMode(3);
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_STRETCH);
  dialog.SetBackgroundMode(-1);
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_STRETCH);
  dialog.SetBackgroundMode(CBDialog::BG_CENTER);
  EXPECT_EQ(dialog.GetBackgroundMode(), CBDialog::BG_CENTER);
}

TEST_F(BDialogTest, ASecondBitmapReplacesAndReleasesTheFirst) {
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_GRADIENT));
  const HBITMAP first = dialog.GetBackgroundBitmap();
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));
  ASSERT_TRUE(dialog.SetBackgroundBitmap(IDB_WT_SMALL));
  EXPECT_EQ(GetObjectType(first), 0u);
  SizeClient(dialog.GetHwnd(), 20, 20);
  wtest::Canvas canvas(20, 20);
  Erase(dialog.GetHwnd(), canvas);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(8, 8), RGB(0, 0, 255));  // tiled every 8 pixels
  EXPECT_EQ(canvas.At(5, 3), RGB(200, 30, 150));
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

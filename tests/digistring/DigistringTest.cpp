// The segment display as a control: setters, lazy rebuilding, painting and its pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "DigistringTestIds.h"
#include "PixelCapture.h"
#include "framework/Dialog.h"
#include "tests/support/TestSupport.h"
#include "widgets/Digistring.h"
#include "widgets/SegmentDisplay.h"

namespace {

using dstest::Pixels;
using dstest::RenderClient;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kOn = RGB(0, 255, 0);
constexpr COLORREF kOnPen = RGB(0, 191, 0);
constexpr COLORREF kOff = RGB(0, 52, 0);
constexpr COLORREF kOffPen = RGB(0, 39, 0);

class ReadoutDialog : public fw::Dialog {
 public:
  ReadoutDialog() : fw::Dialog(IDD_DS_TEST, nullptr) {}
  CDigistring readout;
  bool bound = false;

 protected:
  void DoDataExchange() override { bound = BindItem(IDC_DS_READOUT, readout); }
};

class DigistringTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.CreateModeless());
    ASSERT_TRUE(dialog_.bound);
    SetWindowPos(dialog_.GetHwnd(), nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    sptest::PumpMessages();
  }
  void TearDown() override { DestroyWindow(dialog_.GetHwnd()); }

  CDigistring& Readout() { return dialog_.readout; }
  void Resize(int width, int height) {
    SetWindowPos(Readout().GetHwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  // Paints whatever is pending, then reports whether anything asks for a repaint.
  void Settle() { UpdateWindow(Readout().GetHwnd()); }
  bool NeedsRepaint() { return GetUpdateRect(Readout().GetHwnd(), nullptr, FALSE) != FALSE; }

  ReadoutDialog dialog_;
};

TEST_F(DigistringTest, StartsWithEmptyAndRebuildsOnlyWhenPainted) {
  EXPECT_EQ(Readout().GetText(), "EMPTY");
  EXPECT_EQ(Readout().GetOffColor(), kOff);
  EXPECT_EQ(Readout().GetOnColor(), kOn);
  EXPECT_EQ(Readout().GetBackgroundColor(), kBlack);
  EXPECT_EQ(Readout().GetDisplayStyle(), static_cast<unsigned>(SEGSTYLE_KEEPASPECT));

  Resize(300, 60);
  RenderClient(Readout().GetHwnd());
  ASSERT_EQ(Readout().GetCells().size(), 5u);
  for (const CSegmentCell& cell : Readout().GetCells()) EXPECT_EQ(cell.GetSegmentCount(), 14);

  Readout().SetText("0.000");
  // The setter only marks the cells stale; the next paint rebuilds them.
  EXPECT_TRUE(Readout().IsRebuildPending());
  EXPECT_EQ(Readout().GetCells().size(), 5u);
  EXPECT_EQ(Readout().GetCells()[0].GetSegmentCount(), 14);
  RenderClient(Readout().GetHwnd());
  EXPECT_FALSE(Readout().IsRebuildPending());
  ASSERT_EQ(Readout().GetCells().size(), 5u);
  EXPECT_EQ(TotalWidth(Readout().GetCells()), 214);
  EXPECT_EQ(Readout().GetCells()[0].GetMask(), 0x77);
  EXPECT_EQ(Readout().GetCells()[1].GetMask(), 0x04);
}

TEST_F(DigistringTest, LowerCaseShowsAsUpperCaseAndUnknownCharactersTakeNoCell) {
  Resize(300, 60);
  Readout().SetText("abc");
  const Pixels lower = RenderClient(Readout().GetHwnd());
  EXPECT_EQ(Readout().GetText(), "ABC");
  Readout().SetText("ABC ");
  Readout().SetText("ABC");
  EXPECT_EQ(RenderClient(Readout().GetHwnd()).data, lower.data);

  Readout().SetText("1%2#");
  const Pixels skipped = RenderClient(Readout().GetHwnd());
  EXPECT_EQ(Readout().GetCells().size(), 2u);
  Readout().SetText("12");
  EXPECT_EQ(RenderClient(Readout().GetHwnd()).data, skipped.data);

  Readout().SetText(nullptr);
  EXPECT_EQ(Readout().GetText(), "");
}

TEST_F(DigistringTest, FormatIsBoundedTo255Characters) {
  Readout().Format("%.3f", 1.5);
  EXPECT_EQ(Readout().GetText(), "1.500");
  Readout().Format("%d%%", 42);
  EXPECT_EQ(Readout().GetText(), "42%");
  const std::string longText(400, '8');
  Readout().Format("%s-%s", longText.c_str(), longText.c_str());
  EXPECT_EQ(Readout().GetText(), std::string(255, '8'));
}

TEST_F(DigistringTest, EmptyTextPaintsOnlyTheBackground) {
  Resize(120, 40);
  Readout().SetBackgroundColor(RGB(12, 34, 56));
  Readout().SetText("");
  const Pixels pixels = RenderClient(Readout().GetHwnd(), RGB(255, 255, 255));
  ASSERT_EQ(pixels.width, 120);
  EXPECT_EQ(pixels.Colours(), std::set<COLORREF>{RGB(12, 34, 56)});
  EXPECT_TRUE(Readout().GetCells().empty());
}

// A rendering of "8.8": every segment of the eights and the decimal point is filled in the on
// colour, the unlit dots in the off colour, and whatever lies outside the segments is background.
TEST_F(DigistringTest, EightPointEightLightsEverySegment) {
  Resize(300, 120);
  Readout().SetText("8.8");
  const Pixels pixels = RenderClient(Readout().GetHwnd());
  const auto& cells = Readout().GetCells();
  ASSERT_EQ(cells.size(), 3u);
  const auto rects = LayoutCells(cells, 0, 0, 300, 120, SEGSTYLE_KEEPASPECT);
  auto pixel = [&](std::size_t cell, double x, double y) {
    const CRealRect& r = rects[cell];
    const double sx = r.Width() / cells[cell].GetWidth();
    const double sy = r.Height() / kCellHeight;
    return pixels.At(static_cast<int>(r.left + x * sx), static_cast<int>(r.top + y * sy));
  };
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto& segments = cells[c].GetSegments();
    for (std::size_t s = 0; s < segments.size(); ++s) {
      double cx = 0, cy = 0;
      for (const DesignPoint& p : segments[s].GetPoints()) {
        cx += p.x;
        cy += p.y;
      }
      cx /= segments[s].GetCount();
      cy /= segments[s].GetCount();
      const bool lit = c != 1 || s == 2;
      EXPECT_EQ(pixel(c, cx, cy), lit ? kOn : kOff) << "cell " << c << " segment " << s;
    }
  }
  // The holes of the eights, the corners of the cells, between the dots, and the margins.
  for (std::size_t c : {0u, 2u}) {
    EXPECT_EQ(pixel(c, 24, 24), kBlack);
    EXPECT_EQ(pixel(c, 24, 58), kBlack);
    EXPECT_EQ(pixel(c, 1, 1), kBlack);
    EXPECT_EQ(pixel(c, 47, 81), kBlack);
  }
  EXPECT_EQ(pixel(1, 9, 45), kBlack);
  EXPECT_EQ(pixel(1, 9, 10), kBlack);
  EXPECT_EQ(pixels.At(5, 60), kBlack);
  EXPECT_EQ(pixels.At(294, 60), kBlack);
  // Nothing but the fills, the two pens and the background; the outlines are drawn.
  const std::set<COLORREF> allowed{kBlack, kOn, kOnPen, kOff, kOffPen};
  for (COLORREF colour : pixels.Colours()) EXPECT_TRUE(allowed.count(colour)) << std::hex << colour;
  EXPECT_TRUE(pixels.Colours().count(kOnPen));
  EXPECT_TRUE(pixels.Colours().count(kOffPen));

  // The screen shows the same as the rendering.
  InvalidateRect(Readout().GetHwnd(), nullptr, TRUE);
  UpdateWindow(Readout().GetHwnd());
  EXPECT_EQ(dstest::CaptureClient(Readout().GetHwnd()).data, pixels.data);
}

TEST_F(DigistringTest, PensMixWithTheBackground) {
  Resize(200, 80);
  Readout().SetSegmentColors(RGB(90, 20, 20), RGB(250, 200, 10));
  Readout().SetBackgroundColor(RGB(40, 60, 80));
  Readout().SetText("-8");
  const std::set<COLORREF> colours = RenderClient(Readout().GetHwnd()).Colours();
  const std::set<COLORREF> expected{RGB(40, 60, 80), RGB(90, 20, 20), RGB(250, 200, 10), RGB(77, 30, 35),
                                    RGB(197, 165, 27)};
  EXPECT_EQ(colours, expected);
}

TEST_F(DigistringTest, KeepAspectCentresTheRow) {
  Readout().SetText("0.000");
  Resize(400, 40);
  Pixels pixels = RenderClient(Readout().GetHwnd());
  RECT box{};
  ASSERT_TRUE(pixels.Extent(kBlack, box));
  const int left = box.left, right = pixels.width - 1 - box.right;
  EXPECT_GT(left, 100);
  EXPECT_LE(std::abs(left - right), 2) << left << " / " << right;
  EXPECT_LE(box.top, 3);
  EXPECT_GE(box.bottom, pixels.height - 4);

  Readout().SetText("8");
  Resize(60, 400);
  pixels = RenderClient(Readout().GetHwnd());
  ASSERT_TRUE(pixels.Extent(kBlack, box));
  const int top = box.top, bottom = pixels.height - 1 - box.bottom;
  EXPECT_GT(top, 100);
  EXPECT_LE(std::abs(top - bottom), 3) << top << " / " << bottom;
  EXPECT_LE(box.left, 6);
  EXPECT_GE(box.right, pixels.width - 8);
}

TEST_F(DigistringTest, WithoutKeepAspectTheCellsFillTheWindow) {
  Readout().ModifyDisplayStyle(SEGSTYLE_KEEPASPECT, 0);
  EXPECT_EQ(Readout().GetDisplayStyle(), 0u);
  Readout().SetText("0.000");
  for (SIZE size : {SIZE{400, 40}, SIZE{60, 400}}) {
    Resize(size.cx, size.cy);
    const Pixels pixels = RenderClient(Readout().GetHwnd());
    RECT box{};
    ASSERT_TRUE(pixels.Extent(kBlack, box));
    // The outlines keep their design distance from the cell edges: 4 units left and top, 5 right
    // and bottom, at each direction's own scale.
    const double sx = size.cx / 214.0, sy = size.cy / 83.0;
    EXPECT_NEAR(box.left, 4 * sx, 1.5) << size.cx << "x" << size.cy;
    EXPECT_NEAR(pixels.width - 1 - box.right, 5 * sx, 1.5) << size.cx << "x" << size.cy;
    EXPECT_NEAR(box.top, 4 * sy, 1.5) << size.cx << "x" << size.cy;
    EXPECT_NEAR(pixels.height - 1 - box.bottom, 5 * sy, 1.5) << size.cx << "x" << size.cy;
  }
}

TEST_F(DigistringTest, RepaintsOnlyOnChange) {
  Resize(200, 60);
  Settle();
  ASSERT_FALSE(NeedsRepaint());

  Readout().SetText("1.25");
  EXPECT_TRUE(NeedsRepaint());
  Settle();
  Readout().SetText("1.25");
  EXPECT_FALSE(NeedsRepaint()) << "same text";
  Readout().SetText("1.26");
  EXPECT_TRUE(NeedsRepaint());
  Settle();

  Readout().SetSegmentColors(kOff, kOn);
  EXPECT_FALSE(NeedsRepaint()) << "same colours";
  Readout().SetSegmentColors(kOff, RGB(255, 0, 0));
  EXPECT_TRUE(NeedsRepaint());
  Settle();
  Readout().SetSegmentColors(RGB(50, 0, 0), RGB(255, 0, 0));
  EXPECT_TRUE(NeedsRepaint()) << "only the off colour changed";
  Settle();
  Readout().SetBackgroundColor(kBlack);
  EXPECT_FALSE(NeedsRepaint()) << "same background";
  Readout().SetBackgroundColor(RGB(1, 1, 1));
  EXPECT_TRUE(NeedsRepaint());
  Settle();

  // Overlapping sets change nothing at all.
  Readout().ModifyDisplayStyle(SEGSTYLE_KEEPASPECT | SEGSTYLE_ROUNDED, SEGSTYLE_ROUNDED);
  EXPECT_FALSE(NeedsRepaint());
  EXPECT_FALSE(Readout().IsRebuildPending());
  EXPECT_EQ(Readout().GetDisplayStyle(), static_cast<unsigned>(SEGSTYLE_KEEPASPECT));
  EXPECT_EQ(Readout().GetCells()[0].GetSegmentCount(), 7);
  Readout().ModifyDisplayStyle(0, SEGSTYLE_DIGITS14);
  EXPECT_TRUE(NeedsRepaint());
  EXPECT_TRUE(Readout().IsRebuildPending());
  EXPECT_EQ(Readout().GetDisplayStyle(), static_cast<unsigned>(SEGSTYLE_KEEPASPECT | SEGSTYLE_DIGITS14));
  Settle();
  EXPECT_FALSE(Readout().IsRebuildPending());
  EXPECT_EQ(Readout().GetCells()[0].GetSegmentCount(), 14);
}

TEST_F(DigistringTest, EraseBackgroundDoesNothing) {
  Resize(100, 40);
  dstest::DibCanvas canvas(100, 40, RGB(200, 100, 50));
  EXPECT_EQ(SendMessageW(Readout().GetHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0), 0);
  EXPECT_EQ(canvas.Read().Colours(), std::set<COLORREF>{RGB(200, 100, 50)});
}

// Highest handle slot among many fresh objects: it climbs when objects leak, because leaked
// objects keep their slots and fresh ones must go further up.
int HighestFreshHandleSlot() {
  constexpr int kProbes = 2000;
  static HBRUSH probes[kProbes];
  int highest = 0;
  for (HBRUSH& probe : probes) {
    probe = CreateSolidBrush(RGB(1, 2, 3));
    highest = std::max(highest, static_cast<int>(LOWORD(reinterpret_cast<UINT_PTR>(probe))));
  }
  for (HBRUSH probe : probes) DeleteObject(probe);
  return highest;
}

TEST_F(DigistringTest, PaintingReleasesItsObjects) {
  Resize(150, 48);
  Readout().SetText("-12.345");
  Settle();
  RenderClient(Readout().GetHwnd());
  const DWORD countBefore = sptest::GdiObjectCount();
  const int slotBefore = HighestFreshHandleSlot();
  for (int i = 0; i < 300; ++i) {
    Readout().SetText(i % 2 ? "-12.345" : "-12.346");
    UpdateWindow(Readout().GetHwnd());
  }
  for (int i = 0; i < 50; ++i) RenderClient(Readout().GetHwnd());
  const int slotAfter = HighestFreshHandleSlot();
  EXPECT_LE(slotAfter, slotBefore + 8) << "handle slots climbed from " << slotBefore << " to " << slotAfter;
  EXPECT_LE(sptest::GdiObjectCount(), countBefore + 2);
}

}  // namespace

// The double-buffer context: nothing reaches the target before the copy, the copy lands where the
// rectangle says, and printing-like contexts are drawn into directly.
#include <windows.h>

#include <gtest/gtest.h>

#include "PixelCapture.h"
#include "widgets/Digistring.h"
#include "widgets/memdc.h"

namespace {

using dstest::DibCanvas;
using dstest::Pixels;

void FillRect(HDC dc, const RECT& rect, COLORREF colour) {
  const COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

TEST(MemDC, DrawsOffScreenAndCopiesOnClose) {
  DibCanvas target(60, 40, RGB(255, 255, 255));
  SetBkColor(target.Dc(), RGB(10, 20, 30));
  const RECT rect{10, 5, 50, 35};
  {
    CMemDC mem(target.Dc(), rect);
    ASSERT_TRUE(mem.IsBuffered());
    EXPECT_NE(mem.GetSafeHdc(), target.Dc());
    // Logical coordinates are the target's: this square sits at the rectangle's corner.
    FillRect(mem, RECT{10, 5, 20, 15}, RGB(200, 0, 0));
    // Nothing has reached the target yet, not even the background.
    EXPECT_EQ(target.Read().Colours(), std::set<COLORREF>{RGB(255, 255, 255)});
  }
  const Pixels pixels = target.Read();
  EXPECT_EQ(pixels.At(10, 5), RGB(200, 0, 0));
  EXPECT_EQ(pixels.At(19, 14), RGB(200, 0, 0));
  EXPECT_EQ(pixels.At(20, 15), RGB(10, 20, 30));
  EXPECT_EQ(pixels.At(49, 34), RGB(10, 20, 30));
  // Outside the rectangle the target is untouched.
  EXPECT_EQ(pixels.At(9, 5), RGB(255, 255, 255));
  EXPECT_EQ(pixels.At(50, 20), RGB(255, 255, 255));
  EXPECT_EQ(pixels.At(30, 35), RGB(255, 255, 255));
  EXPECT_EQ(pixels.At(30, 4), RGB(255, 255, 255));
}

TEST(MemDC, LeavesTheTargetAsItWas) {
  DibCanvas target(20, 20, RGB(0, 0, 0));
  const HGDIOBJ bitmap = GetCurrentObject(target.Dc(), OBJ_BITMAP);
  const int mapMode = GetMapMode(target.Dc());
  {
    CMemDC mem(target.Dc(), RECT{0, 0, 20, 20});
    EXPECT_EQ(GetMapMode(mem), mapMode);
  }
  EXPECT_EQ(GetCurrentObject(target.Dc(), OBJ_BITMAP), bitmap);
  // An empty rectangle draws directly and copies nothing.
  CMemDC empty(target.Dc(), RECT{5, 5, 5, 9});
  EXPECT_FALSE(empty.IsBuffered());
  EXPECT_EQ(empty.GetSafeHdc(), target.Dc());
}

TEST(MemDC, MetafilesAreDrawnDirectly) {
  HDC screen = GetDC(nullptr);
  EXPECT_FALSE(CMemDC::IsPrinting(screen));
  DibCanvas memory(4, 4, 0);
  EXPECT_FALSE(CMemDC::IsPrinting(memory.Dc()));

  HDC record = CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(CMemDC::IsPrinting(record));

  // A display painted into the metafile and played back looks like one painted on screen.
  CDigistring display;
  SetBkColor(record, RGB(0, 0, 0));
  {
    CMemDC mem(record, RECT{0, 0, 120, 50});
    EXPECT_FALSE(mem.IsBuffered());
    EXPECT_EQ(mem.GetSafeHdc(), record);
  }
  display.SetText("8");
  display.Paint(record, RECT{0, 0, 120, 50});
  HENHMETAFILE metafile = CloseEnhMetaFile(record);
  ASSERT_NE(metafile, nullptr);
  DibCanvas played(120, 50, RGB(255, 255, 255));
  const RECT all{0, 0, 120, 50};
  PlayEnhMetaFile(played.Dc(), metafile, &all);
  DeleteEnhMetaFile(metafile);
  const auto colours = played.Read().Colours();
  EXPECT_TRUE(colours.count(RGB(0, 255, 0)));
  EXPECT_TRUE(colours.count(RGB(0, 0, 0)));
  ReleaseDC(nullptr, screen);
}

}  // namespace

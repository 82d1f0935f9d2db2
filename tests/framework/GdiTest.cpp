#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(Gdi, ObjectsAndSelectionsAreReleased) {
  HDC screen = GetDC(nullptr);
  const DWORD before = sptest::GdiObjectCount();
  HPEN lastPen = nullptr;
  HBITMAP lastBitmap = nullptr;
  for (int i = 0; i < 1000; ++i) {
    fw::MemoryDC mem(screen);
    ASSERT_TRUE(mem);
    const HGDIOBJ originalPen = GetCurrentObject(mem.Get(), OBJ_PEN);
    fw::Bitmap bitmap(CreateCompatibleBitmap(screen, 8, 8));
    fw::Pen pen(CreatePen(PS_SOLID, 1, RGB(i % 256, 0, 0)));
    fw::Brush brush(CreateSolidBrush(RGB(0, i % 256, 0)));
    ASSERT_TRUE(pen && brush && bitmap);
    {
      fw::ScopedSelect selBitmap(mem.Get(), bitmap.Get());
      fw::ScopedSelect selPen(mem.Get(), pen.Get());
      fw::ScopedSelect selBrush(mem.Get(), brush.Get());
      Rectangle(mem.Get(), 0, 0, 8, 8);
      EXPECT_EQ(GetCurrentObject(mem.Get(), OBJ_PEN), pen.Get());
    }
    EXPECT_EQ(GetCurrentObject(mem.Get(), OBJ_PEN), originalPen);
    lastPen = pen.Get();
    lastBitmap = bitmap.Get();
  }
  // Deleted handles are no longer objects.
  EXPECT_EQ(GetObjectType(lastPen), 0u);
  EXPECT_EQ(GetObjectType(lastBitmap), 0u);
  const DWORD after = sptest::GdiObjectCount();
  EXPECT_LE(after, before + 2) << "GDI objects grew from " << before << " to " << after;
  ReleaseDC(nullptr, screen);
}

TEST(Gdi, OwnersMoveAndNeverDeleteTwice) {
  fw::Brush a(CreateSolidBrush(RGB(1, 1, 1)));
  const HBRUSH handle = a.Get();
  fw::Brush b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.Get(), handle);
  fw::Brush c;
  c = std::move(b);
  EXPECT_EQ(c.Get(), handle);
  EXPECT_NE(GetObjectType(handle), 0u);
  c.Reset();
  EXPECT_EQ(GetObjectType(handle), 0u);
}

}  // namespace

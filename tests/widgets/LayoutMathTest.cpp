#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "widgets/LayoutMath.h"

namespace {

using layout::Rect;
using layout::RemainderTable;

constexpr std::uintptr_t kControl = 0x1234;

// Counts how often the height rule asks for the text height.
class FixedTextHeight final : public layout::TextHeightSource {
 public:
  explicit FixedTextHeight(int height) : height_(height) {}
  int TextHeight() override {
    ++calls;
    return height_;
  }
  int calls = 0;

 private:
  int height_;
};

// Lays out a set of coordinates the way the mover does, one remainder slot each.
struct Edges {
  std::vector<int> coords;
  std::vector<float> remainders;
  explicit Edges(std::vector<int> c) : coords(std::move(c)), remainders(coords.size(), 0.0f) {}
  void Resize(int from, int to) {
    const float ratio = layout::Ratio(to, from);
    for (std::size_t i = 0; i < coords.size(); ++i) {
      coords[i] = layout::ScaleCoordinate(coords[i], ratio, &remainders[i]);
    }
  }
};

std::vector<int> SampleCoordinates() {
  std::vector<int> c;
  for (int v = -23; v < 640; v += 7) c.push_back(v);
  return c;
}

TEST(ScaleCoordinate, CarriesTheFractionAndKeepsItWithinHalfAPixel) {
  float r = 0.0f;
  EXPECT_EQ(layout::ScaleCoordinate(137, 2.0f, &r), 274);
  EXPECT_EQ(layout::ScaleCoordinate(-41, 2.0f, &r), -82);
  EXPECT_EQ(layout::ScaleCoordinate(274, 0.5f, &r), 137);
  EXPECT_EQ(r, 0.0f);
  const float third = layout::Ratio(1, 3);
  EXPECT_EQ(layout::ScaleCoordinate(10, third, &r), 3);  // 3.33
  EXPECT_NEAR(r, 1.0f / 3.0f, 1e-5f);
  // Back to the old size: the carried third brings the edge home exactly.
  EXPECT_EQ(layout::ScaleCoordinate(3, layout::Ratio(3, 1), &r), 10);
  EXPECT_NEAR(r, 0.0f, 1e-5f);
  // Without a remainder the position is only rounded.
  EXPECT_EQ(layout::ScaleCoordinate(11, third, nullptr), 4);  // 3.67
  EXPECT_EQ(layout::ScaleCoordinate(-11, third, nullptr), -4);
}

TEST(ScaleCoordinate, ShrinkAndRegrowByOddRatiosReturnsHome) {
  const std::vector<int> home = SampleCoordinates();
  for (int other : {437, 301, 599, 333, 250, 151, 777, 1013, 1199, 1, 2}) {
    Edges e(home);
    for (int cycle = 0; cycle < 200; ++cycle) {
      e.Resize(600, other);
      for (float rem : e.remainders) ASSERT_LE(std::fabs(rem), 0.5f + 1e-4f) << other;
      e.Resize(other, 600);
      ASSERT_EQ(e.coords, home) << "via " << other << ", cycle " << cycle;
    }
  }
}

TEST(ScaleCoordinate, LongWalksThroughManySizesEndWithinOnePixel) {
  const std::vector<int> home = SampleCoordinates();
  Edges e(home);
  unsigned seed = 12345;
  int size = 600;
  for (int step = 0; step < 2000; ++step) {
    seed = seed * 1103515245u + 12345u;
    const int next = 80 + static_cast<int>((seed >> 8) % 1600);
    e.Resize(size, next);
    size = next;
  }
  e.Resize(size, 600);
  for (std::size_t i = 0; i < home.size(); ++i) EXPECT_LE(std::abs(e.coords[i] - home[i]), 1) << home[i];
}

TEST(ScaleCoordinate, HostileValuesStayDefined) {
  float r = 0.0f;
  EXPECT_EQ(layout::ScaleCoordinate(INT_MAX, 1.0e30f, &r), 1000000000);
  EXPECT_EQ(layout::ScaleCoordinate(INT_MIN, 1.0e30f, &r), -1000000000);
  r = NAN;
  EXPECT_EQ(layout::ScaleCoordinate(5, 1.0f, &r), 0);
  EXPECT_EQ(r, 0.0f);
  EXPECT_EQ(layout::Ratio(10, 0), 0.0f);
  EXPECT_EQ(layout::Ratio(10, -4), 0.0f);
}

TEST(ScaleControlRect, SmallStaticsEditsAndButtonsKeepTheirHeight) {
  for (int kind : {MC_STATIC, MC_EDIT, MC_BUTTON}) {
    RemainderTable t;
    FixedTextHeight text(16);
    const Rect r = layout::ScaleControlRect(Rect{10, 20, 110, 40}, kind, 2.0f, 2.0f, t, 0, kControl, text);
    EXPECT_EQ(r, (Rect{20, 40, 220, 60})) << kind;
    EXPECT_EQ(text.calls, 1);  // asked, but 20 is already enough
    const Rect r49 = layout::ScaleControlRect(Rect{0, 10, 50, 59}, kind, 1.0f, 3.0f, t, 1, kControl, text);
    EXPECT_EQ(r49, (Rect{0, 30, 50, 79})) << kind;
  }
}

TEST(ScaleControlRect, TallControlsAndOtherKindsScaleTheirBottom) {
  FixedTextHeight text(16);
  RemainderTable t;
  EXPECT_EQ(layout::ScaleControlRect(Rect{0, 10, 50, 60}, MC_STATIC, 1.0f, 2.0f, t, 0, kControl, text),
            (Rect{0, 20, 50, 120}));
  for (int kind : {MC_COMBOBOX, MC_LISTVIEW, MC_IPADDRESS, MC_OTHER}) {
    EXPECT_EQ(layout::ScaleControlRect(Rect{0, 10, 50, 20}, kind, 1.0f, 2.0f, t, 1, kControl, text),
              (Rect{0, 20, 50, 40}))
        << kind;
  }
  EXPECT_EQ(text.calls, 0);
}

TEST(ScaleControlRect, ControlsLowerThanTheirTextGrowToTextHeightPlusTwo) {
  RemainderTable t;
  FixedTextHeight text(16);
  EXPECT_EQ(layout::ScaleControlRect(Rect{5, 30, 100, 40}, MC_STATIC, 1.0f, 1.0f, t, 0, kControl, text),
            (Rect{5, 30, 100, 48}));
  // Exactly the text height is enough.
  EXPECT_EQ(layout::ScaleControlRect(Rect{5, 30, 100, 46}, MC_EDIT, 1.0f, 1.0f, t, 0, kControl, text),
            (Rect{5, 30, 100, 46}));
  // A control collapsed at the origin stays collapsed and is not measured.
  FixedTextHeight unused(16);
  EXPECT_EQ(layout::ScaleControlRect(Rect{0, 0, 0, 0}, MC_BUTTON, 1.0f, 1.0f, t, 1, kControl, unused),
            (Rect{0, 0, 0, 0}));
  EXPECT_EQ(unused.calls, 0);
  // Zero height elsewhere is grown.
  EXPECT_EQ(layout::ScaleControlRect(Rect{0, 4, 10, 4}, MC_BUTTON, 1.0f, 1.0f, t, 1, kControl, text),
            (Rect{0, 4, 10, 22}));
}

TEST(ScaleControlRect, EachVisibleIndexHasItsOwnRemaindersAndIndicesBeyondTheTableHaveNone) {
  RemainderTable t;
  FixedTextHeight text(16);
  const float rx = layout::Ratio(437, 600);
  const float ry = layout::Ratio(293, 400);
  layout::ScaleControlRect(Rect{101, 203, 305, 407}, MC_LISTVIEW, rx, ry, t, 7, kControl, text);
  float expected = 0.0f;
  layout::ScaleCoordinate(101, rx, &expected);
  EXPECT_EQ(t.Get(layout::kLeft, 7), expected);
  expected = 0.0f;
  layout::ScaleCoordinate(407, ry, &expected);
  EXPECT_EQ(t.Get(layout::kBottom, 7), expected);
  for (int edge = 0; edge < layout::kEdgeCount; ++edge) {
    EXPECT_NE(t.Get(edge, 7), 0.0f);
    EXPECT_EQ(t.Get(edge, 6), 0.0f);
    EXPECT_EQ(t.Get(edge, 8), 0.0f);
  }
  // The last slot works; past it the rectangle is only rounded and nothing is written.
  layout::ScaleControlRect(Rect{101, 203, 305, 407}, MC_LISTVIEW, rx, ry, t, layout::kRemainderSlots - 1, kControl,
                           text);
  EXPECT_NE(t.Get(layout::kTop, layout::kRemainderSlots - 1), 0.0f);
  for (int index : {layout::kRemainderSlots, layout::kRemainderSlots + 100, -1}) {
    const Rect r = layout::ScaleControlRect(Rect{101, 203, 305, 407}, MC_LISTVIEW, rx, ry, t, index, kControl, text);
    EXPECT_EQ(r, (Rect{74, 149, 222, 298})) << index;
    EXPECT_EQ(t.Slot(layout::kLeft, index), nullptr);
    EXPECT_EQ(t.Get(layout::kLeft, index), 0.0f);
  }
  t.Clear();
  EXPECT_EQ(t.Get(layout::kLeft, 7), 0.0f);
  EXPECT_EQ(t.Slot(layout::kEdgeCount, 0), nullptr);
}

TEST(ScaleControlRect, AControlKeepsItsHeightClassWhileItHoldsItsSlot) {
  RemainderTable t;
  FixedTextHeight text(16);
  // A 60 pixel static shrinks below 50 and still grows back with the dialog.
  Rect r{10, 100, 90, 160};
  for (int cycle = 0; cycle < 3; ++cycle) {
    r = layout::ScaleControlRect(r, MC_STATIC, 1.0f, layout::Ratio(150, 400), t, 0, kControl, text);
    EXPECT_EQ(r.bottom - r.top, 22);
    r = layout::ScaleControlRect(r, MC_STATIC, 1.0f, layout::Ratio(400, 150), t, 0, kControl, text);
    EXPECT_EQ(r, (Rect{10, 100, 90, 160}));
  }
  // Another control at that position is judged by its own height, with no remainders of the
  // first one.
  const Rect other =
      layout::ScaleControlRect(Rect{10, 100, 90, 122}, MC_STATIC, 1.0f, layout::Ratio(150, 400), t, 0, 0x99, text);
  EXPECT_EQ(other, (Rect{10, 38, 90, 60}));
  EXPECT_NEAR(t.Get(layout::kTop, 0), -0.5f, 1e-5f);
  const Rect back =
      layout::ScaleControlRect(Rect{10, 100, 90, 160}, MC_STATIC, 1.0f, layout::Ratio(400, 150), t, 0, kControl, text);
  EXPECT_EQ(back, (Rect{10, 267, 90, 427}));
  // Started afresh: nothing of the other control's half pixel was carried.
  EXPECT_NEAR(t.Get(layout::kTop, 0), 266.6667f - 267.0f, 1e-3f);
}

TEST(ControlKind, ComesFromTheClassNameIgnoringCase) {
  const std::pair<const char*, int> cases[] = {
      {"Static", MC_STATIC},     {"STATIC", MC_STATIC},     {"edit", MC_EDIT},
      {"Button", MC_BUTTON},     {"combobox", MC_COMBOBOX}, {"SysListView32", MC_LISTVIEW},
      {"sysipaddress32", MC_IPADDRESS}, {"ComboLBox", MC_OTHER}, {"Static2", MC_OTHER},
      {"Stati", MC_OTHER},       {"", MC_OTHER},            {"msctls_progress32", MC_OTHER},
      {nullptr, MC_OTHER}};
  for (const auto& c : cases) EXPECT_EQ(layout::ControlKindFromClassName(c.first), c.second) << c.first;
}

TEST(FontSettings, SizeIsReadLikeTheCLibraryReadsIntegersAndBecomesACharacterHeight) {
  const std::pair<const char*, int> sizes[] = {
      {layout::kDefaultFontSize, 100}, {"120x", 120}, {"abc", 0},       {"", 0},
      {" \t-90", -90},                 {"+75", 75},   {"- 5", 0},       {nullptr, 0},
      {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}};
  for (const auto& c : sizes) EXPECT_EQ(layout::ParseLeadingInt(c.first), c.second) << c.first;
  // tenths of a point, dots per inch, height
  const int heights[][3] = {{100, 96, -13}, {90, 96, -12},        {100, 120, -17},         {-100, 96, -13},
                            {0, 96, 0},     {INT_MAX, 96, -286331153}, {INT_MIN, 96, -286331153}};
  for (const auto& h : heights) EXPECT_EQ(layout::FontHeightFromTenths(h[0], h[1]), h[2]) << h[0] << "/" << h[1];
}

}  // namespace

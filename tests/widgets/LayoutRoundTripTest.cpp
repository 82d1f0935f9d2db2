// The control mover's promise to the technician who resizes the panel: back at the old size, every
// control is where it was, however the window got there.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "widgets/LayoutMath.h"

namespace {

// Every control here is tall enough for a line of text, so none is grown for it.
class TextHeight16 final : public layout::TextHeightSource {
 public:
  int TextHeight() override { return 16; }
};

TEST(Layout, BackAtTheOldSizeEveryControlIsWhereItWas) {
  // Low statics, edits and buttons keep their height; the tall static scales, and grows back after
  // shrinking below 50; the other kinds always scale.
  const layout::Rect home[] = {{10, 20, 110, 40},   {10, 100, 90, 160},   {-23, 5, 7, 27},
                               {301, 355, 377, 380}, {101, 203, 305, 407}, {5, 9, 599, 31}};
  const int kinds[] = {MC_STATIC, MC_STATIC, MC_EDIT, MC_BUTTON, MC_LISTVIEW, MC_COMBOBOX};
  // Heights the dialog passes through from 400 and back to it (the width alike from 600), one walk
  // after another on the same remainders. The last is a drag of the corner, pixel by pixel.
  std::vector<std::vector<int>> walks = {{293}, {293}, {293}, {777}, {150}, {2}, {1013, 151, 599}, {}};
  for (int h = 401; h < 520; ++h) walks.back().push_back(h);
  for (int h = 520; h > 260; --h) walks.back().push_back(h);
  for (int h = 260; h < 400; ++h) walks.back().push_back(h);

  layout::RemainderTable remainders;
  TextHeight16 text;
  std::vector<layout::Rect> now(std::begin(home), std::end(home));
  for (auto& walk : walks) {
    walk.push_back(400);
    for (std::size_t step = 0; step < walk.size(); ++step) {
      const int from = step == 0 ? 400 : walk[step - 1];
      const float rx = layout::Ratio(walk[step] * 3 / 2, from * 3 / 2), ry = layout::Ratio(walk[step], from);
      for (std::size_t i = 0; i < now.size(); ++i) {
        now[i] = layout::ScaleControlRect(now[i], kinds[i], rx, ry, remainders, static_cast<int>(i), i + 1, text);
      }
      EXPECT_EQ(now[0].bottom - now[0].top, 20) << "a low static keeps its height";
    }
    for (std::size_t i = 0; i < now.size(); ++i) EXPECT_EQ(now[i], home[i]) << "control " << i << " via " << walk[0];
  }
}

}  // namespace

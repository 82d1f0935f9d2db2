// The trend's portable arithmetic: a channel's bounded history, the ticks of both axes, the pixel
// columns a trace is drawn from, and the PNG encoder read back by ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "widgets/ChartScale.h"
#include "widgets/PngWriter.h"
#include "widgets/TrendRing.h"

namespace {

using namespace chart;

TrendPoint At(std::int64_t t, float v, std::uint8_t state = 0) { return TrendPoint{t, t + 7, v, state}; }

TEST(TrendRing, KeepsTheNewestInOrderAndFindsByTime) {
  // An hour at 300 ms with a tenth to spare.
  EXPECT_EQ(TrendRing::CapacityFor(3600 * kUsPerSecond, 300000), 13202u);
  TrendRing ring(5);
  EXPECT_EQ(ring.LastAtOrBefore(100), -1);
  for (int t = 10; t <= 80; t += 10) ring.Push(At(t, t / 10.0f));
  ring.Push(At(75, 9.0f));  // earlier than the newest: taken at the newest's time
  ASSERT_EQ(ring.Size(), 5u);
  EXPECT_EQ(ring.Bytes(), 5 * sizeof(TrendPoint));
  const std::int64_t times[] = {50, 60, 70, 80, 80};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ring[i].timeUs, times[i]) << i;
  EXPECT_EQ(ring.Newest().value, 9.0f);
  EXPECT_EQ(ring.Newest().wallUs, 82) << "the record's own time is kept";
  const struct {
    std::int64_t t;
    std::size_t lower;
    std::ptrdiff_t last;
  } finds[] = {{0, 0, -1}, {50, 0, 0}, {55, 1, 0}, {70, 2, 2}, {80, 3, 4}, {99, 5, 4}};
  for (const auto& f : finds) {
    EXPECT_EQ(ring.LowerBound(f.t), f.lower) << f.t;
    EXPECT_EQ(ring.LastAtOrBefore(f.t), f.last) << f.t;
  }
}

TEST(ChartScale, TimeTicksAreRoundedAndLabelledByTheirStep) {
  const struct {
    int spanSeconds, width;
    std::int64_t usPerPixel, stepSeconds;
    bool seconds;
  } axes[] = {{60, 600, 100000, 10, true},   {600, 600, 1000000, 60, false},  {3600, 600, 6000000, 600, false},
              {600, 2000, 300000, 30, true}, {3600, 230, 15652174, 1800, false}, {60, 100, 600000, 60, false}};
  for (const auto& a : axes) {
    // Labels of 60 pixels with seconds, 40 without.
    const TimeAxis axis = ChooseTimeAxis(a.spanSeconds * kUsPerSecond, a.width, 60, 40);
    EXPECT_EQ(axis.usPerPixel, a.usPerPixel) << a.spanSeconds << " s over " << a.width;
    EXPECT_EQ(axis.stepUs, a.stepSeconds * kUsPerSecond) << a.spanSeconds << " s over " << a.width;
    EXPECT_EQ(axis.seconds, a.seconds) << a.spanSeconds << " s over " << a.width;
  }
  EXPECT_EQ(FirstTickAtOrAfter(125 * kUsPerSecond, 60 * kUsPerSecond), 180 * kUsPerSecond);
  EXPECT_EQ(FirstTickAtOrAfter(120 * kUsPerSecond, 60 * kUsPerSecond), 120 * kUsPerSecond);
  EXPECT_EQ(FirstTickAtOrAfter(-125 * kUsPerSecond, 60 * kUsPerSecond), -120 * kUsPerSecond);
  char text[32];
  const std::int64_t evening = (86400LL * 19000 + 23 * 3600 + 59 * 60 + 59) * kUsPerSecond + 999000;
  EXPECT_STREQ(FormatClock(evening, true, false, text, sizeof text), "23:59:59");
  EXPECT_STREQ(FormatClock(evening, false, false, text, sizeof text), "23:59");
  EXPECT_STREQ(FormatClock(evening, true, true, text, sizeof text), "23:59:59.999");
  EXPECT_STREQ(FormatClock(-kUsPerSecond, true, false, text, sizeof text), "23:59:59") << "before 1970";
}

TEST(ChartScale, ValueAxesRoundTheirDataAndRescaleRarely) {
  const struct {
    double min, max;
    double lo, hi, step;
    const char* labels;
  } scales[] = {{2.43, 2.47, 2.43, 2.47, 0.005, "2.430 2.435 2.440 2.445 2.450 2.455 2.460 2.465 2.470"},
                {0.4, 1.95, 0.4, 2.0, 0.2, "0.4 0.6 0.8 1.0 1.2 1.4 1.6 1.8 2.0"},
                {2.5, 2.5, 2.0, 3.0, 0.2, "2.0 2.2 2.4 2.6 2.8 3.0"},
                {0.0, 0.0, -0.1, 0.1, 0.05, "-0.10 -0.05 0.00 0.05 0.10"},
                {-10000, -10000, -11000, -9000, 500, "-11000 -10500 -10000 -9500 -9000"},
                {-3, 1234, -200, 1400, 200, "-200 0 200 400 600 800 1000 1200 1400"}};
  for (const auto& s : scales) {
    const ValueScale scale = NiceScale(s.min, s.max, 240, 30);  // at most 8 ticks
    EXPECT_NEAR(scale.lo, s.lo, 1e-9) << s.min << ".." << s.max;
    EXPECT_NEAR(scale.hi, s.hi, 1e-9) << s.min << ".." << s.max;
    EXPECT_NEAR(scale.step, s.step, 1e-12) << s.min << ".." << s.max;
    std::string labels;
    char text[32];
    for (int k = 0; k < TickCount(scale); ++k) labels += (k ? " " : "") + std::string(FormatTick(scale, TickValue(scale, k), text, 32));
    EXPECT_EQ(labels, s.labels);
  }
  // A counter rising from 0 rescales with room to rise, then not again for a while; data filling
  // less than two fifths zooms in; the top value is the top row.
  ValueScale scale = NiceScale(0, 100, 240, 30), next;
  EXPECT_FALSE(Rescale(scale, 0, 100, 240, 30, next));
  ASSERT_TRUE(Rescale(scale, 0, 101, 240, 30, next));
  EXPECT_GE(next.hi, 150);
  EXPECT_FALSE(Rescale(next, 0, 149, 240, 30, scale));
  EXPECT_TRUE(Rescale(next, 40, 50, 240, 30, scale) && scale.hi - scale.lo < 20);
  // Data a rounding below the range's edge is in it: otherwise the scale would flip at every update.
  const ValueScale edge = NiceScale(-1e-13, 2994, 36, 30);
  EXPECT_FALSE(Rescale(edge, -1e-13, 2994, 36, 30, next)) << edge.lo << ".." << edge.hi;
  EXPECT_EQ(ValueRow(scale, scale.hi, 10, 100), 10);
  EXPECT_EQ(ValueRow(scale, scale.lo, 10, 100), 109);
  EXPECT_EQ(ValueRow(scale, scale.hi + 50, 10, 100), 10) << "clamped";
}

std::string Spans(const TrendRing& ring, TraceMode mode, std::int64_t first, int count, std::int64_t u,
                  std::int64_t join, std::int64_t now = 0) {
  std::vector<ColumnSpan> spans(count);
  ComputeColumns(ring, mode, Columns{first, count, u, join, now}, spans.data());
  std::string text;
  char one[32];
  for (const ColumnSpan& s : spans) text += s.any ? (std::snprintf(one, 32, "%g-%g ", s.lo, s.hi), one) : "_ ";
  return text;
}

TEST(ChartScale, ColumnsJoinCloseValuesAndLeaveGaps) {
  TrendRing ring(16);
  // 0 at 0 µs rising to 10 at 10 µs, a point without a value at 14, 4 at 16 and 20, 0 at 40 (too far).
  for (const TrendPoint& p : {At(0, 0), At(10, 10), At(14, 0, 1), At(16, 4), At(20, 4), At(40, 0)}) ring.Push(p);
  EXPECT_EQ(Spans(ring, TraceMode::Line, 0, 12, 2, 10), "0-1 2-3 4-5 6-7 8-9 10-10 _ _ 4-4 4-4 4-4 _ ");
  // A slice alone gives what the whole gave for its columns.
  EXPECT_EQ(Spans(ring, TraceMode::Line, 3, 3, 2, 10), "6-7 8-9 10-10 ");
  EXPECT_EQ(Spans(ring, TraceMode::Line, 18, 4, 2, 10), "_ _ 0-0 _ ");
  // A line falling to 0 never passes below it (246 - 246 / 500000 * 500000 is a rounding below 0).
  TrendRing fall(4);
  for (const TrendPoint& p : {At(0, 246.0f), At(500000, 0.0f)}) fall.Push(p);
  EXPECT_EQ(Spans(fall, TraceMode::Line, 1, 1, 500000, 500000), "0-0 ");
  // Steps: each value held to the next, which shows the edge; the last held until now.
  EXPECT_EQ(Spans(ring, TraceMode::Step, 0, 12, 2, 10), "0-0 0-0 0-0 0-0 0-0 0-10 10-10 10-10 4-4 4-4 4-4 4-4 ");
  EXPECT_EQ(Spans(ring, TraceMode::Step, 19, 4, 2, 10, 45), "_ 0-0 0-0 0-0 ") << "held until now";
}

TEST(PngWriter, ImageMagickReadsWhatWasWritten) {
  if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert is not here";
  // Flat areas, a line, a gradient and noise: every kind of repeat and literal.
  const int width = 97, height = 41;
  std::vector<std::uint32_t> pixels(width * height, 0xFFFFFF);
  std::srand(5);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t& p = pixels[y * width + x];
      if (y == 20) p = 0x1F77B4;
      if (x > 60) p = static_cast<std::uint32_t>(x * 0x010203 + y * 0x030100);
      if (y > 30 && x < 30) p = static_cast<std::uint32_t>(std::rand()) & 0xFFFFFF;
    }
  }
  const std::vector<unsigned char> png = EncodePng(pixels.data(), width, height);
  const std::string path = testing::TempDir() + "sp_chart.png", raw = testing::TempDir() + "sp_chart.rgb";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  ASSERT_EQ(std::system(("convert " + path + " -depth 8 rgb:" + raw).c_str()), 0);
  std::ifstream in(raw, std::ios::binary);
  const std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(read.size(), pixels.size() * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t got = (std::uint8_t(read[3 * i]) << 16) | (std::uint8_t(read[3 * i + 1]) << 8) | std::uint8_t(read[3 * i + 2]);
    ASSERT_EQ(got, pixels[i]) << "pixel " << i % width << "," << i / width;
  }
  EXPECT_LT(png.size(), pixels.size()) << "not compressed";
}

}  // namespace

// Tracing outlines into device points: the rounding rule and the curve runs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "widgets/FourteenSegmentCell.h"
#include "widgets/SegmentDisplay.h"
#include "widgets/SevenSegmentCell.h"

namespace {

struct Command {
  char op;  // 'M', 'L' or 'B'
  DevicePoint a, b, c;
};

class RecordingSink : public CPathSink {
 public:
  std::vector<Command> commands;
  void MoveTo(DevicePoint p) override { commands.push_back({'M', p, {}, {}}); }
  void LineTo(DevicePoint p) override { commands.push_back({'L', p, {}, {}}); }
  void BezierTo(DevicePoint c1, DevicePoint c2, DevicePoint end) override { commands.push_back({'B', c1, c2, end}); }
};

DevicePoint End(const Command& c) { return c.op == 'B' ? c.c : c.a; }

RealPoint Bezier(RealPoint p0, RealPoint c1, RealPoint c2, RealPoint p3, double t) {
  const double u = 1 - t;
  return {u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x,
          u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y};
}

double DistanceToCurve(RealPoint p, RealPoint p0, RealPoint c1, RealPoint c2, RealPoint p3) {
  double best = std::numeric_limits<double>::max();
  for (int s = 0; s <= 1000; ++s) {
    const RealPoint q = Bezier(p0, c1, c2, p3, s / 1000.0);
    best = std::min(best, std::hypot(q.x - p.x, q.y - p.y));
  }
  return best;
}

RealPoint Real(DevicePoint p) { return {static_cast<double>(p.x), static_cast<double>(p.y)}; }

TEST(SegmentTrace, DevicePointsRoundHalfUp) {
  CSevenSegmentCell cell;
  cell.BuildSegments(0, 0);
  RecordingSink sink;
  // 1.5 device units per design unit: every odd coordinate lands on a half.
  cell.GetSegments()[0].Trace(sink, CRealRect(0, 0, 49 * 1.5, 83 * 1.5), 49);
  // Top (5,4) (12,11) (36,11) (43,4): 7.5 -> 8, 16.5 -> 17, 64.5 -> 65.
  ASSERT_EQ(sink.commands.size(), 4u);
  EXPECT_EQ(sink.commands[0].op, 'M');
  EXPECT_EQ(sink.commands[0].a, (DevicePoint{8, 6}));
  EXPECT_EQ(sink.commands[1].op, 'L');
  EXPECT_EQ(sink.commands[1].a, (DevicePoint{18, 17}));
  EXPECT_EQ(sink.commands[2].a, (DevicePoint{54, 17}));
  EXPECT_EQ(sink.commands[3].a, (DevicePoint{65, 6}));

  // The rectangle's fractional corner is added before rounding: 5 * 0.5 + 10.3 = 12.8 -> 13,
  // 4 * 0.5 + 0.2 = 2.2 -> 2, 12 * 0.5 + 10.3 = 16.3 -> 16, 11 * 0.5 + 0.2 = 5.7 -> 6.
  sink.commands.clear();
  cell.GetSegments()[0].Trace(sink, CRealRect(10.3, 0.2, 10.3 + 24.5, 0.2 + 41.5), 49);
  EXPECT_EQ(sink.commands[0].a, (DevicePoint{13, 2}));
  EXPECT_EQ(sink.commands[1].a, (DevicePoint{16, 6}));

  EXPECT_EQ(RoundDeviceCoordinate(2.5), 3);
  EXPECT_EQ(RoundDeviceCoordinate(2.4999), 2);
  EXPECT_EQ(RoundDeviceCoordinate(-2.5), -2);
  EXPECT_EQ(RoundDeviceCoordinate(-2.6), -3);
}

TEST(SegmentTrace, ACurveRunBecomesOneBezierThatConsumesThePointAfterIt) {
  CSevenSegmentCell cell;
  cell.BuildSegments(0, SEGSTYLE_ROUNDED);
  RecordingSink sink;
  const CRealRect rect(0, 0, 49 * 4, 83 * 4);
  // M(6,4) C(5,5) C(5,6) C(8,9) L(12,11) L(36,11) L(39,4)
  cell.GetSegments()[0].Trace(sink, rect, 49);
  ASSERT_EQ(sink.commands.size(), 4u);
  EXPECT_EQ(sink.commands[0].op, 'M');
  EXPECT_EQ(sink.commands[0].a, (DevicePoint{24, 16}));
  EXPECT_EQ(sink.commands[1].op, 'B');
  EXPECT_EQ(sink.commands[1].c, (DevicePoint{48, 44}));
  EXPECT_EQ(sink.commands[2].op, 'L');
  EXPECT_EQ(sink.commands[2].a, (DevicePoint{144, 44}));
  EXPECT_EQ(sink.commands[3].a, (DevicePoint{156, 16}));

  // Two runs in one outline: M L C C C C C L L C C C L.
  sink.commands.clear();
  CFourteenSegmentCell fourteen;
  fourteen.BuildSegments(0, SEGSTYLE_ROUNDED);
  fourteen.GetSegments()[0].Trace(sink, rect, 49);
  std::string ops;
  for (const Command& c : sink.commands) ops += c.op;
  EXPECT_EQ(ops, "MLBLB");
}

// Every curve of every rounded outline passes close to the points of its run and stays in its cell.
TEST(SegmentTrace, CurvesFollowTheirRuns) {
  const double scale = 10;
  for (unsigned style : {static_cast<unsigned>(SEGSTYLE_ROUNDED), SEGSTYLE_ROUNDED | SEGSTYLE_DIGITS14}) {
    const std::vector<CSegmentCell> cells = BuildCells("8", style);
    ASSERT_EQ(cells.size(), 1u);
    const CSegmentCell& cell = cells[0];
    const CRealRect rect(0, 0, cell.GetWidth() * scale, kCellHeight * scale);
    int curves = 0;
    for (std::size_t s = 0; s < cell.GetSegments().size(); ++s) {
      const CSegmentPath& path = cell.GetSegments()[s];
      RecordingSink sink;
      path.Trace(sink, rect, cell.GetWidth());
      // Walk the outline beside the commands.
      int point = 0;
      DevicePoint current{};
      for (const Command& command : sink.commands) {
        if (command.op != 'B') {
          current = command.a;
          ++point;
          continue;
        }
        ++curves;
        const int first = point;
        while (path.GetKinds()[static_cast<std::size_t>(point)] == kPointCurve) ++point;
        for (int k = first; k < point; ++k) {
          const DesignPoint d = path.GetPoints()[static_cast<std::size_t>(k)];
          const double off = DistanceToCurve({d.x * scale, d.y * scale}, Real(current), Real(command.a),
                                             Real(command.b), Real(command.c));
          EXPECT_LT(off, 1.5 * scale + 1) << "style " << style << " segment " << s << " point " << k;
        }
        for (int t = 0; t <= 100; ++t) {
          const RealPoint q = Bezier(Real(current), Real(command.a), Real(command.b), Real(command.c), t / 100.0);
          EXPECT_GE(q.x, 0);
          EXPECT_LE(q.x, rect.right);
          EXPECT_GE(q.y, 0);
          EXPECT_LE(q.y, rect.bottom);
        }
        const DesignPoint end = path.GetPoints()[static_cast<std::size_t>(point)];
        EXPECT_EQ(command.c, (DevicePoint{static_cast<int>(end.x * scale), static_cast<int>(end.y * scale)}));
        current = command.c;
        ++point;
      }
      EXPECT_EQ(point, path.GetCount()) << "every point is used once";
    }
    EXPECT_GT(curves, 0);
  }
}

TEST(SegmentTrace, FitMeetsShortRunsExactly) {
  // One interior point: the curve passes through it.
  const RealPoint three[] = {{0, 0}, {4, 6}, {10, 0}};
  RealPoint c1, c2;
  FitCubicControls(three, 3, c1, c2);
  EXPECT_LT(DistanceToCurve(three[1], three[0], c1, c2, three[2]), 0.02);
  // Two interior points: both met.
  const RealPoint four[] = {{0, 0}, {1, 5}, {6, 7}, {9, 2}};
  FitCubicControls(four, 4, c1, c2);
  EXPECT_LT(DistanceToCurve(four[1], four[0], c1, c2, four[3]), 0.02);
  EXPECT_LT(DistanceToCurve(four[2], four[0], c1, c2, four[3]), 0.02);
  // Collinear points give a straight curve.
  const RealPoint line[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {5, 5}};
  FitCubicControls(line, 5, c1, c2);
  EXPECT_NEAR(c1.x, c1.y, 1e-9);
  EXPECT_NEAR(c2.x, c2.y, 1e-9);
  // Coincident points: no division by zero, the controls stay on the points.
  const RealPoint same[] = {{3, 3}, {3, 3}, {3, 3}, {3, 3}};
  FitCubicControls(same, 4, c1, c2);
  EXPECT_EQ(c1.x, 3);
  EXPECT_EQ(c2.y, 3);
}

TEST(SegmentTrace, OddOutlinesAreTracedSafely) {
  RecordingSink sink;
  const CRealRect rect(0, 0, 49, 83);
  // Starting with curve points: the first point starts the figure.
  const OutlinePoint leadingCurve[] = {{kPointCurve, 1, 1}, {kPointCurve, 2, 5}, {kPointLineTo, 6, 6}};
  OutlineOf(leadingCurve).Trace(sink, rect, 49);
  ASSERT_EQ(sink.commands.size(), 2u);
  EXPECT_EQ(sink.commands[0].op, 'M');
  EXPECT_EQ(sink.commands[1].op, 'B');
  EXPECT_EQ(sink.commands[1].c, (DevicePoint{6, 6}));
  // Ending inside a run: the run's last point ends the curve; a lone trailing curve point is a line.
  sink.commands.clear();
  const OutlinePoint trailingRun[] = {{kPointMoveTo, 1, 1}, {kPointCurve, 2, 5}, {kPointCurve, 6, 6}};
  OutlineOf(trailingRun).Trace(sink, rect, 49);
  ASSERT_EQ(sink.commands.size(), 2u);
  EXPECT_EQ(sink.commands[1].op, 'B');
  EXPECT_EQ(sink.commands[1].c, (DevicePoint{6, 6}));
  sink.commands.clear();
  const OutlinePoint trailingPoint[] = {{kPointMoveTo, 1, 1}, {kPointLineTo, 3, 3}, {kPointCurve, 6, 6}};
  OutlineOf(trailingPoint).Trace(sink, rect, 49);
  ASSERT_EQ(sink.commands.size(), 3u);
  EXPECT_EQ(sink.commands[2].op, 'L');
  // A second move starts a new figure.
  sink.commands.clear();
  const OutlinePoint twoFigures[] = {{kPointMoveTo, 1, 1}, {kPointLineTo, 3, 3}, {kPointMoveTo, 9, 9}};
  OutlineOf(twoFigures).Trace(sink, rect, 49);
  ASSERT_EQ(sink.commands.size(), 3u);
  EXPECT_EQ(sink.commands[2].op, 'M');

  // Empty outline, zero or broken cell width, degenerate and absurd rectangles.
  sink.commands.clear();
  CSegmentPath().Trace(sink, rect, 49);
  OutlineOf(twoFigures).Trace(sink, rect, 0);
  OutlineOf(twoFigures).Trace(sink, rect, -49);
  EXPECT_TRUE(sink.commands.empty());
  OutlineOf(leadingCurve).Trace(sink, CRealRect(5, 5, 5, 5), 49);
  for (const Command& c : sink.commands) EXPECT_EQ(End(c), (DevicePoint{5, 5}));
  sink.commands.clear();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  OutlineOf(leadingCurve).Trace(sink, CRealRect(0, 0, 1e300, nan), 49);
  ASSERT_FALSE(sink.commands.empty());
  for (const Command& c : sink.commands) {
    EXPECT_GT(End(c).x, 0);
    EXPECT_EQ(End(c).y, 0);
  }
}

}  // namespace

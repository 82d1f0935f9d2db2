#include "widgets/SegmentPath.h"

#include <cmath>

namespace {

// GDI keeps coordinates within 27 bits; anything beyond is a broken rectangle, not a drawing.
constexpr double kCoordinateLimit = 134217727.0;
// Room for a run of curve points on the stack: the longest outline of the tables has 17 points.
constexpr int kRunOnStack = 24;

double Cubic0(double t) { return (1 - t) * (1 - t) * (1 - t); }
double Cubic1(double t) { return 3 * (1 - t) * (1 - t) * t; }
double Cubic2(double t) { return 3 * (1 - t) * t * t; }
double Cubic3(double t) { return t * t * t; }

}  // namespace

int RoundDeviceCoordinate(double value) {
  if (!(value == value)) return 0;  // NaN
  // Half up, so that negative coordinates are not pulled toward zero.
  double rounded = std::floor(value + 0.5);
  if (rounded > kCoordinateLimit) rounded = kCoordinateLimit;
  if (rounded < -kCoordinateLimit) rounded = -kCoordinateLimit;
  return static_cast<int>(rounded);
}

// The fit: the curve is parameterised by chord length along the run's points, its end points are
// fixed, and its two control points minimise the squared distance between the curve and the interior
// points at their parameters (the normal equations of a 2 x 2 least-squares problem, solved once for
// x and once for y). Two interior points are met exactly; one interior point is met by a curve whose
// two control points coincide. Against the rounded outlines this stays within 1.5 design units of
// every listed point, where taking the first and last interior points as controls strays up to 7.
// Degenerate runs (coincident points) fall back to those first and last interior points.
void FitCubicControls(const RealPoint* points, int count, RealPoint& control1, RealPoint& control2) {
  const int last = count - 1;
  const RealPoint& p0 = points[0];
  const RealPoint& p3 = points[last];
  control1 = points[1 < last ? 1 : 0];
  control2 = points[last - 1 > 0 ? last - 1 : last];
  if (count < 3) return;

  // Chord-length parameters of the interior points: the length up to each, over the whole length.
  auto chord = [&](int i) { return std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y); };
  double length = 0;
  for (int i = 1; i < count; ++i) length += chord(i);
  if (!(length > 0)) return;

  if (count == 3) {
    const double s = chord(1) / length;
    const double weight = Cubic1(s) + Cubic2(s);
    if (weight < 1e-9) return;
    const RealPoint c{(points[1].x - Cubic0(s) * p0.x - Cubic3(s) * p3.x) / weight,
                      (points[1].y - Cubic0(s) * p0.y - Cubic3(s) * p3.y) / weight};
    control1 = c;
    control2 = c;
    return;
  }

  double a11 = 0, a12 = 0, a22 = 0, along = 0;
  RealPoint r1{0, 0}, r2{0, 0};
  for (int i = 1; i < last; ++i) {
    along += chord(i);
    const double s = along / length;
    const double b1 = Cubic1(s), b2 = Cubic2(s);
    const double qx = points[i].x - Cubic0(s) * p0.x - Cubic3(s) * p3.x;
    const double qy = points[i].y - Cubic0(s) * p0.y - Cubic3(s) * p3.y;
    a11 += b1 * b1;
    a12 += b1 * b2;
    a22 += b2 * b2;
    r1.x += b1 * qx;
    r1.y += b1 * qy;
    r2.x += b2 * qx;
    r2.y += b2 * qy;
  }
  const double det = a11 * a22 - a12 * a12;
  if (!(std::fabs(det) > 1e-9 * a11 * a22) || !(a11 > 0) || !(a22 > 0)) return;
  control1 = {(a22 * r1.x - a12 * r2.x) / det, (a22 * r1.y - a12 * r2.y) / det};
  control2 = {(a11 * r2.x - a12 * r1.x) / det, (a11 * r2.y - a12 * r1.y) / det};
}

CSegmentPath CSegmentPath::Polygon(const DesignPoint* points, int count) {
  CSegmentPath path;
  for (int i = 0; i < count; ++i) path.Append(i == 0 ? kPointMoveTo : kPointLineTo, points[i].x, points[i].y);
  return path;
}

CSegmentPath CSegmentPath::FromOutline(const OutlinePoint* points, int count) {
  CSegmentPath path;
  for (int i = 0; i < count; ++i) path.Append(points[i].kind, points[i].x, points[i].y);
  return path;
}

void CSegmentPath::Append(std::uint8_t kind, int x, int y) {
  m_points.push_back({x, y});
  m_kinds.push_back(kind);
  m_nCount = static_cast<int>(m_points.size());
}

CSegmentPath CSegmentPath::Mirrored(Mirror mirror, int cellWidth) const {
  const int axisX = (cellWidth - 1) / 2;
  CSegmentPath copy(*this);
  for (DesignPoint& p : copy.m_points) {
    if (mirror != Mirror::kVertical) p.x = 2 * axisX - p.x;
    if (mirror != Mirror::kHorizontal) p.y = 2 * kCellMirrorY - p.y;
  }
  return copy;
}

void CSegmentPath::Trace(CPathSink& sink, const CRealRect& rect, int cellWidth) const {
  if (cellWidth <= 0 || m_nCount <= 0) return;
  const double rx = rect.Width() / cellWidth;
  const double ry = rect.Height() / kCellHeight;
  auto real = [&](int i) {
    const DesignPoint& p = m_points[static_cast<std::size_t>(i)];
    return RealPoint{p.x * rx + rect.left, p.y * ry + rect.top};
  };
  auto device = [&](int i) {
    const RealPoint r = real(i);
    return DevicePoint{RoundDeviceCoordinate(r.x), RoundDeviceCoordinate(r.y)};
  };
  auto isCurve = [&](int i) { return m_kinds[static_cast<std::size_t>(i)] == kPointCurve; };

  bool started = false;
  int i = 0;
  while (i < m_nCount) {
    const std::uint8_t kind = m_kinds[static_cast<std::size_t>(i)];
    // A figure must start somewhere: whatever comes first moves there.
    if (!started || kind == kPointMoveTo) {
      sink.MoveTo(device(i));
      started = true;
      ++i;
      continue;
    }
    if (!isCurve(i)) {
      sink.LineTo(device(i));
      ++i;
      continue;
    }
    const int start = i - 1;
    int end = i;
    while (end < m_nCount && isCurve(end)) ++end;
    // A run at the very end of the outline has no point after it: its last point ends the curve.
    if (end == m_nCount) --end;
    if (end == i) {
      sink.LineTo(device(i));
      ++i;
      continue;
    }
    // On the stack for every outline of the tables: a paint allocates nothing.
    const int n = end - start + 1;
    RealPoint kept[kRunOnStack];
    std::vector<RealPoint> longer(n > kRunOnStack ? static_cast<std::size_t>(n) : 0);
    RealPoint* run = n > kRunOnStack ? longer.data() : kept;
    for (int k = 0; k < n; ++k) run[k] = real(start + k);
    RealPoint c1, c2;
    FitCubicControls(run, n, c1, c2);
    sink.BezierTo({RoundDeviceCoordinate(c1.x), RoundDeviceCoordinate(c1.y)},
                  {RoundDeviceCoordinate(c2.x), RoundDeviceCoordinate(c2.y)}, device(end));
    i = end + 1;
  }
}

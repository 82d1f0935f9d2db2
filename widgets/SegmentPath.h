// One segment outline in the design grid of a character cell, and its tracing into device points.
// No Windows header here: the display draws through a CPathSink, so the geometry is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "widgets/RealRect.h"

// Every cell is this many design units high.
constexpr int kCellHeight = 83;
// Vertical mirror axis of every cell (y -> 2 * 41 - y).
constexpr int kCellMirrorY = 41;

// Point kinds, the values Windows uses for path points.
constexpr std::uint8_t kPointMoveTo = 6;
constexpr std::uint8_t kPointLineTo = 2;
constexpr std::uint8_t kPointCurve = 4;

struct DesignPoint {
  int x;
  int y;
};

inline bool operator==(const DesignPoint& a, const DesignPoint& b) { return a.x == b.x && a.y == b.y; }

struct RealPoint {
  double x;
  double y;
};

struct DevicePoint {
  int x;
  int y;
};

inline bool operator==(const DevicePoint& a, const DevicePoint& b) { return a.x == b.x && a.y == b.y; }

// Receives a traced outline. The Win32 display implements it with path functions.
class CPathSink {
 public:
  virtual ~CPathSink() = default;
  virtual void MoveTo(DevicePoint p) = 0;
  virtual void LineTo(DevicePoint p) = 0;
  virtual void BezierTo(DevicePoint control1, DevicePoint control2, DevicePoint end) = 0;
};

// A design point with its kind, for the outline tables.
struct OutlinePoint {
  std::uint8_t kind;
  std::int8_t x;
  std::int8_t y;
};

enum class Mirror { kHorizontal, kVertical, kPoint };

// Rounds a device coordinate half up (and keeps it well inside the range GDI accepts).
int RoundDeviceCoordinate(double value);

class CSegmentPath {
 public:
  CSegmentPath() = default;
  // A closed polygon: the first point moves, the others draw lines.
  static CSegmentPath Polygon(const DesignPoint* points, int count);
  // Points with their own kinds.
  static CSegmentPath FromOutline(const OutlinePoint* points, int count);

  int GetCount() const { return m_nCount; }
  const std::vector<DesignPoint>& GetPoints() const { return m_points; }
  const std::vector<std::uint8_t>& GetKinds() const { return m_kinds; }

  // The same outline mirrored inside a cell `cellWidth` units wide.
  CSegmentPath Mirrored(Mirror mirror, int cellWidth) const;

  // Traces the outline scaled into `rect`, which holds a cell `cellWidth` units wide. Points that are
  // not curve points land on rounded device coordinates. A run of curve points becomes one cubic
  // Bezier from the point before the run to the point after it (which the curve consumes); its two
  // control points are a least-squares fit to the run's real-valued points (see SegmentPath.cpp).
  void Trace(CPathSink& sink, const CRealRect& rect, int cellWidth) const;

 private:
  void Append(std::uint8_t kind, int x, int y);

  int m_nCount = 0;
  std::vector<DesignPoint> m_points;
  std::vector<std::uint8_t> m_kinds;
};

// Outlines from fixed tables.
template <std::size_t N>
CSegmentPath PolygonOf(const DesignPoint (&points)[N]) {
  return CSegmentPath::Polygon(points, static_cast<int>(N));
}
template <std::size_t N>
CSegmentPath OutlineOf(const OutlinePoint (&points)[N]) {
  return CSegmentPath::FromOutline(points, static_cast<int>(N));
}

// Control points of a cubic Bezier from points[0] to points[count - 1] fitted to the points between
// (count >= 3).
void FitCubicControls(const RealPoint* points, int count, RealPoint& control1, RealPoint& control2);

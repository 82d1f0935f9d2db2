// One character cell of the segment display: its width in design units, which segments are lit
// and the outline of every segment. Subclasses know their outlines and build them; a built cell is
// kept as a plain CSegmentCell copy, which draws itself. The outlines depend on the class and the
// style alone: built once, they are shared by every cell of that class and style, so that cells
// are built and copied for every new text without copying outlines (or allocating).
#pragma once

#include <cstdint>
#include <vector>

#include "widgets/RealRect.h"
#include "widgets/SegmentPath.h"
#include "widgets/SegmentStyle.h"

// Where a cell draws: a path sink that also chooses the lit or unlit pen and brush per segment.
class CSegmentCanvas : public CPathSink {
 public:
  // Starts the outline of one segment, drawn in the on colours when `lit`.
  virtual void BeginSegment(bool lit) = 0;
  // Closes the outline, then strokes and fills it.
  virtual void EndSegment() = 0;
};

class CSegmentCell {
 public:
  CSegmentCell() = default;
  CSegmentCell(const CSegmentCell&) = default;
  CSegmentCell& operator=(const CSegmentCell&) = default;
  virtual ~CSegmentCell() = default;

  // Discards the outlines, builds one per segment for the style bits, then stores the mask.
  // The base only stores the mask.
  virtual void BuildSegments(std::uint16_t mask, unsigned style);

  int GetWidth() const { return m_nWidth; }
  std::uint16_t GetMask() const { return m_wMask; }
  int GetSegmentCount() const { return m_nSegmentCount; }
  const std::vector<CSegmentPath>& GetSegments() const { return *m_segments; }
  bool IsLit(int segment) const { return segment >= 0 && segment < 16 && (m_wMask >> segment) & 1u; }

  // Draws every segment into `rect`, lit ones in the on colours, the rest in the off colours.
  void Draw(CSegmentCanvas& canvas, const CRealRect& rect) const;

 protected:
  CSegmentCell(int width, int segmentCount) : m_nWidth(width), m_nSegmentCount(segmentCount) {}

  // The outlines of a class in one style: `build(rounded)` makes them on first use, and they are
  // kept for the process. The base's are none.
  template <typename Build>
  static const std::vector<CSegmentPath>* SharedOutlines(unsigned style, Build build) {
    static const std::vector<CSegmentPath> plain = build(false), rounded = build(true);
    return (style & SEGSTYLE_ROUNDED) != 0 ? &rounded : &plain;
  }
  static const std::vector<CSegmentPath>* NoOutlines();

  int m_nWidth = 49;
  std::uint16_t m_wMask = 0;
  const std::vector<CSegmentPath>* m_segments = NoOutlines();
  int m_nSegmentCount = 0;
};

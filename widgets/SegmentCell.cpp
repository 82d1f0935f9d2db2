#include "widgets/SegmentCell.h"

void CSegmentCell::BuildSegments(std::uint16_t mask, unsigned) { m_wMask = mask; }

const std::vector<CSegmentPath>* CSegmentCell::NoOutlines() {
  static const std::vector<CSegmentPath> none;
  return &none;
}

void CSegmentCell::Draw(CSegmentCanvas& canvas, const CRealRect& rect) const {
  for (std::size_t i = 0; i < m_segments->size(); ++i) {
    canvas.BeginSegment(IsLit(static_cast<int>(i)));
    (*m_segments)[i].Trace(canvas, rect, m_nWidth);
    canvas.EndSegment();
  }
}

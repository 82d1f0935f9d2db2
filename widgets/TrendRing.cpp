#include "widgets/TrendRing.h"

TrendRing::TrendRing(std::size_t capacity)
    : m_points(capacity > 0 ? new TrendPoint[capacity] : nullptr), m_capacity(capacity) {}

std::size_t TrendRing::CapacityFor(std::int64_t spanUs, std::int64_t periodUs) {
  if (spanUs <= 0 || periodUs <= 0) return 1;
  // A tenth more than the nominal count: a timer of 300 ms rounded down to the system's tick of
  // 15.6 ms comes every 296.9 ms, a hundredth early.
  const std::int64_t nominal = (spanUs + periodUs - 1) / periodUs;
  return static_cast<std::size_t>(nominal + nominal / 10 + 2);
}

void TrendRing::Push(const TrendPoint& point) {
  if (m_capacity == 0) return;
  TrendPoint p = point;
  if (m_size > 0 && p.timeUs < Newest().timeUs) p.timeUs = Newest().timeUs;
  if (m_size < m_capacity) {
    m_points[(m_first + m_size) % m_capacity] = p;
    ++m_size;
  } else {
    m_points[m_first] = p;
    m_first = (m_first + 1) % m_capacity;
  }
}

std::size_t TrendRing::LowerBound(std::int64_t timeUs) const {
  std::size_t lo = 0, hi = m_size;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if ((*this)[mid].timeUs < timeUs) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

std::ptrdiff_t TrendRing::LastAtOrBefore(std::int64_t timeUs) const {
  return static_cast<std::ptrdiff_t>(LowerBound(timeUs == INT64_MAX ? timeUs : timeUs + 1)) - 1;
}

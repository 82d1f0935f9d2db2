// The recent history of one channel: a ring of points in time order, sized once for the span it must
// keep and never grown, so that recording a point never allocates. When full, the oldest point goes.
//
// Portable: no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// One reading of a channel. `state` 0 is a value; any other state is a point without one (not read,
// faulted...), which a chart shows as a gap and its owner may name.
struct TrendPoint {
  std::int64_t timeUs = 0;  // monotonic clock: places the point on a chart
  std::int64_t wallUs = 0;  // UTC microseconds since 1970: names the point in a record
  float value = 0.0f;
  std::uint8_t state = 0;

  bool HasValue() const { return state == 0; }
};

class TrendRing {
 public:
  TrendRing() = default;
  explicit TrendRing(std::size_t capacity);
  TrendRing(TrendRing&&) noexcept = default;
  TrendRing& operator=(TrendRing&&) noexcept = default;

  // Room for a span of `spanUs` at one point every `periodUs`, with a margin for ticks that come
  // early (a timer is rounded to the system's tick).
  static std::size_t CapacityFor(std::int64_t spanUs, std::int64_t periodUs);

  std::size_t Capacity() const { return m_capacity; }
  std::size_t Size() const { return m_size; }
  bool Empty() const { return m_size == 0; }
  // Bytes the ring holds, fixed from its construction.
  std::size_t Bytes() const { return m_capacity * sizeof(TrendPoint); }

  // Appends a point; one older than the newest is taken as at the newest's time, so the ring stays in
  // time order. Never allocates.
  void Push(const TrendPoint& point);
  void Clear() { m_size = 0; }

  // Point i, 0 the oldest.
  const TrendPoint& operator[](std::size_t i) const { return m_points[(m_first + i) % m_capacity]; }
  const TrendPoint& Newest() const { return (*this)[m_size - 1]; }

  // Index of the first point at or after `timeUs` (Size() when none).
  std::size_t LowerBound(std::int64_t timeUs) const;
  // Index of the last point at or before `timeUs`, or -1 when none.
  std::ptrdiff_t LastAtOrBefore(std::int64_t timeUs) const;

 private:
  std::unique_ptr<TrendPoint[]> m_points;
  std::size_t m_capacity = 0;
  std::size_t m_first = 0;
  std::size_t m_size = 0;
};

// Argument types of the guarded device methods. Every argument reaches the library as one or more
// 32-bit stack slots, so the methods accept what a caller naturally has at hand (integers, pointers,
// handles) without casts, and nothing wider than a slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// One 32-bit argument: an integer, an enumeration value, a pointer or a handle.
class CDeviceArg {
 public:
  template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>>
  constexpr CDeviceArg(T value)  // NOLINT: implicit on purpose
      : m_nSlot(static_cast<std::uint32_t>(value)) {
    static_assert(sizeof(T) <= 4, "a device argument is one 32-bit slot");
  }
  template <typename T>
  CDeviceArg(T* pointer)  // NOLINT: implicit on purpose
      : m_nSlot(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer))) {}
  constexpr CDeviceArg(std::nullptr_t) : m_nSlot(0) {}  // NOLINT

  constexpr std::uint32_t Slot() const { return m_nSlot; }

 private:
  std::uint32_t m_nSlot;
};

// A 16-byte value of four 32-bit fields passed by value (four slots), such as a rectangle.
class CDeviceQuad {
 public:
  constexpr CDeviceQuad() : m_nParts{} {}
  constexpr CDeviceQuad(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
      : m_nParts{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(c),
                 static_cast<std::uint32_t>(d)} {}
  // Anything shaped like a rectangle (left, top, right, bottom), in that order.
  template <typename R, typename = decltype(R::left + R::top + R::right + R::bottom)>
  constexpr CDeviceQuad(const R& rect)  // NOLINT: implicit on purpose
      : CDeviceQuad(static_cast<std::int32_t>(rect.left), static_cast<std::int32_t>(rect.top),
                    static_cast<std::int32_t>(rect.right), static_cast<std::int32_t>(rect.bottom)) {}

  constexpr std::uint32_t Slot(int i) const { return m_nParts[i]; }

 private:
  std::uint32_t m_nParts[4];
};

// Calls an entry of a library we did not build, passing every argument as one 32-bit stack slot.
// The caller's stack pointer is restored after the call whatever the entry does with its
// arguments, so an entry compiled __cdecl or __stdcall, or one that expects more or fewer
// arguments than we pass, cannot corrupt our stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "framework/EntryShapes.h"
#include "framework/Result.h"

namespace fw {

struct NativeResult {
  std::uint32_t eax = 0;
  // The x87 register at its full precision, read only when asked for (float entries): a float
  // result taken from here is rounded only once, exactly as a caller storing the entry's float would.
  long double st0 = 0.0L;
};

constexpr int kMaxNativeArgs = 16;

// Calls `entry` with `count` (0..kMaxNativeArgs) slots from `args`. With readFloat the x87
// register's value is taken (and popped) after the call; only ask for it from float entries.
NativeResult CallNative(const void* entry, const std::uint32_t* args, int count, bool readFloat = false);

// One 32-bit argument: an integer or enumeration of at most 32 bits (a narrower one widened as the
// calling conventions do), a pointer, a handle or null. Implicit, so that callers pass what they
// have at hand without casts.
class Arg {
 public:
  template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>>
  constexpr Arg(T value)  // NOLINT: implicit on purpose
      : m_slot(static_cast<std::uint32_t>(value)) {
    static_assert(sizeof(T) <= 4, "an argument is one 32-bit slot");
  }
  template <typename T>
  Arg(T* pointer)  // NOLINT: implicit on purpose
      : m_slot(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer))) {}
  constexpr Arg(std::nullptr_t) : m_slot(0) {}  // NOLINT

  constexpr std::uint32_t Slot() const { return m_slot; }

 private:
  std::uint32_t m_slot;
};

// A 16-byte value of four 32-bit fields passed by value (four slots), such as a rectangle.
class Quad {
 public:
  constexpr Quad() : m_parts{} {}
  constexpr Quad(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
      : m_parts{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(c),
                static_cast<std::uint32_t>(d)} {}
  // Anything shaped like a rectangle (left, top, right, bottom), in that order.
  template <typename R, typename = decltype(R::left + R::top + R::right + R::bottom)>
  constexpr Quad(const R& rect)  // NOLINT: implicit on purpose
      : Quad(static_cast<std::int32_t>(rect.left), static_cast<std::int32_t>(rect.top),
             static_cast<std::int32_t>(rect.right), static_cast<std::int32_t>(rect.bottom)) {}

  constexpr std::uint32_t Slot(int i) const { return m_parts[i]; }

 private:
  std::uint32_t m_parts[4];
};

// The bindings' parameter type for each part of an entry's shape (EntryShapes.h), and the
// parameter itself: SP_SHAPE_<shape>(SP_BIND_PARAM) is a binding's parameter list.
using Part32 = Arg;
using PartV16 = Quad;
using Part16b = std::uint16_t;
using Part8b = std::uint8_t;
using Partstring = const char*;
#define SP_BIND_PARAM(part, n) fw::Part##part a##n

// How a binding calls an entry: CallNative itself, or a guard around it that answers false when
// the entry did not return, with the fault's exception code.
using EntryCaller = bool (*)(const void* entry, const std::uint32_t* args, int count, bool readFloat,
                             NativeResult* result, unsigned long* faultCode);

// The call both bindings make, EntryCall<R>{caller, entry, missing, faulted}(arguments...): the
// arguments in call order, an Arg as one slot and a Quad as four; the result read from the
// registers as R (an integer or pointer from EAX, a truth value from AL alone, a float rounded once
// from the x87 register). A null entry answers `missing` with Status::Missing; a call the caller
// reports as not returned answers `faulted` with Status::Faulted and the fault's code. (A function
// object, so that the arguments stand alone in their parentheses and entries without any need no
// special case.)
template <typename R>
struct EntryCall {
  EntryCaller caller;
  const void* entry;
  Value<R> missing;
  Value<R> faulted;

  template <typename... Args>
  Result<R> operator()(const Args&... args) const {
    constexpr int count = ((std::is_same_v<Args, Quad> ? 4 : 1) + ... + 0);
    static_assert(count <= kMaxNativeArgs, "too many argument slots");
    if (entry == nullptr) return Answer(missing, Status::Missing, 0);
    std::uint32_t slots[count + 1] = {};
    [[maybe_unused]] std::uint32_t* next = slots;
    (Put(next, args), ...);
    NativeResult r;
    unsigned long code = 0;
    if (!caller(entry, slots, count, std::is_same_v<R, float>, &r, &code)) return Answer(faulted, Status::Faulted, code);
    if constexpr (std::is_same_v<R, float>) {
      return {static_cast<float>(r.st0)};
    } else if constexpr (std::is_same_v<R, bool>) {
      return {(r.eax & 0xFFu) != 0};  // an 8-bit truth value: the rest of EAX is undefined
    } else if constexpr (std::is_pointer_v<R>) {
      return {reinterpret_cast<R>(static_cast<std::uintptr_t>(r.eax))};
    } else if constexpr (!std::is_void_v<R>) {
      return {static_cast<R>(r.eax)};
    } else {
      return {};
    }
  }

  static Result<R> Answer(const Value<R>& fallback, Status status, unsigned long code) {
    if constexpr (std::is_void_v<R>) {
      return {status, code};
    } else {
      return {fallback.value, status, code};
    }
  }
  static void Put(std::uint32_t*& next, Arg arg) { *next++ = arg.Slot(); }
  static void Put(std::uint32_t*& next, const Quad& quad) {
    for (int i = 0; i < 4; ++i) *next++ = quad.Slot(i);
  }
};

}  // namespace fw

// The notation of the libraries' entry tables (devbind/DeviceSlots.inc, sysbind/SysEnvEntries.inc):
// argument shapes and result kinds, as macros pasted from their names. The bindings, the
// simulator and the test libraries all generate their functions through these.
//
// A shape lists its parts in call order, joined with '_'; every argument is one or more 32-bit
// stack slots:
//   void        no arguments
//   32, Nx32    one or N 32-bit values (integer, pointer, handle)
//   V16         a 16-byte value of four 32-bit fields, passed by value (four slots)
//   16b, 8b     a 16- or 8-bit value, widened to a slot
//   string      a text (the device library receives a fresh copy, freed after the call)
// SP_SHAPE_<shape>(X) expands to X(part, n) for each part, comma separated (n counts from 1), so
// X chooses what a part becomes: a parameter, an argument, a sample value.
//
// Result kinds: none, int32, float (in the x87 register), bool8 (8-bit truth value in AL), text
// (pointer to NUL-terminated text). SP_RESULT_<kind> is the C++ result type; SP_VALUE_<kind>(v)
// initialises a fw::Value of it, ignoring v for none (whose table columns hold '-').
//
// Portable: no Windows header, so replacement libraries and tests of every kind can use it.
#pragma once

#include <cstdint>
#include <type_traits>

#define SP_SHAPE_void(X)
#define SP_SHAPE_string(X) X(string, 1)
#define SP_SHAPE_32(X) X(32, 1)
#define SP_SHAPE_2x32(X) SP_SHAPE_32(X), X(32, 2)
#define SP_SHAPE_3x32(X) SP_SHAPE_2x32(X), X(32, 3)
#define SP_SHAPE_4x32(X) SP_SHAPE_3x32(X), X(32, 4)
#define SP_SHAPE_5x32(X) SP_SHAPE_4x32(X), X(32, 5)
#define SP_SHAPE_6x32(X) SP_SHAPE_5x32(X), X(32, 6)
#define SP_SHAPE_7x32(X) SP_SHAPE_6x32(X), X(32, 7)
#define SP_SHAPE_8x32(X) SP_SHAPE_7x32(X), X(32, 8)
#define SP_SHAPE_9x32(X) SP_SHAPE_8x32(X), X(32, 9)
#define SP_SHAPE_10x32(X) SP_SHAPE_9x32(X), X(32, 10)
#define SP_SHAPE_11x32(X) SP_SHAPE_10x32(X), X(32, 11)
#define SP_SHAPE_V16(X) X(V16, 1)
#define SP_SHAPE_V16_V16(X) X(V16, 1), X(V16, 2)
#define SP_SHAPE_32_V16(X) X(32, 1), X(V16, 2)
#define SP_SHAPE_2x32_V16(X) SP_SHAPE_2x32(X), X(V16, 3)
#define SP_SHAPE_8x32_16b(X) SP_SHAPE_8x32(X), X(16b, 9)
#define SP_SHAPE_8b_2x32(X) X(8b, 1), X(32, 2), X(32, 3)
#define SP_SHAPE_32_8b(X) X(32, 1), X(8b, 2)
#define SP_SHAPE_3x32_8b(X) SP_SHAPE_3x32(X), X(8b, 4)

// The part as an argument, for generated bodies whose parameters are named a1, a2, ...
#define SP_ARG(part, n) a##n

// The part as a library declares it (the simulator, the tests' stand-in libraries):
// SP_SHAPE_<shape>(SP_ENTRY_PARAM) is an exported entry's parameter list. An 8- or 16-bit part is
// read from the low bytes of its slot, as the calling conventions do.
#define SP_ENTRY_PARAM(part, n) [[maybe_unused]] fw::Entry##part a##n

#define SP_RESULT_none void
#define SP_RESULT_int32 int
#define SP_RESULT_float float
#define SP_RESULT_bool8 bool
#define SP_RESULT_text const char*

#define SP_VALUE_none(v) {}
#define SP_VALUE_int32(v) {v}
#define SP_VALUE_float(v) {v}
#define SP_VALUE_bool8(v) {v}
#define SP_VALUE_text(v) {v}

namespace fw {

struct EntryQuad {
  std::int32_t a, b, c, d;
};
using Entry32 = std::uint32_t;
using EntryV16 = EntryQuad;
using Entry16b = std::uint16_t;
using Entry8b = std::uint8_t;

// A result of an entry's type (a fallback, a neutral answer), or nothing for entries without one.
template <typename R>
struct Value {
  R value;
};
template <>
struct Value<void> {};

template <typename R>
R ValueOf(const Value<R>& v) {
  if constexpr (!std::is_void_v<R>) return v.value;
}

}  // namespace fw

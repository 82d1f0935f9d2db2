// The one result type of calls that can fail: the value (a fallback when the call did not answer)
// with how the call went. Both libraries' guarded calls, the loaders and the station model answer
// with it; whoever owns the user turns a status into a message box, a line on standard error or a
// flagged reading.
//
// Portable: no Windows header.
#pragma once

namespace fw {

enum class Status : unsigned char {
  Ok,       // the call answered
  Missing,  // the library or its entry is not there; the value is the fallback
  Faulted,  // the call ended in a fault inside the library (code: the exception code); the value is the fallback
  Failed,   // a system call failed (code: the system's error code)
};

// "ok", "missing", "faulted", "failed".
constexpr const char* StatusName(Status status) {
  switch (status) {
    case Status::Ok: return "ok";
    case Status::Missing: return "missing";
    case Status::Faulted: return "faulted";
    default: return "failed";
  }
}

// The worse of two statuses, for a result made of several calls.
constexpr Status Worse(Status a, Status b) { return static_cast<int>(a) >= static_cast<int>(b) ? a : b; }

template <typename T>
struct Result {
  T value{};
  Status status = Status::Ok;
  unsigned long code = 0;  // the exception code of a fault, the system's error code of a failure

  constexpr bool Ok() const { return status == Status::Ok; }
  // The value, fallback included, where only the value matters (as every fallback was designed for).
  constexpr operator T() const { return value; }  // NOLINT: implicit on purpose
};

template <>
struct Result<void> {
  Status status = Status::Ok;
  unsigned long code = 0;

  constexpr bool Ok() const { return status == Status::Ok; }
};

// Folds a later result into an earlier one: the worse status with its code.
template <typename A, typename B>
constexpr void Merge(Result<A>& into, const Result<B>& from) {
  if (static_cast<int>(from.status) > static_cast<int>(into.status)) {
    into.status = from.status;
    into.code = from.code;
  }
}

}  // namespace fw

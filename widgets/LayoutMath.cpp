#include "widgets/LayoutMath.h"

#include <climits>
#include <cmath>

#include "framework/GbkText.h"

namespace layout {

namespace {

// Window coordinates stay far inside this; anything beyond is clamped rather than overflowing.
constexpr float kCoordinateLimit = 1.0e9f;

int ClampToInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

void RemainderTable::Clear() {
  for (auto& edge : m_values) {
    for (float& v : edge) v = 0.0f;
  }
  for (std::uintptr_t& owner : m_owners) owner = 0;
  for (bool& keeps : m_keepsHeight) keeps = false;
}

bool RemainderTable::Claim(int index, std::uintptr_t control, bool keepsHeight) {
  if (index < 0 || index >= kRemainderSlots) return keepsHeight;
  if (m_owners[index] != control || control == 0) {
    m_owners[index] = control;
    m_keepsHeight[index] = keepsHeight;
    for (auto& edge : m_values) edge[index] = 0.0f;
  }
  return m_keepsHeight[index];
}

float* RemainderTable::Slot(int edge, int index) {
  if (edge < 0 || edge >= kEdgeCount || index < 0 || index >= kRemainderSlots) return nullptr;
  return &m_values[edge][index];
}

float RemainderTable::Get(int edge, int index) const {
  if (edge < 0 || edge >= kEdgeCount || index < 0 || index >= kRemainderSlots) return 0.0f;
  return m_values[edge][index];
}

float Ratio(int newSize, int oldSize) {
  if (oldSize <= 0) return 0.0f;
  const float ratio = static_cast<float>(newSize) / static_cast<float>(oldSize);
  return ratio;
}

int ScaleCoordinate(int c, float ratio, float* remainder) {
  // Each step is its own single-precision value (the win32 build stores floats to memory), so
  // both builds compute the same positions.
  const float carried = remainder != nullptr ? *remainder : 0.0f;
  const float unscaled = static_cast<float>(c) + carried;
  float position = unscaled * ratio;
  if (!(position == position)) position = 0.0f;  // NaN from a hostile ratio
  if (position > kCoordinateLimit) position = kCoordinateLimit;
  if (position < -kCoordinateLimit) position = -kCoordinateLimit;
  const float placed = std::round(position);
  if (remainder != nullptr) {
    const float rest = position - placed;
    *remainder = rest;
  }
  return static_cast<int>(placed);
}

Rect ScaleControlRect(const Rect& r, int kind, float rx, float ry, RemainderTable& remainders, int index,
                      std::uintptr_t control, TextHeightSource& text) {
  const long long height = static_cast<long long>(r.bottom) - r.top;
  const bool keepsHeight = remainders.Claim(index, control, KeepsHeight(kind, ClampToInt(height)));
  Rect out{};
  out.top = ScaleCoordinate(r.top, ry, remainders.Slot(kTop, index));
  out.left = ScaleCoordinate(r.left, rx, remainders.Slot(kLeft, index));
  out.right = ScaleCoordinate(r.right, rx, remainders.Slot(kRight, index));
  if (!keepsHeight) {
    out.bottom = ScaleCoordinate(r.bottom, ry, remainders.Slot(kBottom, index));
    return out;
  }
  out.bottom = ClampToInt(out.top + height);
  // A control collapsed to nothing at the origin stays so; anything else is made tall enough for
  // a line of text.
  if (out.bottom == 0 && out.top == 0) return out;
  const int textHeight = text.TextHeight();
  if (height < textHeight) out.bottom = ClampToInt(static_cast<long long>(out.top) + textHeight + 2);
  return out;
}

ControlKind ControlKindFromClassName(const char* className) {
  if (className == nullptr) return MC_OTHER;
  struct Entry {
    const char* name;
    ControlKind kind;
  };
  static const Entry kKinds[] = {
      {"Static", MC_STATIC},          {"Edit", MC_EDIT},
      {"Button", MC_BUTTON},          {"ComboBox", MC_COMBOBOX},
      {"SysListView32", MC_LISTVIEW}, {"SysIPAddress32", MC_IPADDRESS},
  };
  for (const Entry& e : kKinds) {
    if (fw::GbkCompareNoCase(className, e.name) == 0) return e.kind;
  }
  return MC_OTHER;
}

int FontHeightFromTenths(int tenths, int dpi) {
  // Rounded like the system's multiply-divide: halves away from zero.
  const long long product = static_cast<long long>(tenths) * dpi;
  const long long magnitude = product < 0 ? -product : product;
  const long long pixels = (magnitude + 360) / 720;
  return ClampToInt(-pixels);
}

}  // namespace layout

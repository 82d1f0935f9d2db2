// Coordinate arithmetic of the control mover, kept free of window types so that it can be checked
// on any host: resize ratios, per-edge remainders, the minimum-height rule, control kinds by class
// name and the dialog-font settings.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of dialog controls, from their window class names.
enum ControlKind : int {
  MC_STATIC = 0,
  MC_EDIT = 1,
  MC_BUTTON = 2,
  MC_COMBOBOX = 3,
  MC_LISTVIEW = 4,
  MC_IPADDRESS = 5,
  MC_OTHER = 1000,
};

namespace layout {

enum Edge : int { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3, kEdgeCount = 4 };

// One remainder per edge and per visible child, by the child's position among the visible ones.
constexpr int kRemainderSlots = 500;
// Statics, edits and buttons lower than this keep their height when the dialog grows or shrinks.
constexpr int kKeepHeightBelow = 50;
// Font size used when loginset.ini does not name one, in tenths of a point.
constexpr const char* kDefaultFontSize = "100";
// The face name keeps at most this many bytes (cut on a character boundary).
constexpr std::size_t kFaceNameBytes = 29;

struct Rect {
  int left;
  int top;
  int right;
  int bottom;
};

inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Per visible child (by its position among the visible children): the fractions of a pixel that
// each edge has not been moved by yet, and whether the control keeps its height. Both belong to
// the control that took the slot; when another control comes to that position (a control before
// it was shown or hidden), the slot starts afresh for it.
class RemainderTable {
 public:
  void Clear();
  // Gives slot `index` to `control` (any non-zero identity). A slot that held another control
  // loses its remainders and takes `keepsHeight` as the control's height class, decided once so
  // that a control does not change class as the dialog shrinks and grows. Returns the class.
  // Beyond the table `keepsHeight` is returned as it is.
  bool Claim(int index, std::uintptr_t control, bool keepsHeight);
  // The remainder of one edge of the visible child `index`, or nullptr when the child has no slot
  // (children beyond the table are laid out without remainders).
  float* Slot(int edge, int index);
  float Get(int edge, int index) const;

 private:
  float m_values[kEdgeCount][kRemainderSlots] = {};
  std::uintptr_t m_owners[kRemainderSlots] = {};
  bool m_keepsHeight[kRemainderSlots] = {};
};

// new / old in single precision; 0 when old is not positive.
float Ratio(int newSize, int oldSize);

// Scales one coordinate. The remainder holds where the edge should be minus where it is, in
// pixels of the current size; it is scaled along with the coordinate so that the true position
// is carried from one resize to the next and rounding never accumulates. Without a remainder
// the result is the scaled value rounded to the nearest pixel.
int ScaleCoordinate(int c, float ratio, float* remainder);

// True when a control of this kind and height keeps its height instead of being scaled.
inline bool KeepsHeight(int kind, int height) { return kind < MC_COMBOBOX && height < kKeepHeightBelow; }

// Measures the height of a short text in a control, only when the height rule needs it.
class TextHeightSource {
 public:
  virtual int TextHeight() = 0;

 protected:
  ~TextHeightSource() = default;
};

// The new rectangle of the visible control `control` (client coordinates of the dialog) whose
// current rectangle is `r`: top, left and right scaled, the bottom scaled for tall controls and
// for kinds from MC_COMBOBOX on, otherwise the height kept and raised to the text height + 2
// when the control is lower than its text. `index` is the control's position among the visible
// children; indices outside the table use no remainder.
Rect ScaleControlRect(const Rect& r, int kind, float rx, float ry, RemainderTable& remainders, int index,
                      std::uintptr_t control, TextHeightSource& text);

// Kind of a control by window class name, ignoring ASCII case; MC_OTHER for anything else.
ControlKind ControlKindFromClassName(const char* className);


// Font cell height for a size in tenths of a point at `dpi` pixels per inch, as a negative
// character height (0 for size 0: the system's default height).
int FontHeightFromTenths(int tenths, int dpi);

}  // namespace layout

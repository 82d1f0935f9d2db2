// A rectangle in real-valued device coordinates: the place of one character cell before rounding.
#pragma once

class CRealRect {
 public:
  CRealRect() : left(0), top(0), right(0), bottom(0) {}
  CRealRect(double l, double t, double r, double b) : left(l), top(t), right(r), bottom(b) {}

  double Width() const { return right - left; }
  double Height() const { return bottom - top; }

  double left;
  double top;
  double right;
  double bottom;
};

// Small geometric value types for screen positions, sizes and rectangles.
// Screen pixels, origin top left, y growing downwards, so a positive angle
// turns clockwise on screen.
#pragma once

#include <cmath>

constexpr double kDegreeToRadian = 0.017453292519943295;
constexpr double kRadianToDegree = 57.29577951308232;

template <typename T>
struct SPointT {
  T x{};
  T y{};

  constexpr SPointT() = default;
  constexpr SPointT(T px, T py) : x(px), y(py) {}

  constexpr T fGetX() const { return x; }
  constexpr T fGetY() const { return y; }
  void fSetX(T value) { x = value; }
  void fSetY(T value) { y = value; }

  constexpr SPointT operator+(const SPointT& other) const { return SPointT(x + other.x, y + other.y); }

  // A new point rotated about the origin; this one is left unchanged.
  SPointT fRotate(double degrees) const {
    const double theta = degrees * kDegreeToRadian;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    return SPointT(static_cast<T>(x * c - y * s), static_cast<T>(x * s + y * c));
  }
};

using SPoint = SPointT<int>;
using SPointD = SPointT<double>;

// A rectangle given by its centre and its full size.
template <typename T>
struct SRectExT {
  T centreX{};
  T centreY{};
  T width{};
  T height{};

  constexpr SRectExT() = default;
  constexpr SRectExT(T cx, T cy, T w, T h) : centreX(cx), centreY(cy), width(w), height(h) {}

  constexpr T fLeft() const { return centreX - width / 2.0; }
  constexpr T fRight() const { return centreX + width / 2.0; }
  constexpr T fTop() const { return centreY - height / 2.0; }
  constexpr T fBottom() const { return centreY + height / 2.0; }
};

template <typename T>
struct SCircleT {
  T centreX{};
  T centreY{};
  T radius{};

  constexpr SCircleT() = default;
  constexpr SCircleT(T cx, T cy, T r) : centreX(cx), centreY(cy), radius(r) {}
};

// Reference forms of the toolkit; no scene uses them, tools and widgets may.
class CPoint {
 public:
  CPoint(int px = 0, int py = 0) : x(px), y(py) {}
  virtual ~CPoint() = default;
  virtual CPoint fAdd(const CPoint& other) const { return CPoint(x + other.x, y + other.y); }
  virtual int fGetX() const { return x; }
  virtual int fGetY() const { return y; }
  virtual void fSetX(int value) { x = value; }
  virtual void fSetY(int value) { y = value; }

  int x;
  int y;
};

template <typename T>
class CPointT;

class CRect {
 public:
  CRect(int l = 0, int t = 0, int r = 0, int b = 0) : left(l), top(t), right(r), bottom(b) {}
  virtual ~CRect() = default;
  virtual int fGetLeft() const { return left; }
  virtual int fGetRight() const { return right; }
  virtual int fGetTop() const { return top; }
  virtual int fGetBottom() const { return bottom; }
  virtual void fSetLeft(int value) { left = value; }
  virtual void fSetRight(int value) { right = value; }
  virtual void fSetTop(int value) { top = value; }
  virtual void fSetBottom(int value) { bottom = value; }
  virtual int fWidth() const { return right - left; }
  virtual int fHeight() const { return bottom - top; }
  // Integer division rounds toward zero: the centre of -3..0 is -1.
  virtual CPointT<int> fCentre() const;

  int left;
  int top;
  int right;
  int bottom;
};

template <>
class CPointT<int> {
 public:
  CPointT(int px = 0, int py = 0) : x(px), y(py) {}
  virtual ~CPointT() = default;

  virtual CPointT fCopy() const { return CPointT(x, y); }
  virtual CPointT fAdd(const CPointT& p) const { return CPointT(x + p.x, y + p.y); }
  virtual CPointT fAdd(int a) const { return CPointT(x + a, y + a); }
  virtual CPointT fSub(const CPointT& p) const { return CPointT(x - p.x, y - p.y); }
  virtual CPointT fSub(int a) const { return CPointT(x - a, y - a); }
  virtual CPointT fSubFrom(int a) const { return CPointT(a - x, a - y); }
  virtual CPointT fMul(const CPointT& p) const { return CPointT(x * p.x, y * p.y); }
  virtual CPointT fMul(int a) const { return CPointT(a * x, a * y); }
  // Division by a zero component is the caller's error.
  virtual CPointT fDiv(const CPointT& p) const { return CPointT(x / p.x, y / p.y); }
  virtual CPointT fDiv(int a) const { return CPointT(x / a, y / a); }
  virtual CPointT fDivInto(int a) const { return CPointT(a / x, a / y); }
  virtual CPointT fNegate() const { return CPointT(-x, -y); }
  virtual bool fEquals(const CPointT& p) const { return x == p.x && y == p.y; }
  // Coordinates truncated toward zero after rotating.
  virtual CPointT fRotate(double degrees) const {
    const auto r = SPointT<double>(x, y).fRotate(degrees);
    return CPointT(static_cast<int>(r.x), static_cast<int>(r.y));
  }
  virtual double fAngle() const { return CPointT(0, 0).fAngleTo(*this); }
  virtual long double fLength() const {
    return std::sqrt(static_cast<long double>(x) * x + static_cast<long double>(y) * y);
  }
  virtual int fGetX() const { return x; }
  virtual int fGetY() const { return y; }
  virtual void fSetX(int value) { x = value; }
  virtual void fSetY(int value) { y = value; }
  // 0 degrees straight up, 90 right, 180 down, 270 left.
  virtual double fAngleTo(const CPointT& p) const {
    return std::atan2(static_cast<double>(p.y - y), static_cast<double>(p.x - x)) * kRadianToDegree + 90.0;
  }
  virtual double fDistanceTo(const CPointT& p) const {
    const double dx = x - p.x;
    const double dy = y - p.y;
    return std::sqrt(dx * dx + dy * dy);
  }

  int x;
  int y;
};

inline CPointT<int> CRect::fCentre() const { return CPointT<int>((left + right) / 2, (top + bottom) / 2); }

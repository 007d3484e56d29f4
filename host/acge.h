// Geometry value types in the shape of the host's AcGe library (header-only).
#pragma once
#include <cmath>

struct AcGeTol {
  double equalPoint = 1e-10;
  double equalVector = 1e-12;
};
namespace AcGeContext {
inline const AcGeTol gTol{};
}

class AcGeVector3d;

class AcGePoint2d {
 public:
  double x = 0, y = 0;
  AcGePoint2d() = default;
  AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}
};

class AcGeVector3d {
 public:
  double x = 0, y = 0, z = 0;
  AcGeVector3d() = default;
  AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  static const AcGeVector3d kIdentity;
  static const AcGeVector3d kXAxis;
  static const AcGeVector3d kYAxis;
  static const AcGeVector3d kZAxis;
  double length() const { return std::sqrt(x * x + y * y + z * z); }
  double lengthSqrd() const { return x * x + y * y + z * z; }
  AcGeVector3d normal() const {
    const double l = length();
    return l > 0 ? AcGeVector3d(x / l, y / l, z / l) : *this;
  }
  AcGeVector3d& normalize() { return *this = normal(); }
  double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
  AcGeVector3d crossProduct(const AcGeVector3d& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
  }
  bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const {
    return length() <= tol.equalVector;
  }
  bool isEqualTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
    return (*this - v).length() <= tol.equalVector;
  }
  AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-() const { return {-x, -y, -z}; }
  AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
  AcGeVector3d& operator+=(const AcGeVector3d& v) { return *this = *this + v; }
  bool operator==(const AcGeVector3d& v) const { return isEqualTo(v); }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
};
inline const AcGeVector3d AcGeVector3d::kIdentity{0, 0, 0};
inline const AcGeVector3d AcGeVector3d::kXAxis{1, 0, 0};
inline const AcGeVector3d AcGeVector3d::kYAxis{0, 1, 0};
inline const AcGeVector3d AcGeVector3d::kZAxis{0, 0, 1};

class AcGeMatrix3d;

class AcGePoint3d {
 public:
  double x = 0, y = 0, z = 0;
  AcGePoint3d() = default;
  AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  explicit AcGePoint3d(const double* p) : x(p[0]), y(p[1]), z(p[2]) {}
  static const AcGePoint3d kOrigin;
  double distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }
  bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const {
    return distanceTo(p) <= tol.equalPoint;
  }
  AcGeVector3d asVector() const { return {x, y, z}; }
  AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  AcGePoint3d& operator+=(const AcGeVector3d& v) { return *this = *this + v; }
  bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
};
inline const AcGePoint3d AcGePoint3d::kOrigin{0, 0, 0};

// A 4x4 affine matrix, row-major, acting on column vectors (the host's convention).
class AcGeMatrix3d {
 public:
  double entry[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  static const AcGeMatrix3d kIdentity;
  AcGeMatrix3d() = default;

  static AcGeMatrix3d translation(const AcGeVector3d& v) {
    AcGeMatrix3d m;
    m.entry[0][3] = v.x;
    m.entry[1][3] = v.y;
    m.entry[2][3] = v.z;
    return m;
  }
  static AcGeMatrix3d scaling(double s, const AcGePoint3d& center = AcGePoint3d::kOrigin) {
    AcGeMatrix3d m;
    for (int i = 0; i < 3; ++i) m.entry[i][i] = s;
    m.entry[0][3] = center.x * (1 - s);
    m.entry[1][3] = center.y * (1 - s);
    m.entry[2][3] = center.z * (1 - s);
    return m;
  }
  // Rotation about an axis through a point, counter-clockwise looking down the axis.
  static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                               const AcGePoint3d& center = AcGePoint3d::kOrigin) {
    const AcGeVector3d a = axis.normal();
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    AcGeMatrix3d m;
    m.entry[0][0] = t * a.x * a.x + c;
    m.entry[0][1] = t * a.x * a.y - s * a.z;
    m.entry[0][2] = t * a.x * a.z + s * a.y;
    m.entry[1][0] = t * a.x * a.y + s * a.z;
    m.entry[1][1] = t * a.y * a.y + c;
    m.entry[1][2] = t * a.y * a.z - s * a.x;
    m.entry[2][0] = t * a.x * a.z - s * a.y;
    m.entry[2][1] = t * a.y * a.z + s * a.x;
    m.entry[2][2] = t * a.z * a.z + c;
    const AcGePoint3d moved = center;
    AcGePoint3d rotated = moved;
    rotated.transformBy(m);
    m.entry[0][3] = center.x - rotated.x;
    m.entry[1][3] = center.y - rotated.y;
    m.entry[2][3] = center.z - rotated.z;
    return m;
  }
  // Mirror in the plane through `p` containing the Z axis direction and the line p->q.
  static AcGeMatrix3d mirroring2d(const AcGePoint3d& p, const AcGePoint3d& q) {
    const AcGeVector3d d = (q - p).normal();
    AcGeMatrix3d m;
    m.entry[0][0] = 2 * d.x * d.x - 1;
    m.entry[0][1] = 2 * d.x * d.y;
    m.entry[1][0] = 2 * d.x * d.y;
    m.entry[1][1] = 2 * d.y * d.y - 1;
    AcGePoint3d image = p;
    image.transformBy(m);
    m.entry[0][3] = p.x - image.x;
    m.entry[1][3] = p.y - image.y;
    return m;
  }
  // The matrix mapping the coordinate system (origin, x, y, z) to world coordinates.
  static AcGeMatrix3d alignCoordSys(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                    const AcGeVector3d& yAxis, const AcGeVector3d& zAxis) {
    AcGeMatrix3d m;
    const AcGeVector3d axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) m.entry[r][c] = axes[c][r];
    m.entry[0][3] = origin.x;
    m.entry[1][3] = origin.y;
    m.entry[2][3] = origin.z;
    return m;
  }
  AcGeMatrix3d operator*(const AcGeMatrix3d& o) const {
    AcGeMatrix3d r;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) {
        double s = 0;
        for (int k = 0; k < 4; ++k) s += entry[i][k] * o.entry[k][j];
        r.entry[i][j] = s;
      }
    return r;
  }
  AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left) { return *this = left * *this; }
  AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right) { return *this = *this * right; }
  double det3() const {
    return entry[0][0] * (entry[1][1] * entry[2][2] - entry[1][2] * entry[2][1]) -
           entry[0][1] * (entry[1][0] * entry[2][2] - entry[1][2] * entry[2][0]) +
           entry[0][2] * (entry[1][0] * entry[2][1] - entry[1][1] * entry[2][0]);
  }
  // Inverse of an affine matrix; a singular matrix gives the identity.
  AcGeMatrix3d inverse() const {
    const double d = det3();
    AcGeMatrix3d r;
    if (std::fabs(d) < 1e-300) return r;
    const auto& e = entry;
    r.entry[0][0] = (e[1][1] * e[2][2] - e[1][2] * e[2][1]) / d;
    r.entry[0][1] = (e[0][2] * e[2][1] - e[0][1] * e[2][2]) / d;
    r.entry[0][2] = (e[0][1] * e[1][2] - e[0][2] * e[1][1]) / d;
    r.entry[1][0] = (e[1][2] * e[2][0] - e[1][0] * e[2][2]) / d;
    r.entry[1][1] = (e[0][0] * e[2][2] - e[0][2] * e[2][0]) / d;
    r.entry[1][2] = (e[0][2] * e[1][0] - e[0][0] * e[1][2]) / d;
    r.entry[2][0] = (e[1][0] * e[2][1] - e[1][1] * e[2][0]) / d;
    r.entry[2][1] = (e[0][1] * e[2][0] - e[0][0] * e[2][1]) / d;
    r.entry[2][2] = (e[0][0] * e[1][1] - e[0][1] * e[1][0]) / d;
    for (int i = 0; i < 3; ++i)
      r.entry[i][3] = -(r.entry[i][0] * e[0][3] + r.entry[i][1] * e[1][3] + r.entry[i][2] * e[2][3]);
    return r;
  }
  // Uniform scale factor of the linear part (length of the transformed X axis).
  double scale() const {
    return AcGeVector3d(entry[0][0], entry[1][0], entry[2][0]).length();
  }
  AcGeVector3d applyTo(const AcGeVector3d& v) const {
    return {entry[0][0] * v.x + entry[0][1] * v.y + entry[0][2] * v.z,
            entry[1][0] * v.x + entry[1][1] * v.y + entry[1][2] * v.z,
            entry[2][0] * v.x + entry[2][1] * v.y + entry[2][2] * v.z};
  }
};
inline const AcGeMatrix3d AcGeMatrix3d::kIdentity{};

inline AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
  const double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2] * z + m.entry[0][3];
  const double ny = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2] * z + m.entry[1][3];
  const double nz = m.entry[2][0] * x + m.entry[2][1] * y + m.entry[2][2] * z + m.entry[2][3];
  x = nx;
  y = ny;
  z = nz;
  return *this;
}
inline AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  AcGePoint3d r = p;
  return r.transformBy(m);
}

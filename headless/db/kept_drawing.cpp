// What the entities the host keeps as their groups draw: the picture, picking and snaps
// see multiline texts, hatches, dimensions, ellipses, splines, solids, faces and leaders
// as a CAD program shows them, read straight from their groups.
#include <algorithm>
#include <cmath>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/text_style.h"
#include "headless/render/font.h"
#include "platform/codepage.h"

namespace qd::db {
namespace {

using Points = std::vector<AcGePoint3d>;
using Loop = std::vector<AcGePoint2d>;

// Kept groups hold angles as the file does: degrees (an MTEXT's rotation is radians).
// Drawing a corrupt or hostile file stays bounded: this many points per curve, this many
// hatch lines per pattern line, this many dashes in one hatch.
constexpr int kMaxCurvePoints = 4096;
constexpr long kMaxHatchLines = 20000;
constexpr long kMaxHatchDashes = 400000;

const Tag* first(const Tags& tags, int code) {
  for (const Tag& t : tags)
    if (t.code == code) return &t;
  return nullptr;
}
double real(const Tags& tags, int code, double fallback) {
  const Tag* t = first(tags, code);
  return t && std::isfinite(t->real) ? t->real : fallback;
}
int64_t integer(const Tags& tags, int code, int64_t fallback) {
  const Tag* t = first(tags, code);
  return t ? t->integer : fallback;
}
AcGePoint3d point(const Tags& tags, int code, const AcGePoint3d& fallback = AcGePoint3d()) {
  const Tag* t = first(tags, code);
  return t ? t->pt : fallback;
}
AcGeVector3d normalOf(const Tags& tags) {
  const AcGePoint3d n = point(tags, 210, AcGePoint3d(0, 0, 1));
  const AcGeVector3d v(n.x, n.y, n.z);
  return v.isZeroLength() ? AcGeVector3d::kZAxis : v.normal();
}
bool finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

void polyline(AcGiWorldDraw* mode, const Points& pts) {
  if (pts.size() >= 2) mode->geometry().polyline(static_cast<uint32_t>(pts.size()), pts.data());
}
void filled(AcGiWorldDraw* mode, const Points& pts) {
  if (pts.size() < 3) return polyline(mode, pts);
  mode->subEntityTraits().setFillType(kAcGiFillAlways);
  mode->geometry().polygon(static_cast<uint32_t>(pts.size()), pts.data());
  mode->subEntityTraits().setFillType(kAcGiFillNever);
}

// ---- curves ----

// Points of an elliptical arc from parameter a0 to a1 (counter-clockwise), in its plane.
void appendEllipse(Loop& out, const AcGePoint2d& c, const AcGePoint2d& major, double ratio, double a0, double a1) {
  while (a1 <= a0) a1 += 2 * M_PI;
  const int steps = std::clamp(static_cast<int>(std::ceil((a1 - a0) / (2 * M_PI) * 72)), 4, kMaxCurvePoints);
  const AcGePoint2d minor(-major.y * ratio, major.x * ratio);
  for (int k = 0; k <= steps; ++k) {
    const double a = a0 + (a1 - a0) * k / steps;
    out.emplace_back(c.x + major.x * std::cos(a) + minor.x * std::sin(a), c.y + major.y * std::cos(a) + minor.y * std::sin(a));
  }
}

// A NURBS curve evaluated by de Boor's algorithm; the control polygon when the knots do
// not fit the control points.
Points nurbs(int degree, const std::vector<double>& knots, const Points& ctrl, const std::vector<double>& weights) {
  const size_t n = ctrl.size();
  const bool valid = degree >= 1 && degree <= 10 && n > static_cast<size_t>(degree) && knots.size() == n + degree + 1 &&
                     std::is_sorted(knots.begin(), knots.end()) && knots[n] > knots[degree];
  if (!valid) return ctrl;
  const bool rational = weights.size() == n;
  const int samples = static_cast<int>(std::min<size_t>(kMaxCurvePoints, 16 * n));
  const double t0 = knots[degree], t1 = knots[n];
  Points out;
  for (int s = 0; s <= samples; ++s) {
    const double t = t0 + (t1 - t0) * s / samples;
    size_t k = static_cast<size_t>(degree);
    while (k + 1 < n && knots[k + 1] <= t) ++k;
    struct H {
      double x, y, z, w;
    };
    std::vector<H> d(degree + 1);
    for (int j = 0; j <= degree; ++j) {
      const AcGePoint3d& p = ctrl[k - degree + j];
      const double w = rational && weights[k - degree + j] > 0 ? weights[k - degree + j] : 1;
      d[j] = {p.x * w, p.y * w, p.z * w, w};
    }
    for (int r = 1; r <= degree; ++r)
      for (int j = degree; j >= r; --j) {
        const double lo = knots[k - degree + j], hi = knots[k + 1 + j - r];
        const double alpha = hi > lo ? (t - lo) / (hi - lo) : 0;
        d[j] = {(1 - alpha) * d[j - 1].x + alpha * d[j].x, (1 - alpha) * d[j - 1].y + alpha * d[j].y,
                (1 - alpha) * d[j - 1].z + alpha * d[j].z, (1 - alpha) * d[j - 1].w + alpha * d[j].w};
      }
    const H& p = d[degree];
    if (p.w != 0) out.emplace_back(p.x / p.w, p.y / p.w, p.z / p.w);
  }
  return out;
}

// A smooth curve through the fit points of a spline that has no control points: a
// Catmull-Rom curve, which passes through every point with the tangent of its neighbours.
Points throughPoints(const Points& fit) {
  if (fit.size() < 3) return fit;
  const int steps = static_cast<int>(std::clamp<size_t>(kMaxCurvePoints / fit.size(), 1, 16));
  Points out{fit.front()};
  for (size_t i = 0; i + 1 < fit.size(); ++i) {
    const AcGePoint3d& p1 = fit[i];
    const AcGePoint3d& p2 = fit[i + 1];
    const AcGePoint3d p0 = i > 0 ? fit[i - 1] : p1 + (p1 - p2);
    const AcGePoint3d p3 = i + 2 < fit.size() ? fit[i + 2] : p2 + (p2 - p1);
    for (int k = 1; k <= steps; ++k) {
      const double t = double(k) / steps, t2 = t * t, t3 = t2 * t;
      auto mix = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3);
      };
      out.emplace_back(mix(p0.x, p1.x, p2.x, p3.x), mix(p0.y, p1.y, p2.y, p3.y), mix(p0.z, p1.z, p2.z, p3.z));
    }
  }
  return out;
}

void drawEllipse(const Tags& tags, AcGiWorldDraw* mode) {
  const AcGePoint3d c = point(tags, 10), m = point(tags, 11, AcGePoint3d(1, 0, 0));
  const AcGeVector3d major(m.x, m.y, m.z), n = normalOf(tags);
  const double ratio = real(tags, 40, 1);
  if (major.isZeroLength() || !(ratio > 0) || !finite(c)) return;
  const AcGeVector3d minor = n.crossProduct(major).normal() * (major.length() * ratio);
  double a0 = real(tags, 41, 0), a1 = real(tags, 42, 2 * M_PI);
  while (a1 <= a0) a1 += 2 * M_PI;
  if (a1 - a0 > 2 * M_PI + 1e-9) a1 = a0 + 2 * M_PI;
  const int steps = std::clamp(static_cast<int>(std::ceil((a1 - a0) / (2 * M_PI) * 96)), 4, kMaxCurvePoints);
  Points pts;
  for (int k = 0; k <= steps; ++k) {
    const double a = a0 + (a1 - a0) * k / steps;
    pts.push_back(c + major * std::cos(a) + minor * std::sin(a));
  }
  polyline(mode, pts);
}

void drawSpline(const Tags& tags, AcGiWorldDraw* mode) {
  std::vector<double> knots, weights;
  Points ctrl, fit;
  for (const Tag& t : tags) {
    if (t.code == 40) knots.push_back(t.real);
    else if (t.code == 41) weights.push_back(t.real);
    else if (t.code == 10) ctrl.push_back(t.pt);
    else if (t.code == 11) fit.push_back(t.pt);
  }
  if (ctrl.size() >= 2) return polyline(mode, nurbs(static_cast<int>(integer(tags, 71, 3)), knots, ctrl, weights));
  polyline(mode, throughPoints(fit));
}

// SOLID and TRACE: three or four corners in the entity's plane, the fourth given before
// the third; drawn filled, as with FILLMODE on.
void drawSolid(const Tags& tags, AcGiWorldDraw* mode) {
  const AcGeMatrix3d ecs = ecsToWcs(normalOf(tags));
  const AcGePoint3d p0 = point(tags, 10), p1 = point(tags, 11), p2 = point(tags, 12), p3 = point(tags, 13, p2);
  Points pts{ecs * p0, ecs * p1, ecs * p3, ecs * p2};
  if (p3.isEqualTo(p2)) pts.pop_back();
  filled(mode, pts);
}

// 3DFACE: the visible edges of its four corners (bits of group 70 hide edges).
void drawFace(const Tags& tags, AcGiWorldDraw* mode) {
  const AcGePoint3d c[4] = {point(tags, 10), point(tags, 11), point(tags, 12), point(tags, 13, point(tags, 12))};
  const int64_t hidden = integer(tags, 70, 0);
  for (int k = 0; k < 4; ++k)
    if (!(hidden & (1 << k)) && !c[k].isEqualTo(c[(k + 1) % 4])) polyline(mode, {c[k], c[(k + 1) % 4]});
}

// LEADER: its vertices, with a closed filled arrowhead at the first when it has one.
void drawLeader(const Tags& tags, AcDbDatabase* db, AcGiWorldDraw* mode) {
  Points pts;
  for (const Tag& t : tags)
    if (t.code == 10) pts.push_back(t.pt);
  polyline(mode, pts);
  if (pts.size() < 2 || integer(tags, 71, 1) == 0) return;
  auto* d = db ? db->impl() : nullptr;
  const double scale = d ? d->varReal(u"DIMSCALE", 1) : 1;
  const double size = (d ? d->varReal(u"DIMASZ", 2.5) : 2.5) * (scale > 0 ? scale : 1);
  const AcGeVector3d along = pts[1] - pts[0];
  if (along.isZeroLength() || !(size > 0)) return;
  const AcGeVector3d u = along.normal(), side = normalOf(tags).crossProduct(u) * (size / 6);
  filled(mode, {pts[0], pts[0] + u * size + side, pts[0] + u * size - side});
}

// A dimension shows the block the host made for it ("*D..."), in world coordinates.
void drawDimension(const Tags& tags, AcDbDatabase* db, AcGiWorldDraw* mode) {
  const Tag* name = first(tags, 2);
  auto* d = db ? db->impl() : nullptr;
  if (!name || !d) return;
  auto* btr = AcDbBlockTableRecord::cast(d->peek(d->recordId(d->blockTable, name->str)));
  if (!btr || mode->geometry().pushModelTransform(AcGeMatrix3d())) return;
  for (const AcDbObjectId& id : btr->entityIds())
    if (auto* e = AcDbEntity::cast(d->peek(id)); e && !e->isErased()) mode->geometry().draw(e);
  mode->geometry().popModelTransform();
}

// ---- MTEXT ----

struct Run {
  std::u16string text;
  double height;
  std::u16string font;
  int color;  // -1: the entity's own
};
using MLine = std::vector<Run>;

// Adds text to a row in the format of `format`: to its last run when that has the same
// format, else as a new run.
void appendRun(MLine& row, const Run& format, std::u16string_view text) {
  if (row.empty() || row.back().height != format.height || row.back().font != format.font ||
      row.back().color != format.color)
    row.push_back({u"", format.height, format.font, format.color});
  row.back().text += text;
}

// The parameter of a format code: up to its ';'.
std::u16string parameter(std::u16string_view s, size_t& i) {
  const size_t end = s.find(u';', i);
  std::u16string value(s.substr(i, end == std::u16string_view::npos ? std::u16string_view::npos : end - i));
  i = end == std::u16string_view::npos ? s.size() : end + 1;
  return value;
}

// The rows and runs of an MTEXT's contents with its basic formatting: paragraphs (\P),
// heights (\H), colours (\C), fonts (\f), stacked fractions (\S) shown inline, groups in
// braces; the other codes change nothing that is drawn here.
std::vector<MLine> parseMText(std::u16string_view s, const Run& base) {
  std::vector<MLine> lines(1);
  std::vector<Run> formats{base};
  auto put = [&](std::u16string_view text) { appendRun(lines.back(), formats.back(), text); };
  for (size_t i = 0; i < s.size();) {
    const char16_t c = s[i];
    if (c == u'{') {
      formats.push_back(formats.back());
      ++i;
      continue;
    }
    if (c == u'}') {
      if (formats.size() > 1) formats.pop_back();
      ++i;
      continue;
    }
    if (c != u'\\' || i + 1 >= s.size()) {
      if (c != u'\n' && c != u'\r') put(std::u16string_view(&s[i], 1));
      ++i;
      continue;
    }
    const char16_t code = s[i + 1];
    i += 2;
    switch (code) {
      case u'P': lines.emplace_back(); break;
      case u'~': put(u" "); break;
      case u'\\': case u'{': case u'}': put(std::u16string_view(&s[i - 1], 1)); break;
      case u'H': {
        const std::u16string v = parameter(s, i);
        const double h = std::atof(qd::text::toUtf8(v).c_str());
        if (h > 0 && std::isfinite(h)) formats.back().height = (!v.empty() && (v.back() == u'x' || v.back() == u'X')) ? formats.back().height * h : h;
        break;
      }
      case u'C': formats.back().color = std::atoi(qd::text::toUtf8(parameter(s, i)).c_str()); break;
      case u'f': case u'F': {
        const std::u16string v = parameter(s, i);
        std::u16string family = v.substr(0, v.find(u'|'));
        std::u16string lower = family;
        for (char16_t& ch : lower)
          if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
        if (!family.empty()) formats.back().font = lower.find(u'.') == std::u16string::npos ? lower + u".ttf" : lower;
        break;
      }
      case u'S': {
        std::u16string v = parameter(s, i);
        std::replace_if(v.begin(), v.end(), [](char16_t x) { return x == u'^' || x == u'#'; }, u'/');
        put(v);
        break;
      }
      case u'A': case u'Q': case u'W': case u'T': case u'p': parameter(s, i); break;
      case u'U':
        if (i + 5 <= s.size() && s[i] == u'+') {
          put(std::u16string(1, static_cast<char16_t>(std::strtol(qd::text::toUtf8(s.substr(i + 1, 4)).c_str(), nullptr, 16))));
          i += 5;
        }
        break;
      default: break;  // \L \l \O \o \K \k and the like: lines and kerning
    }
  }
  return lines;
}

double runAdvance(const Run& r, std::u16string_view text) {
  return qd::font::advance(text, r.height, 1, qd::font::faceFor(r.font));
}

// Breaks rows wider than the reference width at their blanks.
std::vector<MLine> wrap(const std::vector<MLine>& lines, double width) {
  if (!(width > 0)) return lines;
  std::vector<MLine> out;
  for (const MLine& line : lines) {
    out.emplace_back();
    double x = 0;
    for (const Run& run : line) {
      size_t pos = 0;
      while (pos < run.text.size()) {
        size_t end = run.text.find(u' ', pos);
        end = end == std::u16string::npos ? run.text.size() : end + 1;
        const std::u16string word = run.text.substr(pos, end - pos);
        const double w = runAdvance(run, word);
        if (x > 0 && x + w > width) {
          out.emplace_back();
          x = 0;
        }
        appendRun(out.back(), run, word);
        x += w;
        pos = end;
      }
    }
  }
  return out;
}

void drawMText(const Tags& tags, AcDbDatabase* db, AcGiWorldDraw* mode) {
  std::u16string contents;
  for (const Tag& t : tags)
    if (t.code == 3) contents += t.str;
  if (const Tag* last = first(tags, 1)) contents += last->str;
  const double height = real(tags, 40, 2.5);
  if (!(height > 0)) return;
  const Tag* style = first(tags, 7);
  const Run base{u"", height, styleFontFile(db, style ? style->str : u"Standard"), -1};
  const std::vector<MLine> lines = wrap(parseMText(contents, base), real(tags, 41, 0));
  const AcGeVector3d n = normalOf(tags);
  AcGeVector3d xdir;
  if (const Tag* dir = first(tags, 11)) xdir = AcGeVector3d(dir->pt.x, dir->pt.y, dir->pt.z);
  if (xdir.isZeroLength()) {
    const double rotation = real(tags, 50, 0);
    xdir = ecsToWcs(n).applyTo(AcGeVector3d(std::cos(rotation), std::sin(rotation), 0));
  }
  xdir = xdir.normal();
  const AcGeVector3d ydir = n.crossProduct(xdir).normal();
  // Rows a line spacing apart (5/3 of the height, times the factor); the attachment
  // point is a corner, an edge's middle or the centre of the block of rows.
  const double spacing = height * 5.0 / 3.0 * std::clamp(real(tags, 44, 1), 0.25, 4.0);
  const int attach = static_cast<int>(std::clamp<int64_t>(integer(tags, 71, 1), 1, 9));
  const double block = height + spacing * static_cast<double>(lines.size() - 1);
  const double lift = attach <= 3 ? 0 : attach <= 6 ? block / 2 : block;
  const AcGePoint3d at = point(tags, 10);
  const uint16_t own = mode->subEntityTraits().color();
  for (size_t k = 0; k < lines.size(); ++k) {
    double width = 0;
    for (const Run& r : lines[k]) width += runAdvance(r, r.text);
    const int column = (attach - 1) % 3;
    double x = column == 0 ? 0 : column == 1 ? -width / 2 : -width;
    const double y = lift - height - spacing * static_cast<double>(k);
    for (const Run& r : lines[k]) {
      mode->subEntityTraits().setColor(r.color > 0 && r.color < 256 ? static_cast<uint16_t>(r.color) : own);
      const AcGePoint3d p = at + xdir * x + ydir * y;
      mode->geometry().text(p, n, xdir, r.text.c_str(), -1, false, AcGiTextStyle(r.font.c_str(), r.height, 1, 0));
      x += runAdvance(r, r.text);
    }
  }
  mode->subEntityTraits().setColor(own);
}

// ---- HATCH ----

struct Cursor {
  const Tags& tags;
  size_t i = 0;
  const Tag* take(int code) {
    if (i < tags.size() && tags[i].code == code) return &tags[i++];
    return nullptr;
  }
  int64_t count(int code, int64_t limit) {
    const Tag* t = take(code);
    return t ? std::clamp<int64_t>(t->integer, 0, limit) : 0;
  }
  double real(int code) {
    const Tag* t = take(code);
    return t && std::isfinite(t->real) ? t->real : 0;
  }
  AcGePoint2d pt(int code) {
    const Tag* t = take(code);
    return t ? AcGePoint2d(t->pt.x, t->pt.y) : AcGePoint2d();
  }
};

// One boundary path: a polyline path, or edges (lines, arcs, elliptic arcs, splines).
Loop readPath(Cursor& c) {
  Loop loop;
  const Tag* flags = c.take(92);
  if (!flags) return loop;
  if (flags->integer & 2) {
    const bool bulges = c.count(72, 1) != 0;
    c.count(73, 1);
    const int64_t n = c.count(93, 100000);
    std::vector<std::pair<AcGePoint2d, double>> v;
    for (int64_t k = 0; k < n && c.i < c.tags.size(); ++k) {
      const AcGePoint2d p = c.pt(10);
      v.push_back({p, bulges ? c.real(42) : 0});
    }
    for (size_t k = 0; k < v.size(); ++k) {
      if (k == 0) loop.push_back(v[0].first);
      appendArc(loop, v[k].first, v[(k + 1) % v.size()].first, std::isfinite(v[k].second) ? v[k].second : 0);
    }
  } else {
    const int64_t edges = c.count(93, 100000);
    for (int64_t e = 0; e < edges && c.i < c.tags.size(); ++e) {
      const int64_t type = c.count(72, 4);
      if (type == 1) {
        const AcGePoint2d a = c.pt(10), b = c.pt(11);
        if (loop.empty()) loop.push_back(a);
        loop.push_back(b);
      } else if (type == 2 || type == 3) {
        const AcGePoint2d centre = c.pt(10);
        const AcGePoint2d major = type == 3 ? c.pt(11) : AcGePoint2d();
        const double r = c.real(40);
        double a0 = c.real(50) * M_PI / 180, a1 = c.real(51) * M_PI / 180;
        const bool ccw = c.count(73, 1) != 0;
        // A clockwise edge keeps its angles as the counter-clockwise arc mirrored.
        if (!ccw) std::swap(a0, a1), a0 = -a0, a1 = -a1;
        Loop arc;
        if (type == 2) appendEllipse(arc, centre, AcGePoint2d(r, 0), 1, a0, a1);
        else appendEllipse(arc, centre, major, r, a0, a1);
        if (!ccw) std::reverse(arc.begin(), arc.end());
        loop.insert(loop.end(), arc.begin(), arc.end());
      } else if (type == 4) {
        const int degree = static_cast<int>(c.count(94, 10));
        const bool rational = c.count(73, 1) != 0;
        c.count(74, 1);
        const int64_t nk = c.count(95, 100000), nc = c.count(96, 100000);
        std::vector<double> knots, weights;
        Points ctrl;
        for (int64_t k = 0; k < nk; ++k) knots.push_back(c.real(40));
        for (int64_t k = 0; k < nc; ++k) {
          const AcGePoint2d p = c.pt(10);
          ctrl.emplace_back(p.x, p.y, 0);
          if (rational) weights.push_back(c.real(42));
        }
        if (const int64_t fits = c.count(97, 100000)) {
          for (int64_t k = 0; k < fits; ++k) c.pt(11);
          c.take(12);
          c.take(13);
        }
        for (const auto& p : nurbs(degree, knots, ctrl, weights)) loop.emplace_back(p.x, p.y);
      } else {
        break;  // an edge the file does not describe: the path ends here
      }
    }
  }
  for (int64_t k = c.count(97, 100000); k > 0; --k) c.take(330);
  return loop;
}

struct PatternLine {
  double angle;
  AcGePoint2d base, offset;
  std::vector<double> dashes;
};

// The pieces of the line p + t·d that lie inside the loops (even-odd), as t ranges.
std::vector<std::pair<double, double>> inside(const std::vector<Loop>& loops, const AcGePoint2d& p,
                                              const AcGePoint2d& d) {
  std::vector<double> ts;
  const AcGePoint2d nrm(-d.y, d.x);
  for (const Loop& loop : loops)
    for (size_t k = 0; k < loop.size(); ++k) {  // every loop is closed, its last point to its first
      const AcGePoint2d& a = loop[k];
      const AcGePoint2d& b = loop[(k + 1) % loop.size()];
      const double da = (a.x - p.x) * nrm.x + (a.y - p.y) * nrm.y, db = (b.x - p.x) * nrm.x + (b.y - p.y) * nrm.y;
      if ((da > 0) == (db > 0)) continue;
      const double s = da / (da - db);
      ts.push_back((a.x + (b.x - a.x) * s - p.x) * d.x + (a.y + (b.y - a.y) * s - p.y) * d.y);
    }
  std::sort(ts.begin(), ts.end());
  std::vector<std::pair<double, double>> spans;
  for (size_t k = 0; k + 1 < ts.size(); k += 2) spans.push_back({ts[k], ts[k + 1]});
  return spans;
}

void drawPatternLines(const std::vector<Loop>& loops, const PatternLine& line, const AcGeMatrix3d& ecs, double z,
                      AcGiWorldDraw* mode, long& dashBudget) {
  const AcGePoint2d d(std::cos(line.angle), std::sin(line.angle)), nrm(-d.y, d.x);
  const double spacing = line.offset.x * nrm.x + line.offset.y * nrm.y;
  const double shift = line.offset.x * d.x + line.offset.y * d.y;
  if (!(std::fabs(spacing) > 1e-9)) return;
  double lo = 1e300, hi = -1e300;
  for (const Loop& loop : loops)
    for (const auto& q : loop) {
      const double v = (q.x - line.base.x) * nrm.x + (q.y - line.base.y) * nrm.y;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  if (lo > hi) return;
  double k0 = std::ceil(std::min(lo / spacing, hi / spacing)), k1 = std::floor(std::max(lo / spacing, hi / spacing));
  if (k1 - k0 > kMaxHatchLines) return;  // too dense to draw, as the host refuses it
  double period = 0;
  for (double v : line.dashes) period += std::fabs(v);
  auto emit = [&](double t0, double t1, const AcGePoint2d& origin) {
    if (--dashBudget < 0) return;
    const AcGePoint3d a = ecs * AcGePoint3d(origin.x + d.x * t0, origin.y + d.y * t0, z);
    const AcGePoint3d b = ecs * AcGePoint3d(origin.x + d.x * t1, origin.y + d.y * t1, z);
    polyline(mode, {a, b});
  };
  for (double k = k0; k <= k1 && dashBudget > 0; ++k) {
    const AcGePoint2d origin(line.base.x + line.offset.x * k, line.base.y + line.offset.y * k);
    for (const auto& [t0, t1] : inside(loops, origin, d)) {
      if (line.dashes.empty() || !(period > 0)) {
        emit(t0, t1, origin);
        continue;
      }
      // The pattern starts at the line's origin (its own shift along the line included).
      double t = std::floor((t0 - shift * k) / period) * period + shift * k;
      while (t < t1 && dashBudget > 0) {
        for (double v : line.dashes) {
          const double len = std::fabs(v);
          if (v >= 0) {
            const double a = std::max(t, t0), b = std::min(t + len, t1);
            if (b > a || (len == 0 && t >= t0 && t <= t1)) emit(a, len == 0 ? a : b, origin);
          }
          t += len;
        }
      }
    }
  }
}

void drawHatch(const Tags& tags, AcGiWorldDraw* mode) {
  Cursor c{tags};
  std::vector<Loop> loops;
  std::vector<PatternLine> lines;
  bool solid = false;
  double z = 0;
  while (c.i < tags.size()) {
    const Tag& t = tags[c.i];
    if (t.code == 10 && loops.empty() && lines.empty()) z = t.pt.z;
    if (t.code == 70) solid = t.integer & 1;
    if (t.code == 91) {
      const int64_t paths = c.count(91, 100000);
      for (int64_t k = 0; k < paths && c.i < tags.size(); ++k) {
        Loop loop = readPath(c);
        if (loop.size() >= 3) loops.push_back(std::move(loop));
      }
      continue;
    }
    if (t.code == 78) {
      const int64_t n = c.count(78, 1000);
      for (int64_t k = 0; k < n && c.i < tags.size(); ++k) {
        PatternLine line;
        // One statement a group: the groups come in this order.
        line.angle = c.real(53) * M_PI / 180;
        line.base.x = c.real(43);
        line.base.y = c.real(44);
        line.offset.x = c.real(45);
        line.offset.y = c.real(46);
        for (int64_t m = c.count(79, 1000); m > 0; --m) line.dashes.push_back(c.real(49));
        lines.push_back(std::move(line));
      }
      continue;
    }
    ++c.i;
  }
  if (loops.empty()) return;
  const AcGeMatrix3d ecs = ecsToWcs(normalOf(tags));
  if (solid) {
    // One even-odd fill of every loop, so islands stay open: the loops are joined into one
    // polygon by going out from the first loop's start and back, which the rule cancels.
    Points pts;
    for (const Loop& loop : loops) {
      for (const auto& p : loop) pts.push_back(ecs * AcGePoint3d(p.x, p.y, z));
      pts.push_back(ecs * AcGePoint3d(loop.front().x, loop.front().y, z));
      pts.push_back(ecs * AcGePoint3d(loops.front().front().x, loops.front().front().y, z));
    }
    filled(mode, pts);
    return;
  }
  long budget = kMaxHatchDashes;
  for (const PatternLine& line : lines) drawPatternLines(loops, line, ecs, z, mode, budget);
}

}  // namespace

bool drawKeptEntity(std::u16string_view type, const Tags& tags, AcDbDatabase* db, AcGiWorldDraw* mode) {
  if (type == u"ELLIPSE") drawEllipse(tags, mode);
  else if (type == u"SPLINE") drawSpline(tags, mode);
  else if (type == u"SOLID" || type == u"TRACE") drawSolid(tags, mode);
  else if (type == u"3DFACE") drawFace(tags, mode);
  else if (type == u"LEADER") drawLeader(tags, db, mode);
  else if (type == u"MTEXT") drawMText(tags, db, mode);
  else if (type == u"HATCH") drawHatch(tags, mode);
  else if (type.find(u"DIMENSION") != std::u16string_view::npos) drawDimension(tags, db, mode);
  else return false;
  return true;
}

}  // namespace qd::db

#include "headless/ui/picking.h"

#include "host/dbents.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "headless/render/strokes.h"
#include "headless/ui/console.h"
#include "headless/ui/input.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

std::u16string lower(std::u16string s) {
  for (auto& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

AcGePoint3d toWorld(const ads_point ucs) {
  resbuf from{}, to{};
  from.restype = RTSHORT;
  from.resval.rint = 1;
  to.restype = RTSHORT;
  to.resval.rint = 0;
  ads_point w;
  acedTrans(ucs, &from, &to, 0, w);
  return AcGePoint3d(w[0], w[1], w[2]);
}

AcDbObjectId byHandle(const std::u16string& hex) {
  ads_name n;
  AcDbObjectId id;
  if (acdbHandEnt(hex.c_str(), n) == RTNORM) acdbGetObjectId(id, n);
  return id;
}

bool visible(AcDbDatabase::Impl* d, AcDbEntity* e) {
  if (!e || e->isErased() || !e->visibility()) return false;
  auto* layer = AcDbLayerTableRecord::cast(d->peek(e->layerId()));
  return !layer || (!layer->isOff() && !layer->isFrozen());
}

// Picks an entity from "handle H", "pick x,y" or a bare point; null id when nothing is there.
bool pickFromEvent(const std::vector<std::u16string>& w, AcDbObjectId& id, ads_point at) {
  AcDbDatabase* db = acdbCurDwg();
  if (w.size() == 2 && lower(w[0]) == u"handle") {
    id = byHandle(w[1]);
    at[0] = at[1] = at[2] = 0;
    auto* e = id.isNull() ? nullptr : AcDbEntity::cast(db->impl()->peek(id));
    if (e) {
      AcDbExtents ext;
      if (e->getGeomExtents(ext) == Acad::eOk && ext.isValid()) {
        const AcGePoint3d c = ext.minPoint() + (ext.maxPoint() - ext.minPoint()) * 0.5;
        at[0] = c.x, at[1] = c.y, at[2] = c.z;
      }
    }
    return true;
  }
  const std::u16string pointText = w.size() == 2 && lower(w[0]) == u"pick" ? w[1] : w.size() == 1 ? w[0] : u"";
  if (pointText.empty() || !parsePoint(pointText, at)) return false;
  id = pickAt(db, toWorld(at));
  return true;
}

}  // namespace

double pickBox(AcDbDatabase* db) { return db->impl()->varReal(u"VIEWSIZE", 297) / 100.0; }

AcDbObjectId pickAt(AcDbDatabase* db, const AcGePoint3d& p) {
  auto* d = db->impl();
  const double box = pickBox(db);
  std::vector<AcDbStub*> candidates = d->spatial.near(db->currentSpaceId(), p.x, p.y, box);
  // The entity drawn last is on top, so it wins a tie.
  std::sort(candidates.begin(), candidates.end(), [](const AcDbStub* a, const AcDbStub* b) { return a->index < b->index; });
  AcDbObjectId best;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (AcDbStub* stub : candidates) {
    const AcDbObjectId id(stub);
    auto* e = AcDbEntity::cast(d->peek(id));
    if (!e || id.isErased() || e->ownerId() != db->currentSpaceId() || !visible(d, e)) continue;
    AcDbExtents ext;
    if (e->getGeomExtents(ext) == Acad::eOk && ext.isValid() &&
        (p.x < ext.minPoint().x - box || p.x > ext.maxPoint().x + box || p.y < ext.minPoint().y - box ||
         p.y > ext.maxPoint().y + box))
      continue;
    // A text is picked anywhere on its box, as between its letters; other entities
    // where the aperture touches their strokes.
    const bool onText = AcDbText::cast(e) && ext.isValid() && p.x >= ext.minPoint().x && p.x <= ext.maxPoint().x &&
                        p.y >= ext.minPoint().y && p.y <= ext.maxPoint().y;
    const double dist = onText ? 0.0 : qd::render::distanceTo(qd::render::strokesOf(e), p);
    if (dist <= box && dist <= bestDistance) {
      bestDistance = dist;
      best = id;
    }
  }
  return best;
}

std::vector<qd::render::OverlayVector>& overlay() {
  static std::vector<qd::render::OverlayVector> vectors;
  return vectors;
}

void installSelection() {
  qd::ads::session().selectObjects = [](const std::u16string& mode, std::vector<AcDbObjectId>& ids) {
    const bool single = mode.find(u":S") != std::u16string::npos;
    Console& c = Console::get();
    for (;;) {
      Event e;
      c.write(u"Select objects: ");
      if (!c.take(u"Select objects: ", e)) return RTCAN;
      const std::vector<std::u16string> w = eventWords(e.text);
      const std::u16string verb = w.empty() ? u"" : lower(w[0]);
      if (e.text == u"<esc>") {
        c.answer(u"*Cancel*");
        return RTCAN;
      }
      if (e.text == u"<enter>") {
        c.answer(u"");
        return ids.empty() ? RTERROR : RTNORM;
      }
      std::vector<AcDbObjectId> found;
      auto fromSet = [&](const ACHAR* m, const double* a, const double* b) {
        ads_name ss;
        if (acedSSGet(m, a, b, nullptr, ss) != RTNORM) return;
        for (const auto& id : qd::ads::idsOfSet(ss)) found.push_back(id);
        acedSSFree(ss);
      };
      ads_point a, b;
      if ((verb == u"window" || verb == u"crossing") && w.size() == 3 && parsePoint(w[1], a) && parsePoint(w[2], b)) {
        fromSet(verb == u"window" ? u"_W" : u"_C", a, b);
      } else if (verb == u"all" && w.size() == 1) {
        fromSet(u"_X", nullptr, nullptr);
      } else if (verb == u"last" && w.size() == 1) {
        fromSet(u"_L", nullptr, nullptr);
      } else if (verb == u"handles" && w.size() > 1) {
        for (size_t i = 1; i < w.size(); ++i)
          if (AcDbObjectId id = byHandle(w[i]); !id.isNull()) found.push_back(id);
      } else {
        AcDbObjectId id;
        if (!pickFromEvent(w, id, a)) {
          c.stop(e, u"Select objects", u"window P1 P2, crossing P1 P2, handles H..., all, last, a point or Enter");
          return RTCAN;
        }
        if (!id.isNull()) found.push_back(id);
      }
      c.answer(e.text);
      for (const auto& id : found)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
      c.write(qd::text::fromUtf8(std::to_string(found.size())) + u" found\n");
      if (single && !ids.empty()) return RTNORM;
    }
  };
}

}  // namespace qd::ui

using qd::ui::Console;

namespace {
void setErrno(short code) {
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = code;
  acedSetVar(u"ERRNO", &rb);
}
}  // namespace

int acedEntSel(const ACHAR* str, ads_name entres, ads_point ptres) {
  const std::u16string prompt = str ? str : u"\nSelect object: ";
  for (;;) {
    AcDbObjectId id;
    ads_point at = {0, 0, 0};
    bool picked = false;
    const int rc = qd::ui::request(prompt, u"handle H, pick x,y or a point", false, [&](const std::u16string& t) {
      picked = qd::ui::pickFromEvent(qd::ui::eventWords(t), id, at);
      return picked;
    });
    // Enter, or a point where nothing lies, picks nothing; ERRNO tells which.
    if (rc == RTNONE) return setErrno(52), RTERROR;
    if (rc != RTNORM) return rc;
    if (id.isNull()) return setErrno(7), RTERROR;
    acdbGetAdsName(entres, id);
    if (ptres) ads_point_set(at, ptres);
    return RTNORM;
  }
}

int acedNEntSelP(const ACHAR* str, ads_name entres, ads_point ptres, int pickflag, ads_matrix xformres,
                 resbuf** refstkres) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db) return RTERROR;
  ads_name top;
  ads_point at;
  if (pickflag) {
    ads_point_set(ptres, at);
    AcDbObjectId id = qd::ui::pickAt(db, qd::ui::toWorld(at));
    if (id.isNull()) return RTERROR;
    acdbGetAdsName(top, id);
  } else if (int rc = acedEntSel(str, top, at); rc != RTNORM) {
    return rc;
  }
  if (ptres) ads_point_set(at, ptres);
  if (refstkres) *refstkres = nullptr;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (xformres) xformres[r][c] = r == c ? 1.0 : 0.0;
  AcDbObjectId id;
  acdbGetObjectId(id, top);
  auto* d = db->impl();
  // Into block references: the entity of the definition under the point, with the
  // transform from the block to the world and the references it lies in.
  AcGePoint3d p = qd::ui::toWorld(at);
  AcGeMatrix3d total;
  qd::ads::RbList refs;
  for (int depth = 0; depth < 16; ++depth) {
    auto* ref = AcDbBlockReference::cast(d->peek(id));
    if (!ref) break;
    auto* btr = AcDbBlockTableRecord::cast(d->peek(ref->blockTableRecord()));
    if (!btr) break;
    const AcGeMatrix3d m = ref->blockTransform();
    const AcGePoint3d local = m.inverse() * p;
    AcDbObjectId inner;
    double best = qd::ui::pickBox(db);
    for (const auto& sub : btr->entityIds()) {
      auto* e = AcDbEntity::cast(d->peek(sub));
      if (!e || e->isErased() || AcDbAttributeDefinition::cast(e)) continue;
      const double dist = qd::render::distanceTo(qd::render::strokesOf(e), local);
      if (dist <= best) best = dist, inner = sub;
    }
    if (inner.isNull()) break;
    ads_name refName;
    acdbGetAdsName(refName, id);
    resbuf* rb = acutNewRb(RTENAME);
    rb->resval.rlname[0] = refName[0];
    rb->resval.rlname[1] = refName[1];
    rb->rbnext = refs.release();
    refs.reset(rb);  // innermost first
    total = total * m;
    p = local;
    id = inner;
  }
  acdbGetAdsName(entres, id);
  if (xformres)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) xformres[r][c] = total.entry[r][c];
  if (refstkres) *refstkres = refs.release();
  return RTNORM;
}

namespace {

// The snap mode a mode word of acedOsnap names ("end", "_mid", "nearest" ...).
bool osnapModeOf(const std::u16string& word, AcDb::OsnapMode& mode) {
  static const std::pair<const char16_t*, AcDb::OsnapMode> modes[] = {
      {u"end", AcDb::kOsModeEnd},  {u"mid", AcDb::kOsModeMid},  {u"cen", AcDb::kOsModeCen},
      {u"nod", AcDb::kOsModeNode}, {u"qua", AcDb::kOsModeQuad}, {u"ins", AcDb::kOsModeIns},
      {u"per", AcDb::kOsModePerp}, {u"tan", AcDb::kOsModeTan},  {u"nea", AcDb::kOsModeNear}};
  for (const auto& [prefix, m] : modes)
    if (word.rfind(prefix, 0) == 0) return mode = m, true;
  return false;
}

// The snap points of an entity: its own, when it gives them; otherwise those of the
// strokes it draws (ends, midpoints and the nearest point).
AcGePoint3dArray snapPointsOf(AcDbObjectId id, AcDb::OsnapMode mode, const AcGePoint3d& pick) {
  AcGePoint3dArray points;
  AcDbEntity* e = nullptr;
  if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) return points;
  AcDbIntArray geomIds;
  const Acad::ErrorStatus es = e->getOsnapPoints(mode, 0, pick, pick, AcGeMatrix3d(), points, geomIds);
  if (es == Acad::eNotApplicable) {
    const auto strokes = qd::render::strokesOf(e);
    if (mode == AcDb::kOsModeNear) {
      AcGePoint3d nearest;
      if (std::isfinite(qd::render::distanceTo(strokes, pick, &nearest))) points.append(nearest);
    } else if (mode == AcDb::kOsModeEnd) {
      for (const auto& stroke : strokes)
        if (!stroke.empty()) points.append(stroke.front()), points.append(stroke.back());
    } else if (mode == AcDb::kOsModeMid) {
      for (const auto& stroke : strokes)
        for (size_t i = 0; i + 1 < stroke.size(); ++i) points.append(stroke[i] + (stroke[i + 1] - stroke[i]) * 0.5);
    }
  } else if (es != Acad::eOk) {
    points.setLogicalLength(0);
  }
  e->close();
  return points;
}

}  // namespace

int acedOsnap(const ads_point pt, const ACHAR* mode, ads_point result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !pt || !mode || !result) return RTERROR;
  const std::u16string modes = qd::ui::lower(mode);
  const AcGePoint3d p = qd::ui::toWorld(pt);
  AcGePoint3d best;
  double bestDistance = std::numeric_limits<double>::infinity();
  // "end,mid": the nearest point of every mode named.
  size_t from = 0;
  while (from <= modes.size()) {
    size_t to = modes.find(u',', from);
    if (to == std::u16string::npos) to = modes.size();
    std::u16string word = modes.substr(from, to - from);
    from = to + 1;
    while (!word.empty() && (word[0] == u'_' || word[0] == u' ')) word.erase(0, 1);
    if (word.rfind(u"non", 0) == 0 || word.rfind(u"off", 0) == 0) {
      ads_point_set(pt, result);
      return RTNORM;
    }
    AcDb::OsnapMode m;
    if (!osnapModeOf(word, m)) return RTERROR;
    const AcDbObjectId id = qd::ui::pickAt(db, p);
    if (id.isNull()) continue;
    const AcGePoint3dArray points = snapPointsOf(id, m, p);
    for (const auto& q : points) {
      const double dist = std::hypot(q.x - p.x, q.y - p.y);
      if (dist < bestDistance) bestDistance = dist, best = q;
    }
  }
  if (!std::isfinite(bestDistance)) return RTERROR;
  resbuf fromSys{}, toSys{};
  fromSys.restype = RTSHORT;
  fromSys.resval.rint = 0;
  toSys.restype = RTSHORT;
  toSys.resval.rint = 1;
  const ads_point w = {best.x, best.y, best.z};
  return acedTrans(w, &fromSys, &toSys, 0, result);
}

int acedGrDraw(const ads_point from, const ads_point to, int color, int) {
  if (!from || !to) return RTERROR;
  qd::render::OverlayVector v;
  v.ends[0] = qd::ui::toWorld(from);
  v.ends[1] = qd::ui::toWorld(to);
  v.color = static_cast<uint16_t>(color < 0 ? 7 : color);
  qd::ui::overlay().push_back(v);
  return RTNORM;
}

int acedGrVecs(const resbuf* vlist, ads_matrix mat) {
  int color = 7;
  for (const resbuf* rb = vlist; rb; rb = rb->rbnext) {
    if (rb->restype == RTSHORT) {
      color = rb->resval.rint;
      continue;
    }
    if ((rb->restype != RTPOINT && rb->restype != RT3DPOINT) || !rb->rbnext) return RTERROR;
    ads_point a, b;
    ads_point_set(rb->resval.rpoint, a);
    ads_point_set(rb->rbnext->resval.rpoint, b);
    if (mat) {
      ads_point ta, tb;
      for (int r = 0; r < 3; ++r) {
        ta[r] = mat[r][0] * a[0] + mat[r][1] * a[1] + mat[r][2] * a[2] + mat[r][3];
        tb[r] = mat[r][0] * b[0] + mat[r][1] * b[1] + mat[r][2] * b[2] + mat[r][3];
      }
      ads_point_set(ta, a);
      ads_point_set(tb, b);
    }
    acedGrDraw(a, b, color, 0);
    rb = rb->rbnext;
  }
  return RTNORM;
}

int acedGrText(int, const ACHAR*, int) { return RTNORM; }

int acedRedraw(const ads_name ent, int mode) {
  // A redraw of the whole drawing clears the temporary vectors.
  if (!ent || ads_name_nil(ent)) qd::ui::overlay().clear();
  return RTNORM;
}

int acedXformSS(const ads_name ssname, ads_matrix genmat) {
  int32_t n = 0;
  if (!ssname || !genmat || acedSSLength(ssname, &n) != RTNORM) return RTERROR;
  AcGeMatrix3d m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m.entry[r][c] = genmat[r][c];
  for (int32_t i = 0; i < n; ++i) {
    ads_name en;
    AcDbObjectId id;
    if (acedSSName(ssname, i, en) != RTNORM || acdbGetObjectId(id, en) != Acad::eOk) continue;
    AcDbEntity* e = nullptr;
    if (acdbOpenObject(e, id, AcDb::kForWrite) != Acad::eOk) continue;
    e->transformBy(m);
    e->close();
  }
  return RTNORM;
}

namespace {
// Cursor positions of a drag that its callback ended before the pick: the cursor is
// still there, so a drag started again goes on from them.
std::vector<std::u16string> g_pendingPath;
}  // namespace

void qd::ui::forgetDragPath() { g_pendingPath.clear(); }

int acedDragGen(const ads_name ss, const ACHAR* pmt, int, int (*scnf)(ads_point pt, ads_matrix mt), ads_point p) {
  if (!ss || !scnf || !p) return RTERROR;
  std::vector<std::u16string> path;
  if (!g_pendingPath.empty()) {
    path.swap(g_pendingPath);
  } else {
    const int rc = qd::ui::request(pmt ? pmt : u"", u"drag P1 P2 ... or a point", false, [&](const std::u16string& t) {
      std::vector<std::u16string> w = qd::ui::eventWords(t);
      if (!w.empty() && qd::ui::lower(w[0]) == u"drag") w.erase(w.begin());
      ads_point q;
      for (const auto& s : w)
        if (!qd::ui::parsePoint(s, q)) return false;
      path = std::move(w);
      return !path.empty();
    });
    if (rc != RTNORM) return rc;
  }
  // Each cursor position goes to the callback; the last one ends the drag. A callback
  // that answers RTERROR or RTCAN ends the drag itself, with the cursor where it is.
  ads_matrix mt;
  for (size_t i = 0; i < path.size(); ++i) {
    ads_point q;
    qd::ui::parsePoint(path[i], q);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) mt[r][c] = r == c ? 1.0 : 0.0;
    const int answer = scnf(q, mt);
    if (answer == RTERROR || answer == RTCAN) {
      g_pendingPath.assign(path.begin() + static_cast<long>(i), path.end());
      return answer;
    }
    ads_point_set(q, p);
  }
  // As in the host, the drag only shows the set moving: the caller moves it.
  qd::ui::rememberPoint(p);
  return RTNORM;
}

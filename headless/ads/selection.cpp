// Selection sets and their filters.
#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_set>

#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "headless/ads/entity_lists.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::ads {

Session& session() {
  static Session s;
  return s;
}

namespace {
constexpr int64_t kSetMark = 0x5353;  // second word of a selection-set name

// A set keeps its entities in order, with an index of its members so that adding,
// testing and deleting one entity does not walk the set.
struct Set {
  std::vector<AcDbObjectId> ids;
  std::unordered_set<const void*> members;
  explicit Set(std::vector<AcDbObjectId> list = {}) : ids(std::move(list)) {
    for (const auto& id : ids) members.insert(id.stub());
  }
  bool has(AcDbObjectId id) const { return members.count(id.stub()) != 0; }
  void add(AcDbObjectId id) {
    if (members.insert(id.stub()).second) ids.push_back(id);
  }
};
struct SetTable {
  std::map<int64_t, Set> sets;
  int64_t next = 1;
};
SetTable& sets() {
  static SetTable t;
  return t;
}
Set* findSet(const ads_name ss) {
  if (!ss || ss[1] != kSetMark) return nullptr;
  auto it = sets().sets.find(ss[0]);
  return it == sets().sets.end() ? nullptr : &it->second;
}
void newSet(std::vector<AcDbObjectId> ids, ads_name ss) {
  ss[0] = sets().next++;
  ss[1] = kSetMark;
  sets().sets[ss[0]] = Set(std::move(ids));
}

// ---- filters ----
bool stringMatches(const std::u16string& value, const std::u16string& pattern) {
  // Filter strings compare without regard to case, with wild cards.
  return acutWcMatch(text::toUpper(value).c_str(), text::toUpper(pattern).c_str()) == RTNORM;
}

bool compareTag(const db::Tag& v, const db::Tag& f, const std::u16string& op) {
  if (op == u"*") return true;
  double a = 0, b = 0;
  switch (f.kind) {
    case db::TagKind::String:
    case db::TagKind::Handle: {
      const bool m = stringMatches(v.str, f.str);
      return op == u"!=" || op == u"/=" || op == u"<>" ? !m : m;
    }
    case db::TagKind::Point: {
      // ">,>,*": one test a coordinate; a single operator tests the whole point.
      if (op.find(u',') != std::u16string::npos) {
        const double have[3] = {v.pt.x, v.pt.y, v.pt.z}, want[3] = {f.pt.x, f.pt.y, f.pt.z};
        size_t from = 0;
        for (int k = 0; k < 3 && from <= op.size(); ++k) {
          size_t to = op.find(u',', from);
          if (to == std::u16string::npos) to = op.size();
          const std::u16string part = op.substr(from, to - from);
          from = to + 1;
          const db::Tag mine = db::Tag::makeReal(v.code, have[k]), wanted = db::Tag::makeReal(f.code, want[k]);
          if (!compareTag(mine, wanted, part.empty() ? u"=" : part)) return false;
        }
        return true;
      }
      const bool eq = v.pt.isEqualTo(f.pt);
      return op == u"!=" || op == u"/=" || op == u"<>" ? !eq : eq;
    }
    case db::TagKind::Real: a = v.real; b = f.real; break;
    case db::TagKind::Id: return (v.id == f.id) == (op == u"=");
    default: a = static_cast<double>(v.integer); b = static_cast<double>(f.integer); break;
  }
  if (op == u"=") return a == b;
  if (op == u"!=" || op == u"/=" || op == u"<>") return a != b;
  if (op == u"<") return a < b;
  if (op == u"<=") return a <= b;
  if (op == u">") return a > b;
  if (op == u">=") return a >= b;
  if (op == u"&") return (static_cast<int64_t>(a) & static_cast<int64_t>(b)) != 0;
  if (op == u"&=") return (static_cast<int64_t>(a) & static_cast<int64_t>(b)) == static_cast<int64_t>(b);
  return false;
}

struct Candidate {
  AcDbObject* obj;
  db::Tags tags;  // made on first use
  bool haveTags = false;
  const db::Tags& get() {
    if (!haveTags) {
      tags = objectTags(obj);
      db::Tag type;
      type.code = 0;
      type.str = dxfNameOf(obj);
      tags.insert(tags.begin(), type);
      // The space an entity is in: 67 and the layout's name, 410, as the host lists them.
      if (auto* e = AcDbEntity::cast(obj); e && e->database()) {
        auto* d = e->database()->impl();
        const bool paper = e->ownerId() != d->modelSpace;
        if (std::none_of(tags.begin(), tags.end(), [](const db::Tag& t) { return t.code == 67; }))
          tags.push_back(db::Tag::makeInt(67, paper ? 1 : 0));
        tags.push_back(db::Tag::makeString(410, layoutNameOf(d, e->ownerId())));
      }
      haveTags = true;
    }
    return tags;
  }
};

bool testItem(Candidate& c, const resbuf* item, const std::u16string& op) {
  if (item->restype == -3) {
    // Every application listed must have extended data on the entity.
    for (const resbuf* a = item->rbnext; a && a->restype == 1001; a = a->rbnext) {
      RbList xd(c.obj->xData(nullptr));
      bool any = false;
      for (const resbuf* x = xd.get(); x; x = x->rbnext)
        if (x->restype == 1001 && acutWcMatch(text::toUpper(x->resval.rstring).c_str(),
                                              text::toUpper(a->resval.rstring).c_str()) == RTNORM)
          any = true;
      if (!any) return false;
    }
    return true;
  }
  db::Tag f;
  if (!db::resbufToTag(*item, f)) return false;
  // The layer, colour and linetype of an entity are looked up as written.
  if (item->restype == 62 && f.integer == 256) {
    for (const auto& t : c.get())
      if (t.code == 62) return compareTag(t, f, op);
    return true;
  }
  for (const auto& t : c.get())
    if (t.code == item->restype) return compareTag(t, f, op);
  if (item->restype == 62) {
    db::Tag byLayer = db::Tag::makeInt(62, 256);
    return compareTag(byLayer, f, op);
  }
  return false;
}

// Evaluates a filter list from `rb` until the closing operator; advances `rb`.
bool evaluate(Candidate& c, const resbuf*& rb, const std::u16string& group) {
  const bool isOr = group == u"<OR", isXor = group == u"<XOR", isNot = group == u"<NOT";
  bool result = !(isOr || isXor);
  int trues = 0;
  std::u16string pendingOp = u"=";
  while (rb) {
    const resbuf* item = rb;
    rb = rb->rbnext;
    bool value;
    if (item->restype == -4) {
      const std::u16string op = text::toUpper(item->resval.rstring ? item->resval.rstring : u"");
      // Only the four logical names group; "<,<,*" and ">=" are comparisons.
      if (op == u"<AND" || op == u"<OR" || op == u"<XOR" || op == u"<NOT") {
        value = evaluate(c, rb, op);
      } else if (op == u"AND>" || op == u"OR>" || op == u"XOR>" || op == u"NOT>") {
        break;
      } else {
        pendingOp = op;
        continue;
      }
    } else {
      value = testItem(c, item, pendingOp);
      if (item->restype == -3) {
        while (rb && rb->restype == 1001) rb = rb->rbnext;
      }
      pendingOp = u"=";
    }
    if (isOr) result = result || value;
    else if (isXor) trues += value ? 1 : 0;
    else result = result && value;
  }
  if (isXor) return trues == 1;
  return isNot ? !result : result;
}

bool passes(AcDbObject* obj, const resbuf* filter) {
  if (!filter) return true;
  Candidate c{obj, {}, false};
  const resbuf* rb = filter;
  return evaluate(c, rb, u"<AND");
}

bool layerVisible(AcDbDatabase::Impl* d, const AcDbEntity* e) {
  auto* layer = AcDbLayerTableRecord::cast(d->peek(e->layerId()));
  return !layer || (!layer->isFrozen() && !layer->isOff());
}

bool segmentCrossesBox(AcGePoint3d a, AcGePoint3d b, double x1, double y1, double x2, double y2) {
  // Liang-Barsky clipping in the XY plane.
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {a.x - x1, x2 - a.x, a.y - y1, y2 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  return true;
}

bool inWindow(AcDbEntity* e, double x1, double y1, double x2, double y2, bool crossing) {
  AcDbExtents ext;
  if (e->getGeomExtents(ext) != Acad::eOk || !ext.isValid()) return false;
  const AcGePoint3d mn = ext.minPoint(), mx = ext.maxPoint();
  if (mn.x >= x1 && mx.x <= x2 && mn.y >= y1 && mx.y <= y2) return true;
  if (!crossing) return false;
  if (mx.x < x1 || mn.x > x2 || mx.y < y1 || mn.y > y2) return false;
  if (auto* line = AcDbLine::cast(e)) return segmentCrossesBox(line->startPoint(), line->endPoint(), x1, y1, x2, y2);
  return true;
}
}  // namespace

}  // namespace qd::ads

using namespace qd::ads;

int acedSSGet(const ACHAR* mode, const void* arg1, const void* arg2, const resbuf* filter, ads_name ss) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !ss) return RTERROR;
  auto* d = db->impl();
  const std::u16string m = qd::text::toUpper(mode ? mode : u"");
  std::u16string key = m;
  if (!key.empty() && key[0] == u'_') key.erase(0, 1);
  std::vector<AcDbObjectId> picked;
  auto spaceEntities = [&](AcDbObjectId space, auto&& take) {
    auto* btr = AcDbBlockTableRecord::cast(d->peek(space));
    if (!btr) return;
    for (const auto& id : btr->entityIds()) {
      auto* e = AcDbEntity::cast(d->peek(id));
      if (e && !e->isErased()) take(e);
    }
  };
  if (key == u"X") {
    // Every layout's entities: model space, then the layouts in the block table's order.
    std::vector<AcDbObjectId> spaces{db->modelSpaceId()};
    if (auto* table = AcDbBlockTable::cast(d->peek(d->blockTable)))
      for (const AcDbObjectId& id : table->recordIds())
        if (auto* btr = AcDbBlockTableRecord::cast(d->peek(id)); btr && !btr->isErased() && btr->isLayout() &&
                                                                   id != d->modelSpace)
          spaces.push_back(id);
    for (AcDbObjectId space : spaces)
      spaceEntities(space, [&](AcDbEntity* e) {
        if (passes(e, filter)) picked.push_back(e->objectId());
      });
  } else if (key == u"C" || key == u"W") {
    if (!arg1 || !arg2) return RTERROR;
    const double* p1 = static_cast<const double*>(arg1);
    const double* p2 = static_cast<const double*>(arg2);
    const double x1 = std::min(p1[0], p2[0]), x2 = std::max(p1[0], p2[0]);
    const double y1 = std::min(p1[1], p2[1]), y2 = std::max(p1[1], p2[1]);
    spaceEntities(db->currentSpaceId(), [&](AcDbEntity* e) {
      if (layerVisible(d, e) && inWindow(e, x1, y1, x2, y2, key == u"C") && passes(e, filter))
        picked.push_back(e->objectId());
    });
  } else if (key == u"L") {
    ads_name last;
    if (acdbEntLast(last) == RTNORM) {
      AcDbObjectId id;
      acdbGetObjectId(id, last);
      if (passes(d->peek(id), filter)) picked.push_back(id);
    }
  } else if (key.empty() || key == u":S" || key == u"+.:S" || key == u":E" || key == u":S:E") {
    // The user selects; only what passes the filter is kept, as in the host.
    auto& select = session().selectObjects;
    std::vector<AcDbObjectId> chosen;
    const int rc = select ? select(key, chosen) : RTERROR;
    if (rc != RTNORM) return rc;
    for (const auto& id : chosen)
      if (passes(d->peek(id), filter)) picked.push_back(id);
  } else {
    return RTERROR;
  }
  if (picked.empty()) return RTERROR;
  newSet(std::move(picked), ss);
  return RTNORM;
}

int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result) {
  std::vector<AcDbObjectId> ids;
  if (sname && !ads_name_nil(sname)) {
    auto* set = findSet(sname);
    if (!set) return RTERROR;
    if (!ename || ads_name_nil(ename)) {
      newSet(set->ids, result);
      return RTNORM;
    }
    AcDbObjectId id;
    if (acdbGetObjectId(id, ename) != Acad::eOk || !id.isValid()) return RTERROR;
    set->add(id);
    ads_name_set(sname, result);
    return RTNORM;
  }
  if (ename && !ads_name_nil(ename)) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, ename) != Acad::eOk || !id.isValid()) return RTERROR;
    ids.push_back(id);
  }
  newSet(std::move(ids), result);
  return RTNORM;
}

int acedSSDel(const ads_name ename, const ads_name ss) {
  auto* set = findSet(ss);
  AcDbObjectId id;
  if (!set || acdbGetObjectId(id, ename) != Acad::eOk) return RTERROR;
  if (!set->has(id)) return RTERROR;
  set->ids.erase(std::find(set->ids.begin(), set->ids.end(), id));
  set->members.erase(id.stub());
  return RTNORM;
}

namespace qd::ads {
std::vector<AcDbObjectId> idsOfSet(const ads_name ss) {
  const Set* set = findSet(ss);
  return set ? set->ids : std::vector<AcDbObjectId>();
}
}  // namespace qd::ads

int acedSSName(const ads_name ss, int32_t i, ads_name entres) {
  auto* set = findSet(ss);
  if (!set || i < 0 || static_cast<size_t>(i) >= set->ids.size()) return RTERROR;
  acdbGetAdsName(entres, set->ids[static_cast<size_t>(i)]);
  return RTNORM;
}

int acedSSLength(const ads_name ss, int32_t* len) {
  auto* set = findSet(ss);
  if (!set || !len) return RTERROR;
  *len = static_cast<int32_t>(set->ids.size());
  return RTNORM;
}

int acedSSFree(const ads_name ss) {
  if (!findSet(ss)) return RTERROR;
  sets().sets.erase(ss[0]);
  return RTNORM;
}

int acedSSMemb(const ads_name ename, const ads_name ss) {
  auto* set = findSet(ss);
  AcDbObjectId id;
  if (!set || acdbGetObjectId(id, ename) != Acad::eOk) return RTERROR;
  return set->has(id) ? RTNORM : RTERROR;
}

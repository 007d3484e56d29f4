// Hxanchor: the module of the arrow entity, with the LISP functions "hx_MyArrow" (make
// an arrow) and "hx_ssget_a" (a filtered selection).
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "arrow/Hxarrow.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbsymtb.h"
#include "host/rxregsvc.h"

using qd::support::Opened;
using qd::support::ResbufList;
using qd::support::SelectionSet;

namespace {

enum Function { kMyArrow = 0, kSsgetA = 1 };

AcGePoint3d toWorld(const ads_point p) {
  ads_point w;
  qd::support::toUcsOrWcs(p, 0, w);
  return {w[X], w[Y], w[Z]};
}

AcGeVector3d ucsNormal() {
  resbuf x{}, y{};
  acedGetVar(u"UCSXDIR", &x);
  acedGetVar(u"UCSYDIR", &y);
  const AcGeVector3d xd(x.resval.rpoint[X], x.resval.rpoint[Y], x.resval.rpoint[Z]);
  const AcGeVector3d yd(y.resval.rpoint[X], y.resval.rpoint[Y], y.resval.rpoint[Z]);
  const AcGeVector3d n = xd.crossProduct(yd);
  return n.isZeroLength() ? AcGeVector3d::kZAxis : n.normal();
}

// (hx_MyArrow from to layer size): from and to are 3D points of the current UCS.
int makeArrow() {
  const resbuf* a = acedGetArgs();
  const resbuf* from = a;
  const resbuf* to = from ? from->rbnext : nullptr;
  const resbuf* layer = to ? to->rbnext : nullptr;
  const resbuf* size = layer ? layer->rbnext : nullptr;
  if (!from || from->restype != RT3DPOINT || !to || to->restype != RT3DPOINT || !layer || layer->restype != RTSTR ||
      !size || size->restype != RTREAL)
    return RTERROR;
  auto* arrow = new Hxarrow();
  ads_point w1, w2;
  const double back = acutAngle(to->resval.rpoint, from->resval.rpoint);
  acutPolar(to->resval.rpoint, back + Hxarrow::kHeadAngle, size->resval.rreal, w1);
  acutPolar(to->resval.rpoint, back - Hxarrow::kHeadAngle, size->resval.rreal, w2);
  arrow->setPoints(toWorld(from->resval.rpoint), toWorld(to->resval.rpoint), toWorld(w1), toWorld(w2));
  arrow->setNormal(ucsNormal());
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) {
    acedAlert(u"Failed to get block table!");
    delete arrow;
    return acedRetNil();
  }
  AcDbBlockTableRecord* space = nullptr;
  const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  if (es != Acad::eOk) {
    acedAlert(u"Failed to get block table record!");
    delete arrow;
    return acedRetNil();
  }
  Opened<AcDbBlockTableRecord> owner(space);
  AcDbObjectId id;
  if (space->appendAcDbEntity(id, arrow) != Acad::eOk) {
    acedAlert(u"Failed to append entity!");
    delete arrow;
    return acedRetNil();
  }
  arrow->setLayer(layer->resval.rstring);
  arrow->close();
  return acedRetNil();
}

// The arguments of hx_ssget_a, read in order; false for a wrong type or count.
struct Filter {
  const resbuf* set = nullptr;  // null for the current space
  std::u16string classes, blocks, layers, apps;
  bool hasApps = false;
  int layerState = 0;
};

bool readFilter(const resbuf* rb, Filter& f) {
  auto text = [&](std::u16string& out) {
    if (!rb || rb->restype != RTSTR || !rb->resval.rstring) return false;
    out = rb->resval.rstring;
    rb = rb->rbnext;
    return true;
  };
  if (!rb || (rb->restype != RTPICKS && rb->restype != RTNIL)) return false;
  if (rb->restype == RTPICKS) f.set = rb;
  rb = rb->rbnext;
  if (!text(f.classes) || !text(f.blocks) || !text(f.layers) || !rb) return false;
  if (rb->restype == RTLB) {
    f.hasApps = true;
    for (rb = rb->rbnext; rb && rb->restype != RTLE; rb = rb->rbnext) {
      if (rb->restype != RTSTR || !rb->resval.rstring) return false;
      if (!f.apps.empty()) f.apps += u",";
      f.apps += rb->resval.rstring;
    }
    if (!rb) return false;
    rb = rb->rbnext;
  } else if (rb->restype == RTNIL) {
    rb = rb->rbnext;
  } else {
    return false;
  }
  std::u16string state;
  if (!text(state)) return false;
  std::string digits(state.begin(), state.end());
  f.layerState = std::atoi(digits.c_str());
  return rb == nullptr;  // nothing after the sixth
}

// The layers that match the pattern, without those off (L not 0) or frozen (L even).
std::vector<std::u16string> layerList(const Filter& f) {
  std::vector<std::u16string> names;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbLayerTable* table = nullptr;
  if (!db || db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return names;
  AcDbLayerTableIterator* raw = nullptr;
  table->newIterator(raw);
  std::unique_ptr<AcDbLayerTableIterator> it(raw);
  for (; !it->done(); it->step()) {
    AcDbLayerTableRecord* layer = nullptr;
    if (it->getRecord(layer, AcDb::kForRead) != Acad::eOk) continue;
    const bool keep = acutWcMatch(layer->nameConst(), f.layers.c_str()) == RTNORM &&
                      !(f.layerState != 0 && layer->isOff()) && !(f.layerState % 2 == 0 && layer->isFrozen());
    if (keep) names.emplace_back(layer->nameConst());
    layer->close();
  }
  table->close();
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<AcDbObjectId> candidates(const Filter& f) {
  std::vector<AcDbObjectId> ids;
  if (f.set) {
    AcDbObjectIdArray found;
    qd::support::selectionToIds(f.set->resval.rlname, found);
    for (const auto& id : found) ids.push_back(id);
    return ids;
  }
  Opened<AcDbBlockTableRecord> space(qd::support::currentSpace(), AcDb::kForRead);
  if (!space) {
    qd::support::reportFailure(u"AcDbBlockTableRecord::getAt", space.status());
    return ids;
  }
  AcDbBlockTableRecordIterator* raw = nullptr;
  space->newIterator(raw);
  std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
  for (; !it->done(); it->step()) {
    AcDbEntity* e = nullptr;
    if (it->getEntity(e, AcDb::kForRead) != Acad::eOk) continue;
    if (acutWcMatch(e->isA()->name(), f.classes.c_str()) == RTNORM &&
        acutWcMatch(e->layer(), f.layers.c_str()) == RTNORM && !qd::support::isSubEntity(e))
      ids.push_back(e->objectId());
    e->close();
  }
  return ids;
}

bool passes(AcDbObjectId id, const Filter& f, const std::vector<std::u16string>& layers) {
  Opened<AcDbEntity> e(id, AcDb::kForRead);
  if (!e || !std::binary_search(layers.begin(), layers.end(), std::u16string(e->layer()))) return false;
  if (auto* ref = AcDbBlockReference::cast(e.get())) {
    Opened<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
    if (!block || acutWcMatch(block->nameConst(), f.blocks.c_str()) != RTNORM) return false;
  }
  if (!f.hasApps) return true;
  ResbufList data(e->xData(f.apps.c_str()));
  return data.get() != nullptr;
}

int selectArrows() {
  Filter f;
  if (!readFilter(acedGetArgs(), f)) return RTERROR;
  const std::vector<AcDbObjectId> ids = candidates(f);
  if (ids.empty()) return RTERROR;
  const std::vector<std::u16string> layers = layerList(f);
  SelectionSet result;
  for (const auto& id : ids) {
    if (!passes(id, f, layers)) continue;
    ads_name en;
    acdbGetAdsName(en, id);
    acedSSAdd(en, result.empty() ? nullptr : result.name(), result.name());
  }
  if (result.empty()) return acedRetNil();
  ads_name out;
  result.release(out);
  return acedRetName(out, RTPICKS);
}

int dispatch() {
  switch (acedGetFunCode()) {
    case kMyArrow: return makeArrow();
    case kSsgetA: return selectArrows();
    default: return RTERROR;
  }
}

}  // namespace

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      acrxUnlockApplication(appId);
      acrxRegisterAppMDIAware(appId);
      Hxarrow::rxInit();
      acrxBuildClassHierarchy();
      break;
    case AcRx::kUnloadAppMsg: deleteAcRxClass(Hxarrow::desc()); break;
    case AcRx::kLoadDwgMsg:
      acedDefun(u"hx_MyArrow", kMyArrow);
      acedDefun(u"hx_ssget_a", kSsgetA);
      break;
    case AcRx::kUnloadDwgMsg:
      acedUndef(u"hx_MyArrow", kMyArrow);
      acedUndef(u"hx_ssget_a", kSsgetA);
      break;
    case AcRx::kInvkSubrMsg: return static_cast<AcRx::AppRetCode>(dispatch() == RTNORM ? RSRSLT : RSERR);
    default: break;
  }
  return AcRx::kRetOK;
}

#include "Library/Inc/parts.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/MFLUSH.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbdict.h"

namespace qd::support {
namespace {

constexpr const ACHAR* kDictionary = u"QDHK_HANDLE";
constexpr const ACHAR* kOpening = u"{TORVEL_PART";

AcDbDatabase* drawing() { return acdbHostApplicationServices()->workingDatabase(); }

// The parts dictionary, created when `create` and missing.
AcDbObjectId partsDictionary(bool create) {
  Opened<AcDbDictionary> root;
  if (root.open(drawing()->namedObjectsDictionaryId(), create ? AcDb::kForWrite : AcDb::kForRead) != Acad::eOk) {
    reportFailure(u"AcDbDictionary::getAt", root.status());
    return {};
  }
  AcDbObjectId id;
  if (root->getAt(kDictionary, id) == Acad::eOk) return id;
  if (!create) return {};
  auto* dict = new AcDbDictionary();
  if (Acad::ErrorStatus es = root->setAt(kDictionary, dict, id); es != Acad::eOk) {
    delete dict;
    reportFailure(u"AcDbDictionary::setAt", es);
    return {};
  }
  dict->close();
  return id;
}

AcDbObjectId entryOf(const ACHAR* name) {
  const AcDbObjectId dictId = partsDictionary(false);
  if (dictId.isNull()) return {};
  Opened<AcDbDictionary> dict(dictId, AcDb::kForRead);
  AcDbObjectId id;
  if (!dict || dict->getAt(name, id) != Acad::eOk) return {};
  return id;
}

resbuf* memberEntry(AcDbObjectId id) {
  resbuf* rb = acutNewRb(330);
  acdbGetAdsName(rb->resval.rlname, id);
  return rb;
}

// "{TORVEL_PART", a 330 group per member, "}".
resbuf* memberList(const AcDbObjectIdArray& members) {
  resbuf* head = acutBuildList(102, kOpening, 0);
  resbuf* tail = head;
  for (const auto& id : members) tail = tail->rbnext = memberEntry(id);
  tail->rbnext = acutBuildList(102, u"}", 0);
  return head;
}

// The members recorded in an entry, in order (330 and 340 groups after the opening).
AcDbObjectIdArray membersOf(AcDbObjectId entry) {
  AcDbObjectIdArray ids;
  Opened<AcDbXrecord> xr(entry, AcDb::kForRead);
  if (!xr) return ids;
  ResbufList chain;
  if (Acad::ErrorStatus es = xr->rbChain(chain.out()); es != Acad::eOk) {
    reportFailure(u"AcDbXrecord::rbChain", es);
    return ids;
  }
  bool opened = false;
  for (const resbuf* rb = chain.get(); rb; rb = rb->rbnext) {
    if (rb->restype == 102) opened = rb->resval.rstring && std::u16string(rb->resval.rstring) == kOpening;
    else if (opened && (rb->restype == 330 || rb->restype == 340)) {
      AcDbObjectId id;
      if (acdbGetObjectId(id, rb->resval.rlname) == Acad::eOk) ids.append(id);
    }
  }
  return ids;
}

AcDbObjectIdArray setToIds(const ads_name set) {
  AcDbObjectIdArray ids;
  selectionToIds(set, ids);
  return ids;
}

}  // namespace

bool partExists(const ACHAR* name) {
  if (!entryOf(name).isNull()) return true;
  ads_name record;
  if (acdbTblObjName(u"APPID", name, record) != RTNORM) return false;
  ResbufList apps(acutBuildList(RTSTR, u"TVHK_HANDLE", 0));
  ResbufList list(acdbEntGetX(record, apps.get()));
  for (const resbuf* rb = list.get(); rb; rb = rb->rbnext)
    if (rb->restype == -3) return true;
  return false;
}

bool createPart(const ACHAR* name, const AcDbObjectIdArray& members) {
  const AcDbObjectId dictId = partsDictionary(true);
  Opened<AcDbDictionary> dict(dictId, AcDb::kForWrite);
  if (!dict) {
    reportFailure(u"AcDbDictionary::getAt", dict.status());
    return false;
  }
  if (dict->has(name)) return true;
  auto* xr = new AcDbXrecord();
  AcDbObjectId id;
  if (Acad::ErrorStatus es = dict->setAt(name, xr, id); es != Acad::eOk) {
    delete xr;
    reportFailure(u"AcDbDictionary::setAt", es);
    return false;
  }
  ResbufList data(memberList(members));
  if (Acad::ErrorStatus es = xr->setFromRbChain(*data.get()); es != Acad::eOk)
    reportFailure(u"AcDbXrecord::setFromRbChain", es);
  xr->close();
  return true;
}

bool addToPart(const ACHAR* name, const AcDbObjectIdArray& members, bool convertLegacy) {
  const AcDbObjectId entry = entryOf(name);
  if (entry.isNull()) {
    AcDbObjectIdArray all;
    if (convertLegacy) {
      SelectionSet legacy;
      if (gatherLegacy(name, true, legacy.name())) all = setToIds(legacy.name());
      // Gathering stored the legacy members already; the new ones are added to them.
      if (!entryOf(name).isNull()) return addToPart(name, members, false);
    }
    for (const auto& id : members) all.append(id);
    return createPart(name, all);
  }
  Opened<AcDbXrecord> xr(entry, AcDb::kForWrite);
  if (!xr) return false;
  ResbufList chain;
  if (Acad::ErrorStatus es = xr->rbChain(chain.out()); es != Acad::eOk) {
    reportFailure(u"AcDbXrecord::rbChain", es);
    return false;
  }
  // New members go in front of the closing "}".
  resbuf* before = nullptr;
  for (resbuf* rb = chain.get(); rb; rb = rb->rbnext)
    if (rb->rbnext && rb->rbnext->restype == 102 && rb->rbnext->resval.rstring &&
        std::u16string(rb->rbnext->resval.rstring) == u"}")
      before = rb;
  if (!before) return false;
  for (const auto& id : members) {
    resbuf* rb = memberEntry(id);
    rb->rbnext = before->rbnext;
    before->rbnext = rb;
    before = rb;
  }
  if (Acad::ErrorStatus es = xr->setFromRbChain(*chain.get()); es != Acad::eOk) {
    reportFailure(u"AcDbXrecord::setFromRbChain", es);
    return false;
  }
  return true;
}

bool gatherLegacy(const ACHAR* name, bool quiet, ads_name set) {
  ads_name_clear(set);
  HandleArray entries;
  ads_name record;
  const bool hasList = acdbTblObjName(u"APPID", name, record) == RTNORM && readHandleList(name, entries);
  if (hasList) {
    expandHandleList(entries, set);
  } else {
    if (!quiet) acutPrintf(u"%ls", dictText(1, 2, 805));
    ResbufList filter(acutBuildList(-3, 1001, name, 0));
    if (acedSSGet(u"_X", nullptr, nullptr, filter.get(), set) != RTNORM) ads_name_clear(set);
  }
  if (ads_name_nil(set)) return false;
  // Stored in the current form, so the legacy form is read only once.
  createPart(name, setToIds(set));
  return true;
}

int partSelection(const ACHAR* name, AcDb::OpenMode mode, ads_name set) {
  ads_name_clear(set);
  AcDbObjectIdArray members;
  const AcDbObjectId entry = entryOf(name);
  if (!entry.isNull()) {
    members = membersOf(entry);
  } else {
    SelectionSet legacy;
    if (gatherLegacy(name, false, legacy.name())) selectionToIds(legacy.name(), members);
  }
  int count = 0, locked = 0;
  std::unordered_set<int64_t> taken;
  for (const auto& id : members) {
    if (taken.count(id.asOldId())) continue;
    AcDbEntity* e = nullptr;
    const Acad::ErrorStatus es = acdbOpenObject(e, id, mode);
    if (es == Acad::eOnLockedLayer) {
      ++locked;
      continue;
    }
    if (es != Acad::eOk) continue;
    e->close();
    taken.insert(id.asOldId());
    ads_name en;
    acdbGetAdsName(en, id);
    acedSSAdd(en, ads_name_nil(set) ? nullptr : set, set);
    ++count;
  }
  if (locked == 1) acutPrintf(u"\n%ls\n", dictText(1, 3, 598));
  else if (locked > 1) acutPrintf(u"\n%d%ls\n", locked, dictText(1, 3, 599));
  return count + 1;
}

}  // namespace qd::support

#include "Library/Inc/PFLUSH.h"

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "Library/Inc/parts.h"
#include "host/adslib.h"

#define QD_SOURCE "Library/Inc/PFLUSH"

namespace qd::support {
namespace {

const resbuf* group(const resbuf* list, int code) {
  for (const resbuf* rb = list; rb; rb = rb->rbnext)
    if (rb->restype == code) return rb;
  return nullptr;
}

// Every entity after `last` goes through the walk.
void walkAfter(const ads_name last, HandleWalk& walk, HandleArray& handles, bool skipOwnSubs) {
  ads_name at, next;
  ads_name_set(last, at);
  bool recorded = false;
  while (acdbEntNext(at, next) == RTNORM) {
    ResbufList list(acdbEntGet(next));
    const resbuf* type = group(list.get(), 0);
    // Sub-entities of `last` itself only move the walk on.
    if (skipOwnSubs && !recorded && type && acutWcMatch(type->resval.rstring, u"VERTEX,ATTRIB,SEQEND") == RTNORM) {
      walk.reset(nullptr);
    } else {
      walk.take(list.get(), handles);
      recorded = true;
    }
    ads_name_set(next, at);
  }
}

}  // namespace

void HandleWalk::reset(const resbuf* list) {
  const resbuf* follows = group(list, 66);
  m_following = follows ? follows->resval.rint : 0;
  m_inside = false;
}

void HandleWalk::startInside() {
  m_inside = true;
  m_following = 0;
}

void HandleWalk::take(const resbuf* list, HandleArray& handles) {
  if (m_following == 0 || m_inside) {
    if (const resbuf* follows = group(list, 66)) m_following = follows->resval.rint;
    const resbuf* handle = group(list, 5);
    if (!handle || !handle->resval.rstring) {
      QD_ERR(1, u"No handle!");
      return;
    }
    handles.push_back(std::u16string(handle->resval.rstring).substr(0, 50));
    return;
  }
  const resbuf* type = group(list, 0);
  if (type && type->resval.rstring && std::u16string(type->resval.rstring) == u"SEQEND") m_following = 0;
}

int recordNewPart(const ACHAR* name, const ads_name last) {
  AcDbObjectIdArray ids;
  if (collectAfter(last, ids) && createPart(name, ids)) return 0;
  HandleWalk walk;
  ResbufList lastList(acdbEntGet(last));
  walk.reset(lastList.get());
  HandleArray handles;
  walkAfter(last, walk, handles, true);
  writeHandleList(name, handles);
  return 0;
}

int appendToPart(const ACHAR* name, const ads_name last) {
  AcDbObjectIdArray ids;
  if (collectAfter(last, ids) && addToPart(name, ids, true)) return 0;
  HandleArray entries;
  if (readHandleList(name, entries)) {
    HandleArray handles = expandHandleList(entries);
    HandleWalk walk;
    ResbufList lastList(acdbEntGet(last));
    walk.reset(lastList.get());
    walkAfter(last, walk, handles, false);
    writeHandleList(name, handles);
    return 0;
  }
  ResbufList filter(acutBuildList(-3, 1001, name, 0));
  if (!filter.get()) {
    QD_ERR(1, u"Low memory");
    return 0;
  }
  SelectionSet tagged;
  if (acedSSGet(u"_X", nullptr, nullptr, filter.get(), tagged.name()) != RTNORM) return 0;
  AcDbObjectIdArray members;
  selectionToIds(tagged.name(), members);
  if (addToPart(name, members, false)) return 0;
  HandleWalk walk;
  walk.startInside();
  HandleArray handles;
  for (int32_t i = 0; i < tagged.length(); ++i) {
    ads_name e;
    acedSSName(tagged.name(), i, e);
    ResbufList list(acdbEntGet(e));
    walk.take(list.get(), handles);
  }
  sortHandles(handles);
  writeHandleList(name, handles);
  return 0;
}

}  // namespace qd::support

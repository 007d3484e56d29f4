#include "Library/Inc/MFLUSH.h"

#include <algorithm>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/adslib.h"

#define QD_SOURCE "Library/Inc/MFLUSH"

namespace qd::support {
namespace {

bool exists(const std::u16string& handle) {
  ads_name e;
  if (acdbHandEnt(handle.c_str(), e) != RTNORM) return false;
  ResbufList list(acdbEntGet(e));
  return list.get() != nullptr;
}

std::u16string upper(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return s;
}

void take(const std::u16string& handle, HandleArray& out, int64_t* set) {
  if (!exists(handle)) return;
  if (set) {
    ads_name e;
    acdbHandEnt(handle.c_str(), e);
    acedSSAdd(e, ads_name_nil(set) ? nullptr : set, set);
  } else {
    out.push_back(handle.substr(0, 50));
  }
}

}  // namespace

bool handleLess(const std::u16string& a, const std::u16string& b) {
  const size_t n = std::max(a.size(), b.size());
  const std::u16string pa = std::u16string(n - a.size(), u'0') + upper(a);
  const std::u16string pb = std::u16string(n - b.size(), u'0') + upper(b);
  return pa < pb;
}

void sortHandles(HandleArray& handles) { std::sort(handles.begin(), handles.end(), handleLess); }

bool readHandleList(const ACHAR* part, HandleArray& entries) {
  entries.clear();
  ads_name record;
  if (acdbTblObjName(u"APPID", part, record) != RTNORM) {
    QD_ERR(1, u"No appid entry: %ls!", part);
    return false;
  }
  ResbufList apps(acutBuildList(RTSTR, u"TVHK_HANDLE", 0));
  ResbufList list(acdbEntGetX(record, apps.get()));
  bool inData = false, found = false;
  for (const resbuf* rb = list.get(); rb; rb = rb->rbnext) {
    if (rb->restype == 1001) inData = rb->resval.rstring && std::u16string(rb->resval.rstring) == u"TVHK_HANDLE";
    else if (inData && rb->restype == 1000 && rb->resval.rstring) {
      entries.push_back(std::u16string(rb->resval.rstring).substr(0, 50));
      found = true;
    }
  }
  return found;
}

HandleArray compressHandles(const HandleArray& handles) {
  HandleArray out;
  size_t runStart = 0;
  auto closeRun = [&](size_t end) {  // the run is handles[runStart .. end]
    if (end == runStart) return;
    if (end - runStart + 1 >= 3) out.push_back(u"<" + handles[end]);
    else out.push_back(handles[end]);
  };
  for (size_t i = 0; i < handles.size(); ++i) {
    if (i > 0 && upper(handles[i]) == upper(handleAdd(handles[i - 1].c_str(), 1))) continue;
    if (i > 0) closeRun(i - 1);
    out.push_back(handles[i]);
    runStart = i;
  }
  if (!handles.empty()) closeRun(handles.size() - 1);
  return out;
}

bool writeHandleList(const ACHAR* part, const HandleArray& handles) {
  ads_name record;
  if (acdbTblObjName(u"APPID", part, record) != RTNORM) {
    QD_ERR(1, u"No appid entry: %ls!", part);
    return false;
  }
  ResbufList list(acdbEntGet(record));
  if (!list.get()) {
    QD_ERR(1, u"Empty appid entry: %ls!", part);
    return false;
  }
  resbuf* tail = list.get();
  while (tail->rbnext) tail = tail->rbnext;
  tail->rbnext = acutBuildList(-3, 1001, u"TVHK_HANDLE", 0);
  while (tail->rbnext) tail = tail->rbnext;
  for (const auto& entry : compressHandles(handles)) {
    tail->rbnext = acutBuildList(1000, entry.c_str(), 0);
    tail = tail->rbnext;
  }
  acdbRegApp(u"TVHK_HANDLE");
  if (acdbEntMod(list.get()) != RTNORM) {
    QD_ERR(1, u"Bad entmod!");
    return false;
  }
  return true;
}

HandleArray expandHandleList(const HandleArray& entries, int64_t* set) {
  HandleArray out;
  std::u16string previous;
  for (const auto& entry : entries) {
    if (entry.empty() || entry[0] != u'<') {
      previous = entry;
      take(entry, out, set);
      continue;
    }
    if (previous.empty()) {
      QD_ERR(1, u"Unexpected interval!");
      continue;
    }
    const std::u16string last = entry.substr(1);
    for (std::u16string h = handleAdd(previous.c_str(), 1); !handleLess(last, h); h = handleAdd(h.c_str(), 1)) take(h, out, set);
    previous.clear();
  }
  return out;
}

}  // namespace qd::support

#include "headless/ads/resbuf_util.h"

#include <cstdarg>
#include <cstring>
#include <vector>

#include "headless/db/tags.h"
#include "host/adslib.h"

namespace qd::ads {

RbList::~RbList() { acutRelRb(m_rb); }
void RbList::reset(resbuf* rb) {
  acutRelRb(m_rb);
  m_rb = rb;
  m_tail = nullptr;
}

void RbList::add(resbuf* rb) {
  if (!rb) return;
  if (!m_rb) m_rb = rb;
  else last(m_tail ? m_tail : m_rb)->rbnext = rb;
  m_tail = last(rb);
}

bool holdsString(int t) {
  if (t >= 5000) return t == RTSTR;
  const auto k = qd::db::tagKindOf(t);
  return k == qd::db::TagKind::String || k == qd::db::TagKind::Handle;
}
bool holdsBinary(int t) { return t < 5000 && qd::db::tagKindOf(t) == qd::db::TagKind::Binary; }

resbuf* copyOne(const resbuf* rb) {
  resbuf* n = acutNewRb(rb->restype);
  n->resval = rb->resval;
  if (holdsString(rb->restype)) {
    n->resval.rstring = rb->resval.rstring ? acutNewString(rb->resval.rstring) : nullptr;
  } else if (holdsBinary(rb->restype)) {
    const short len = rb->resval.rbinary.clen > 0 ? rb->resval.rbinary.clen : 0;
    n->resval.rbinary.clen = len;
    n->resval.rbinary.buf = new char[len + 1];
    if (len && rb->resval.rbinary.buf) std::memcpy(n->resval.rbinary.buf, rb->resval.rbinary.buf, len);
  }
  return n;
}

resbuf* copyList(const resbuf* rb) {
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (; rb; rb = rb->rbnext) {
    resbuf* n = copyOne(rb);
    if (tail) tail->rbnext = n;
    else head = n;
    tail = n;
  }
  return head;
}

resbuf* last(resbuf* rb) {
  while (rb && rb->rbnext) rb = rb->rbnext;
  return rb;
}

resbuf* append(resbuf* head, resbuf* tail) {
  if (!head) return tail;
  last(head)->rbnext = tail;
  return head;
}

resbuf* xdataOfApps(const resbuf* xdata, const std::u16string& pattern) {
  resbuf* out = nullptr;
  bool take = false;
  for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
    if (rb->restype == 1001)
      take = rb->resval.rstring && acutWcMatch(rb->resval.rstring, pattern.c_str()) == RTNORM;
    if (take) out = append(out, copyOne(rb));
  }
  return out;
}

bool isWellFormedXData(const resbuf* xdata) {
  if (xdata && xdata->restype != 1001) return false;
  int depth = 0;
  for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
    const int t = rb->restype;
    if (t < 1000 || t > 1071) return false;
    if (t == 1001) {
      if (depth != 0 || !rb->resval.rstring) return false;
    } else if (t == 1002) {
      if (!rb->resval.rstring) return false;
      if (rb->resval.rstring[0] == u'{') ++depth;
      else if (rb->resval.rstring[0] == u'}' && --depth < 0) return false;
    } else if (holdsString(t) && !rb->resval.rstring) {
      return false;
    }
  }
  return depth == 0;
}

namespace {
// Splits a list into (application, groups) runs.
std::vector<std::pair<std::u16string, resbuf*>> splitApps(resbuf* list) {
  std::vector<std::pair<std::u16string, resbuf*>> runs;
  resbuf* rb = list;
  while (rb) {
    resbuf* start = rb;
    resbuf* end = rb;
    while (end->rbnext && end->rbnext->restype != 1001) end = end->rbnext;
    rb = end->rbnext;
    end->rbnext = nullptr;
    runs.emplace_back(start->resval.rstring ? start->resval.rstring : u"", start);
  }
  return runs;
}
bool sameApp(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x -= 32;
    if (y >= u'a' && y <= u'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}
}  // namespace

resbuf* mergeXData(resbuf* current, const resbuf* update) {
  auto runs = splitApps(current);
  auto updates = splitApps(copyList(update));
  for (auto& [app, list] : updates) {
    bool replaced = false;
    for (auto& run : runs) {
      if (!run.second || !sameApp(run.first, app)) continue;
      acutRelRb(run.second);
      run.second = list->rbnext ? list : nullptr;  // an application with no groups is removed
      if (!run.second) acutRelRb(list);
      replaced = true;
      break;
    }
    if (!replaced) {
      if (list->rbnext) runs.emplace_back(app, list);
      else acutRelRb(list);
    }
  }
  resbuf* out = nullptr;
  for (auto& run : runs)
    if (run.second) out = append(out, run.second);
  return out;
}

}  // namespace qd::ads

// ---- the ADS result-buffer functions ----

resbuf* acutNewRb(int type) {
  auto* rb = new resbuf;
  std::memset(rb, 0, sizeof *rb);
  rb->restype = static_cast<short>(type);
  return rb;
}

int acutRelRb(resbuf* rb) {
  while (rb) {
    resbuf* next = rb->rbnext;
    if (qd::ads::holdsString(rb->restype)) delete[] rb->resval.rstring;
    else if (qd::ads::holdsBinary(rb->restype)) delete[] rb->resval.rbinary.buf;
    delete rb;
    rb = next;
  }
  return RTNORM;
}

ACHAR* acutNewString(const ACHAR* text) {
  if (!text) text = u"";
  size_t n = 0;
  while (text[n]) ++n;
  auto* s = new ACHAR[n + 1];
  std::memcpy(s, text, (n + 1) * sizeof(ACHAR));
  return s;
}

void acutDelString(ACHAR*& text) {
  delete[] text;
  text = nullptr;
}

resbuf* acutBuildList(int type, ...) {
  va_list ap;
  va_start(ap, type);
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (int t = type; t != 0 && t != RTNONE; t = va_arg(ap, int)) {
    resbuf* rb = acutNewRb(t);
    const bool isEntityCode = t < 5000 || t > 5031;
    if (t == RTLB || t == RTLE || t == RTDOTE || t == RTNIL || t == RTT || t == RTVOID || t == -3) {
      // no value
    } else if (t == RTDXF0) {
      // Group 0 cannot be passed as a type, since 0 ends the list.
      rb->restype = 0;
      rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
    } else if (qd::ads::holdsString(t)) {
      rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
    } else if (t == RTREAL || t == RTANG || t == RTORINT ||
               (isEntityCode && qd::db::tagKindOf(t) == qd::db::TagKind::Real)) {
      rb->resval.rreal = va_arg(ap, double);
    } else if (t == RTPOINT || t == RT3DPOINT ||
               (isEntityCode && qd::db::tagKindOf(t) == qd::db::TagKind::Point)) {
      const double* p = va_arg(ap, const double*);
      rb->resval.rpoint[0] = p[0];
      rb->resval.rpoint[1] = p[1];
      rb->resval.rpoint[2] = t == RTPOINT ? 0.0 : p[2];
    } else if (t == RTSHORT || (isEntityCode && (qd::db::tagKindOf(t) == qd::db::TagKind::Int16 ||
                                                  qd::db::tagKindOf(t) == qd::db::TagKind::Bool))) {
      rb->resval.rint = static_cast<short>(va_arg(ap, int));
    } else if (t == RTLONG || (isEntityCode && qd::db::tagKindOf(t) == qd::db::TagKind::Int32)) {
      rb->resval.rlong = va_arg(ap, int32_t);
    } else if (t == RTENAME || t == RTPICKS || (isEntityCode && qd::db::tagKindOf(t) == qd::db::TagKind::Id)) {
      const int64_t* n = va_arg(ap, const int64_t*);
      rb->resval.rlname[0] = n[0];
      rb->resval.rlname[1] = n[1];
    } else if (t == RTINT64) {
      rb->resval.mnInt64 = va_arg(ap, int64_t);
    } else {
      acutRelRb(head);
      acutRelRb(rb);
      va_end(ap);
      return nullptr;
    }
    if (tail) tail->rbnext = rb;
    else head = rb;
    tail = rb;
  }
  va_end(ap);
  return head;
}

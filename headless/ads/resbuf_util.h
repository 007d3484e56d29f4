// Result-buffer lists: ownership, copying and extended-data handling.
#pragma once
#include <string>

#include "host/adsdef.h"

namespace qd::ads {

// Owns a result-buffer list and releases it.
class RbList {
 public:
  RbList() = default;
  explicit RbList(resbuf* rb) : m_rb(rb) {}
  ~RbList();
  RbList(const RbList&) = delete;
  RbList& operator=(const RbList&) = delete;
  RbList(RbList&& o) noexcept : m_rb(o.release()) {}
  RbList& operator=(RbList&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  resbuf* get() const { return m_rb; }
  resbuf* release() {
    resbuf* r = m_rb;
    m_rb = m_tail = nullptr;
    return r;
  }
  void reset(resbuf* rb = nullptr);
  // Links `rb` (a single buffer or a chain) after the last buffer. The end is
  // remembered, so building a list of n groups costs n steps, not n squared.
  void add(resbuf* rb);
  explicit operator bool() const { return m_rb != nullptr; }

 private:
  resbuf* m_rb = nullptr;
  resbuf* m_tail = nullptr;  // a known buffer near the end; null when unknown
};

// Whether the value of a result buffer of this type is a string (or binary chunk).
bool holdsString(int restype);
bool holdsBinary(int restype);
resbuf* copyOne(const resbuf* rb);
resbuf* copyList(const resbuf* rb);
// Appends `tail` to `head`; returns the head.
resbuf* append(resbuf* head, resbuf* tail);
resbuf* last(resbuf* rb);

// Extended data: the groups of applications whose names match `pattern` (wild
// cards, "*" for all), as a new list.
resbuf* xdataOfApps(const resbuf* xdata, const std::u16string& pattern);
bool isWellFormedXData(const resbuf* xdata);
// Replaces in `current` (consumed) the applications named in `update`.
resbuf* mergeXData(resbuf* current, const resbuf* update);

}  // namespace qd::ads

#include "headless/dxf/shared_groups.h"

namespace qd::dxf {
namespace {

using db::Tag;
using db::TagKind;

// Tells, one tag at a time in the file's order, the shared groups from an object's own.
// They stand before the first subclass marker; after it, 102 and 330 groups are the
// object's own data (an xrecord's brackets and pointers). Extended data ends the object.
class SharedSplit {
 public:
  SharedSplit(SharedGroups& shared, bool dimstyle) : m_s(shared), m_dimstyle(dimstyle) {}
  // Whether `t` is shared, now held by `shared` (extended data moved there). `kept`: how
  // many of the object's own groups came before it.
  bool take(Tag& t, size_t kept) {
    if (m_bracket != Bracket::None) {
      if (t.code == 102) m_bracket = Bracket::None;
      else if (t.kind == TagKind::Id && m_bracket == Bracket::Reactors) m_s.reactors.push_back(handleOf(t));
      else if (t.kind == TagKind::Id) m_s.extDict = handleOf(t);
      return true;
    }
    if (m_xdata || t.code >= 1000) {
      m_xdata = true;
      m_s.xdata.push_back(std::move(t));
      return true;
    }
    if (t.code == 100) m_header = false;
    if (!m_header) return false;
    if ((t.code == 5 && !m_dimstyle) || (t.code == 105 && m_dimstyle)) {
      m_s.handle = AcDbHandle(t.str.c_str());
      return true;
    }
    if (t.code == 102) {
      if (t.str == u"{ACAD_REACTORS") m_bracket = Bracket::Reactors;
      else if (t.str == u"{ACAD_XDICTIONARY") m_bracket = Bracket::ExtDict;
      return true;
    }
    if (t.code == 330 && m_s.owner == 0 && kept == 0) {
      m_s.owner = handleOf(t);
      return true;
    }
    return false;
  }

 private:
  // A pointer's group holds the handle it names until an id is made of it.
  static uint64_t handleOf(const Tag& t) { return static_cast<uint64_t>(t.integer); }
  enum class Bracket { None, Reactors, ExtDict };
  SharedGroups& m_s;
  bool m_dimstyle;
  bool m_header = true;
  bool m_xdata = false;
  Bracket m_bracket = Bracket::None;
};

}  // namespace

void splitShared(db::Tags& tags, bool dimstyle, SharedGroups& shared) {
  shared.handle = AcDbHandle();
  shared.owner = shared.extDict = 0;
  shared.reactors.clear();
  shared.xdata.clear();
  SharedSplit split(shared, dimstyle);
  size_t kept = 0;
  for (Tag& t : tags) {
    // Extended data runs to the end: its room is made at once.
    if (t.code >= 1000 && shared.xdata.empty())
      shared.xdata.reserve(tags.size() - static_cast<size_t>(&t - tags.data()));
    if (split.take(t, kept)) continue;
    if (&tags[kept] != &t) tags[kept] = std::move(t);
    ++kept;
  }
  tags.resize(kept);
  shared.packedXData.clear();
  if (!shared.xdata.empty() && !db::packGroups(shared.xdata, shared.packedXData.edit())) shared.packedXData.clear();
}

}  // namespace qd::dxf

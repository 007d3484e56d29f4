#include "headless/dxf/shared_groups.h"

namespace qd::dxf {

using db::TagKind;

SharedSplit::SharedSplit(SharedGroups& shared, bool dimstyle) : m_s(shared), m_dimstyle(dimstyle) {
  m_s.handle = AcDbHandle();
  m_s.owner = m_s.extDict = 0;
  m_s.reactors.clear();
  m_s.packedXData.clear();
}

SharedSplit::Role SharedSplit::roleOf(int code, std::u16string_view text, size_t kept) {
  if (m_bracket != Bracket::None) {
    if (code == 102) {
      m_bracket = Bracket::None;
      return Role::Dropped;
    }
    if (db::tagKindOf(code) != TagKind::Id) return Role::Dropped;
    return m_bracket == Bracket::Reactors ? Role::Reactor : Role::ExtDict;
  }
  if (m_xdata || code >= 1000) {
    m_xdata = true;
    return Role::XData;
  }
  if (code == 100) m_header = false;
  if (!m_header) return Role::Own;
  if ((code == 5 && !m_dimstyle) || (code == 105 && m_dimstyle)) return Role::Handle;
  if (code == 102) {
    if (text == u"{ACAD_REACTORS") m_bracket = Bracket::Reactors;
    else if (text == u"{ACAD_XDICTIONARY") m_bracket = Bracket::ExtDict;
    return Role::Dropped;
  }
  if (code == 330 && m_s.owner == 0 && kept == 0) return Role::Owner;
  return Role::Own;
}

}  // namespace qd::dxf

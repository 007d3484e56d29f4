// The groups every object shares (handle, owner, reactors, extension dictionary and
// extended data), told from an object's own groups as the parser types them: pointers
// still as the handles they name, before any object id is made of them, so that the
// parsing thread can do it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "headless/db/tags.h"
#include "host/dbmain.h"

namespace qd::dxf {

struct SharedGroups {
  AcDbHandle handle;
  uint64_t owner = 0, extDict = 0;  // handles, 0 for none
  std::vector<uint64_t> reactors;
  db::Tags xdata;
  // `xdata` as an object keeps it, when all of it packs. The room stays for the next
  // object parsed: the bytes are copied for the object on the thread that makes it, so
  // that the parser's thread makes no memory of its own to hand away with each object.
  std::string packedXData;
};

// Tells, one group at a time in the file's order, the shared groups from an object's own,
// before either is typed: each group is typed straight where it belongs. The shared ones
// stand before the first subclass marker; after it, 102 and 330 groups are the object's
// own data (an xrecord's brackets and pointers). Extended data ends the object. A
// dimension style's handle is its 105.
class SharedSplit {
 public:
  enum class Role { Own, XData, Handle, Owner, Reactor, ExtDict, Dropped };
  // Empties `shared` but for its extended data, whose tags the parser fills again in place.
  SharedSplit(SharedGroups& shared, bool dimstyle);
  // The role of a group (the first of a point's) with `code`. `text`: a 102 group's value
  // (the other groups' is not looked at); `kept`: how many of the object's own groups
  // came before it.
  Role roleOf(int code, std::u16string_view text, size_t kept);

 private:
  enum class Bracket { None, Reactors, ExtDict };
  SharedGroups& m_s;
  bool m_dimstyle;
  bool m_header = true;
  bool m_xdata = false;
  Bracket m_bracket = Bracket::None;
};

}  // namespace qd::dxf

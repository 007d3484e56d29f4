// The groups every object shares (handle, owner, reactors, extension dictionary and
// extended data), told from an object's own groups as the parser leaves them: pointers
// still as the handles they name, before any object id is made of them, so that the
// parsing thread can do it.
#pragma once
#include <cstdint>
#include <vector>

#include "headless/db/tags.h"
#include "host/kept_bytes.h"
#include "host/dbmain.h"

namespace qd::dxf {

struct SharedGroups {
  AcDbHandle handle;
  uint64_t owner = 0, extDict = 0;  // handles, 0 for none
  std::vector<uint64_t> reactors;
  db::Tags xdata;
  KeptBytes packedXData;  // `xdata` as an object keeps it, when all of it packs
};

// Takes the shared groups out of `tags`, which keep the object's own in their order,
// into `shared` (emptied first, its room kept). A dimension style's handle is its 105.
// The extended data is packed too, so that the thread that builds the object has only to
// take it.
void splitShared(db::Tags& tags, bool dimstyle, SharedGroups& shared);

}  // namespace qd::dxf

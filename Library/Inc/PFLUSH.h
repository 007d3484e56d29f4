// The entity-list flush: after a command has drawn one object, everything drawn after
// the last entity that existed before becomes a part, or is added to one.
#pragma once
#include "Library/Inc/MFLUSH.h"
#include "host/adsdef.h"

namespace qd::support {

int recordNewPart(const ACHAR* name, const ads_name last);
int appendToPart(const ACHAR* name, const ads_name last);

// The walk over entity lists that records main entities and passes over the vertices,
// attributes and sequence end that follow a complex entity.
class HandleWalk {
 public:
  // Starts after `list` (its group 66 says whether sub-entities follow), or afresh.
  void reset(const resbuf* list);
  // Records every entity handed in.
  void startInside();
  void take(const resbuf* list, HandleArray& handles);

 private:
  int m_following = 0;
  bool m_inside = false;
};

}  // namespace qd::support

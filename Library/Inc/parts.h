// Parts: named groups of the entities of one drawn object (a label, a table), kept in
// the drawing. The current form is an xrecord per part in the dictionary "QDHK_HANDLE";
// two older forms are still read and turned into the current one when met: a handle
// list on an APPID record (extended data "TVHK_HANDLE"), and members tagged with
// extended data of an application named like the part.
#pragma once
#include "host/dbmain.h"

namespace qd::support {

bool partExists(const ACHAR* name);
// Records a new part; an existing entry is left as it is. False only when the
// dictionary cannot be opened for write.
bool createPart(const ACHAR* name, const AcDbObjectIdArray& members);
// Adds members at the end (a member added twice is recorded twice). A part without
// an entry is created, from its legacy members first when `convertLegacy`.
bool addToPart(const ACHAR* name, const AcDbObjectIdArray& members, bool convertLegacy);
// A fresh selection set of the part's members that open in `mode`; members on locked
// layers are left out and counted in a message. Returns the number of members + 1.
int partSelection(const ACHAR* name, AcDb::OpenMode mode, ads_name set);
// The legacy members into a fresh set (handle list, else tagged entities); a found
// part is stored in the current form. False when none are found.
bool gatherLegacy(const ACHAR* name, bool quiet, ads_name set);

}  // namespace qd::support

// What entity lists are made of: an object's DXF name and groups, and the layout an
// entity is in, shared by entget, entmod and the selection filters.
#pragma once
#include <string>

#include "headless/db/database_impl.h"
#include "headless/db/tags.h"

namespace qd::ads {

// The DXF name an object is filed under (the original one for classes kept as groups).
std::u16string dxfNameOf(const AcDbObject* obj);
// The object's own groups as entity lists give them (angles in radians).
db::Tags objectTags(const AcDbObject* obj);
// Groups of an entity list in the form the object keeps them (degrees for entities kept
// as their groups, as their files have them).
db::Tags keptForm(const AcDbObject* obj, db::Tags tags);
// The name of the layout whose block is `block`: "Model" for model space, else the name
// its LAYOUT object gives, else the block's own.
std::u16string layoutNameOf(AcDbDatabase::Impl* d, AcDbObjectId block);

}  // namespace qd::ads

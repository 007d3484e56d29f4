// Access to the working drawing: the current space, the entities drawn after a given
// one, a selection set as object ids, opening tables; and the length-prefixed strings
// of the product's binary files.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>

#include "host/dbdatabase.h"
#include "host/dbsymtb.h"

namespace qd::support {

// "*Model_Space" when TILEMODE is on; otherwise "*Paper_Space" when CVPORT is 1.
AcDbObjectId currentSpace();
// The entities of the current space after `entity` (all of them for a null name),
// without vertices, sequence ends and attributes. False only when the entity has no
// object id or cannot be found in the space.
bool collectAfter(const ads_name entity, AcDbObjectIdArray& ids);
// The set's entities without vertices, sequence ends and attributes; false when empty.
bool selectionToIds(const ads_name set, AcDbObjectIdArray& ids);
// Prints "Failed: <operation>(<status text>).\n".
void reportFailure(const char16_t* operation, Acad::ErrorStatus es);
// Whether an entity is never a member by itself: a vertex, sequence end or attribute.
bool isSubEntity(const AcDbEntity* e);

// Length-prefixed strings: a length byte (text bytes + 1, at most 255; 0 for no text),
// the text in code page 1250 with "\U+xxxx" for what it cannot hold, a zero byte.
void writeLpString(std::ostream& out, const std::optional<std::u16string>& text);
// False when the stream ends inside the string; `text` is empty for no text.
bool readLpString(std::istream& in, std::optional<std::u16string>& text);

}  // namespace qd::support

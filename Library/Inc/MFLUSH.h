// Handle lists of legacy parts: the extended data "TVHK_HANDLE" on an APPID record,
// with runs of three or more consecutive handles written as first, "<" + last.
#pragma once
#include <string>
#include <vector>

#include "host/adsdef.h"

namespace qd::support {

using HandleArray = std::vector<std::u16string>;

// The raw entries (plain handles and "<" ranges); false when the record is missing.
bool readHandleList(const ACHAR* part, HandleArray& entries);
// Appends the handles as entries to the record and modifies it; false on failure.
bool writeHandleList(const ACHAR* part, const HandleArray& handles);
// The plain handles of existing entities: ranges expanded; into `set` when given.
HandleArray expandHandleList(const HandleArray& entries, int64_t* set = nullptr);
// The entries for a list of handles, runs compressed.
HandleArray compressHandles(const HandleArray& handles);
// Handles compared as numbers: padded on the left with "0", case ignored.
bool handleLess(const std::u16string& a, const std::u16string& b);
void sortHandles(HandleArray& handles);

}  // namespace qd::support

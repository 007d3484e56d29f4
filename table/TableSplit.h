// Cutting a drawn table in two at a line the user steps to: each part keeps the header,
// and the user moves the lower part where it belongs.
#pragma once

namespace qd::table {

// tv_edit_table: (table-id point) → (moved-part-id last-point), or nil.
int editTable();

}  // namespace qd::table

// Drawing a laid-out table into the current drawing: its lines and texts, each named in
// its extended data so that the table can be found, edited and split later, and the
// whole recorded as one part under the table's own id.
#pragma once
#include <string>

#include "host/acge.h"
#include "table/TableDescription.h"

namespace qd::table {

struct DrawnTable {
  AcGePoint3d lowerRight;
  std::u16string id;  // "$" and the handle of the top line
};

// The status when a table is not drawn.
constexpr int kNotDrawn = 10;

// Lays the table out and draws it: RTNORM with the table's corner and id, or kNotDrawn
// when it does not fit and is not to be drawn, or nothing could be made.
int drawTable(const TableDescription& d, DrawnTable& drawn);

}  // namespace qd::table

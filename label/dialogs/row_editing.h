// Editing the rows of a label in the label dialog: the rows are a list whose head
// always exists; a row may carry no text.
#pragma once
#include <string>

#include "label/DESC_PAR.h"

namespace qd::label {

// The lines of the dialog's row list: an empty line for a row without text.
std::u16string rowText(const RowList& rows, size_t index);
// Replaces the text of row `index` (the first row when there is no such row).
void setRowText(RowList& rows, size_t index, const std::u16string& text);
// A new row after `index`; its first text depends on the kind: "&-" for kind 2, and for
// kind 1 unless a row after the first already begins with "&-". The new row's index.
size_t insertRow(RowList& rows, size_t index, int kind);
// Deletes row `index`: row 0 takes the text of row 1 (or loses its text when it is the
// only row). The row to select afterwards.
size_t deleteRow(RowList& rows, size_t index);
// Keeps only the first row, without text.
void deleteAllRows(RowList& rows);

// The text codes the dialog's buttons put into the edit tile.
std::u16string withCode(const std::u16string& key, const std::u16string& text);

}  // namespace qd::label

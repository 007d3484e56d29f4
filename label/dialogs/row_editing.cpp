#include "label/dialogs/row_editing.h"

#include "label/command/label_state.h"

namespace qd::label {

std::u16string rowText(const RowList& rows, size_t index) {
  return index < rows.size() && rows[index] ? *rows[index] : u"";
}

void setRowText(RowList& rows, size_t index, const std::u16string& text) {
  ensureHead(rows);
  if (index >= rows.size()) index = 0;
  rows[index] = text;
}

size_t insertRow(RowList& rows, size_t index, int kind) {
  ensureHead(rows);
  if (index >= rows.size()) index = rows.size() - 1;
  std::u16string first;
  if (kind == 2) first = u"&-";
  if (kind == 1) {
    bool marked = false;
    for (size_t i = 1; i < rows.size(); ++i) marked = marked || (rows[i] && rows[i]->rfind(u"&-", 0) == 0);
    if (!marked) first = u"&-";
  }
  rows.insert(rows.begin() + static_cast<long>(index) + 1, first);
  return index + 1;
}

size_t deleteRow(RowList& rows, size_t index) {
  ensureHead(rows);
  if (index >= rows.size()) return 0;
  if (index == 0) {
    if (rows.size() == 1) rows[0].reset();
    else rows.erase(rows.begin());
    return 0;
  }
  rows.erase(rows.begin() + static_cast<long>(index));
  return index - 1;
}

void deleteAllRows(RowList& rows) { rows.assign(1, std::nullopt); }

std::u16string withCode(const std::u16string& key, const std::u16string& text) {
  if (key == u"ampr") return u"&-" + text;
  if (key == u"plmn") return text + u"%%p";
  if (key == u"prum") return text + u"%%c";
  if (key == u"ndtr") return text + u"%%o";
  if (key == u"grad") return text + u"%%d";
  if (key == u"podtr") return text + u"%%u";
  if (key == u"numbubl") return text + u"&N";
  return text;
}

}  // namespace qd::label

// What the manager's dialog classes share: their resource script, captions from the
// string table, and texts with the string table's "%s" places filled.
#pragma once
#include <initializer_list>
#include <string>
#include <utility>

#include "host/windlg.h"

namespace qd::workspace {

// The manager's resource script, beside its library.
std::u16string resourceFile();
// The manager's help, at its context, when there is a help file.
void showHelp();
// Sets each control's caption (id, string number) from the string table.
void captions(win::DialogWindow& w, std::initializer_list<std::pair<int, int>> list);
// String `number` with its "%s" places filled in order.
std::u16string formatted(int number, std::initializer_list<std::u16string_view> items);

}  // namespace qd::workspace

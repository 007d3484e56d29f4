// The table of host commands.
#pragma once
#include <map>
#include <string>

#include "headless/commands/commands.h"

namespace qd::commands {
const std::map<std::u16string, Command>& hostCommands();
int insert(AcDbDatabase* db, Args& args);
int ddstyle(AcDbDatabase* db, Args& args);
int ddltype(AcDbDatabase* db, Args& args);
// Brings a drawing file in as the block `name` with the records and blocks it uses.
bool importDrawing(AcDbDatabase* db, const std::string& path, const std::u16string& name);
}  // namespace qd::commands

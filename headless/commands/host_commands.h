// The table of host commands.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "headless/commands/commands.h"

namespace qd::commands {
const std::map<std::u16string, Command>& hostCommands();

// An option as typed, in upper case without its "_" and "." prefixes.
std::u16string option(std::u16string typed);
// Whether a typed option names `keyword`, whose first `min` letters are required.
bool is(const std::u16string& typed, const std::u16string& keyword, size_t min);
// A line of the command's own on the command line.
void say(const std::u16string& text);
// The layers whose names match a wildcard list ("A*,~B?").
std::vector<AcDbLayerTableRecord*> layersMatching(AcDbDatabase* db, const std::u16string& mask);
// The extents of everything model space draws; invalid when it draws nothing.
AcDbExtents modelExtents(AcDbDatabase* db);

// Paper-space viewports and the layers frozen in them.
int vplayer(AcDbDatabase* db, Args& args);
int mview(AcDbDatabase* db, Args& args);
int mspace(AcDbDatabase* db, Args& args);
int pspace(AcDbDatabase* db, Args& args);

int insert(AcDbDatabase* db, Args& args);
// A copy of the drawing with the modules' objects exploded, for programs without them.
int exportToAutocad(AcDbDatabase* db, Args& args);
int ddstyle(AcDbDatabase* db, Args& args);
int ddltype(AcDbDatabase* db, Args& args);
// Brings a drawing file in as the block `name` with the records and blocks it uses.
bool importDrawing(AcDbDatabase* db, const std::string& path, const std::u16string& name);
}  // namespace qd::commands

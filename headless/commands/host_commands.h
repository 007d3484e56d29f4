// The table of host commands.
#pragma once
#include <map>
#include <string>

#include "headless/commands/commands.h"

namespace qd::commands {
const std::map<std::u16string, Command>& hostCommands();
}  // namespace qd::commands

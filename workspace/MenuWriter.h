// The workspace tree written as a pull-down menu of the host: an item that sets each
// workspace and, for groups tied to a floor, one that locks it, carrying the layer
// commands the manager would send.
#pragma once
#include <string>

#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

// The menu's text for a file of that name (the part after the last separator).
std::string menuText(const std::string& path, const WorkspaceNode* tree, const std::u16string& settings);
// Writes it whole or not at all; false when the path is empty or cannot be written.
bool writeMenu(const std::string& path, const WorkspaceNode* tree);

}  // namespace qd::workspace

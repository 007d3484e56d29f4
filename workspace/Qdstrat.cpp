// Qdstrat: the layer workspace manager as a library the host module loads. Its exports
// run the manager and hand the workspace tree and the settings string back and forth.
#include "host/rxregsvc.h"
#include "platform/codepage.h"
#include "workspace/Manager.h"

using qd::workspace::WorkspaceNode;

namespace {
void dropSelection() { qd::workspace::state().selected = nullptr; }
}  // namespace

ACRX_ENTRY_POINT int Do_TV_lay(int mode) { return qd::workspace::runManager(mode); }

ACRX_ENTRY_POINT int LT_QDSTRAT(const char16_t* path, int mode) {
  return qd::workspace::runLight(path ? qd::text::toUtf8(path) : std::string(), mode);
}

ACRX_ENTRY_POINT int runDll() {
  for (int mode = 0; Do_TV_lay(mode) == 1;) mode = 1;
  return 1;
}

ACRX_ENTRY_POINT void* setHWND(void* window) {
  qd::workspace::state().parentWindow = window;
  return window;
}

ACRX_ENTRY_POINT WorkspaceNode* GetAllData() { return qd::workspace::state().root; }

ACRX_ENTRY_POINT WorkspaceNode* NewAllData() { return qd::workspace::create(); }

ACRX_ENTRY_POINT void DelAllData(WorkspaceNode** node) {
  if (!node || !*node) return;
  if (*node == qd::workspace::state().root) dropSelection();
  qd::workspace::freeTree(*node);
  *node = nullptr;
}

ACRX_ENTRY_POINT void EraseAllData() { DelAllData(&qd::workspace::state().root); }

// The node becomes the tree; the tree held before stays with whoever holds it too.
ACRX_ENTRY_POINT WorkspaceNode* SetAllData(WorkspaceNode* node) {
  dropSelection();
  qd::workspace::state().root = node;
  return node;
}

ACRX_ENTRY_POINT WorkspaceNode* SetAllDataX(WorkspaceNode* node) {
  EraseAllData();
  qd::workspace::copyInto(qd::workspace::state().root, node, false, true);
  return qd::workspace::state().root;
}

ACRX_ENTRY_POINT const char16_t* getSettings() { return qd::workspace::settings().c_str(); }

ACRX_ENTRY_POINT void setSettings(const char16_t* text) {
  if (!text) return;
  std::u16string s = text;
  qd::workspace::settings() = s.substr(0, qd::workspace::kSettingsLength);
}

// The manager's run: the host module bound, the tree loaded, the code lists rebuilt,
// the main dialog shown until it ends, and the layer commands of setting or locking a
// workspace sent to the host's command line.
#pragma once
#include <string>
#include <vector>

#include "workspace/HostCalls.h"
#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

// End codes of the main dialog.
enum DialogCode {
  kSet = 101,
  kLock = 102,
  kConstruction1 = 103,
  kConstruction2 = 104,
  kFirstPick = 206,
  kLastPick = 219,
  kScriptWritten = 99,
};

// The host's code lists, rebuilt at every start.
struct HostLists {
  WorkspaceNode *sections = nullptr, *modules = nullptr, *floors = nullptr, *views = nullptr,
                *constructions = nullptr, *generalLayers = nullptr;
  void clear();
};

// Calls `take` with each entry a host list gives, from its first on.
template <class Take>
void eachEntry(FillFn fill, Take take) {
  if (!fill) return;
  char16_t buffer[kBufferLength];
  for (int flag = 0;; flag = 1) {
    buffer[0] = 0;
    if (fill(flag, buffer) < 0) break;
    buffer[kBufferLength - 1] = 0;
    take(std::u16string(buffer));
  }
}

struct ManagerState {
  WorkspaceNode* root = nullptr;
  WorkspaceNode* selected = nullptr;
  std::u16string selectionPath;  // "[ group / workspace ]" as the selection page shows it
  int mode = 0;
  int environment = 0;
  bool paperSpace = false;
  std::u16string drawingName = u"QDSTRAT", drawingFolder = u"\\";
  std::vector<std::u16string> history;
  std::u16string pick;
  int pickKind = 208;
  void* parentWindow = nullptr;
  HostCalls calls;
  bool bound = false, lightBound = false;
  HostLists lists;
};
ManagerState& state();

// The main dialog: shows the manager for the mode and returns its end code, with the
// selection made in state(). Tests put a step of their own in its place (none: the
// dialog).
using DialogStep = int (*)(int mode);
void setDialogStep(DialogStep step);
int showMainDialog(int mode);

// Selects a tree node, with the settings' floor flag and floor code of its group.
void select(WorkspaceNode* node);
WorkspaceNode* firstActionOfSelection();

// The runs of the full and the light entry: 1 when the host is to run the script.
int runManager(int mode);
int runLight(const std::string& path, int mode);

// The layer commands of a set (99 when the floor script was written, else 101) and of a
// lock.
int setSequence();
void lockSequence();
// The definition dialog's preview of actions: marked for undo, set as a set would set
// them (every viewport in paper space), shown until `pause` returns, and undone.
void previewSequence(const std::vector<std::u16string>& actions, void (*pause)());

// Where the definition file is read from: the first and the second choice.
std::vector<std::string> definitionPaths(const std::string& moduleFolder);
std::string scriptPath();
// The folder of the library the manager is in (its resource script and help lie there).
std::string libraryFolder();
// The help file the main dialog's help opens (context 2290), or "" when there is none.
std::string helpFile();
constexpr unsigned kHelpContext = 2290;

}  // namespace qd::workspace

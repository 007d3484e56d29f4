#include "workspace/Manager.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "host/winlib.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "workspace/LayerMasks.h"
#include "workspace/dialogs/DefinitionDialog.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

DialogStep g_dialog = nullptr;

std::u16string& S() { return fullSettings(); }
char16_t at(size_t i) { return S()[i]; }
bool on(size_t i) { return at(i) == u'1'; }

int send(const std::u16string& token) {
  const HostCalls& c = state().calls;
  return c.doAdsCommand ? c.doAdsCommand(token.c_str()) : 0;
}
void endCommand() { send(u""); }

void pair(const std::u16string& option, const std::u16string& argument) {
  if (option.empty()) return;
  send(option);
  send(argument);
}

// In paper space each layer is set in the current viewport: "_C" after every argument
// the host took (a preview takes every viewport, "*").
void viewportPair(const std::u16string& option, const std::u16string& argument, const char16_t* scope = u"_C") {
  if (option.empty() || (option.size() == 1 && option != u"_")) return;
  send(option);
  if (send(argument) == kAccepted) send(scope);
}

void anyPair(const std::u16string& option, const std::u16string& argument, const char16_t* scope = u"_C") {
  if (state().paperSpace) viewportPair(option, argument, scope);
  else pair(option, argument);
}

// The selected workspace's actions that pass the section filter.
// The actions of the last sequence left out because their masks do not read.
std::vector<std::u16string> g_unreadable;

std::vector<std::u16string> actionsOfSelection() {
  std::vector<std::u16string> out;
  for (WorkspaceNode* n = firstActionOfSelection(); n; n = n->next) out.emplace_back(nameOf(n));
  return out;
}

void sendActions(const std::vector<std::u16string>& actions, const char16_t* scope = u"_C") {
  for (const std::u16string& text : actions) {
    std::optional<Action> a = parseAction(text);
    if (!a) continue;
    if (!maskReadable(a->mask)) {
      g_unreadable.push_back(text);
      continue;
    }
    if (on(6) && !a->mask.empty() && a->mask[0] == u'?') a->mask[0] = at(15);
    const bool carried = !on(6) || (!a->mask.empty() && (a->mask[0] == at(15) || a->mask[0] == u'*'));
    if (!carried) continue;
    if (!a->option.empty() && a->option.back() == u'~') {
      a->option.pop_back();
      a->mask = u"~" + a->mask;
    }
    anyPair(a->option, a->prefix + a->mask, scope);
  }
}

// Says which actions were left out, once the layer command has ended.
void reportUnreadable() {
  if (g_unreadable.empty()) return;
  std::u16string message = u"These actions were left out: their layer masks cannot be read.";
  for (const std::u16string& action : g_unreadable) message += u"\n" + action;
  g_unreadable.clear();
  MessageBoxW(state().parentWindow, message.c_str(), u" Pozor", MB_OK);
}

// A set starts from every layer thawed and unlocked (and on, with that option).
void openLayerCommand() {
  send(u"._-LAYER");
  pair(u"_T", u"*");
  pair(u"_U", u"*");
  if (on(1)) pair(u"_ON", u"*");
}

void zoom() {
  if (!on(4)) return;
  for (const char16_t* t : {u"_ZOOM", u"_E", u"_ZOOM", u".95x"}) send(t);
}

std::u16string selectionText() {
  return state().selectionPath.empty() ? std::u16string(nameOf(state().selected)) : state().selectionPath;
}

WorkspaceNode* chainOf(FillFn fill, WorkspaceNode* first) {
  eachEntry(fill, [first](const std::u16string& entry) { appendSibling(first, entry); });
  return first;
}

// Each entry gets a group entry of its first characters and "?" before it, unless one
// like it is there.
WorkspaceNode* withGroups(FillFn fill, WorkspaceNode* first, size_t prefix) {
  eachEntry(fill, [first, prefix](const std::u16string& entry) {
    const std::u16string group = entry.substr(0, prefix) + u"?";
    if (!hasPrefix(first, group)) appendSibling(first, group);
    appendSibling(first, entry);
  });
  return first;
}

void rebuildLists() {
  HostLists& l = state().lists;
  const HostCalls& c = state().calls;
  l.clear();
  l.sections = create(text(111));
  if (c.fillSekce) chainOf(c.fillSekce, l.sections);
  else appendSibling(l.sections, u"C TORVEL");
  l.modules = create(text(112));
  if (c.fillModuly) chainOf(c.fillModuly, l.modules);
  else appendSibling(l.modules, u"K Konstrukce");
  l.floors = chainOf(c.fillPodlazi, create(text(115)));
  l.views = create(text(116));
  appendSibling(l.views, std::u16string(u"2") + text(116) + u" 2D");
  appendSibling(l.views, std::u16string(u"3") + text(116) + u" 3D");
  chainOf(c.fillZobrazeni, l.views);
  for (WorkspaceNode* v = l.views; v; v = v->next) setName(v, nameOf(v).substr(0, 50));
  l.constructions = create(text(101));
  appendSibling(l.constructions, text(102));
  appendSibling(l.constructions, text(103));
  withGroups(c.fillKonstrukce, l.constructions, 4);
  l.generalLayers = withGroups(c.fillObHladiny, create(text(114)), 2);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The tree of the first start: the first file choice, the second, or the default.
void loadTree(const std::vector<std::string>& choices) {
  if (state().root) return;
  for (const auto& path : choices)
    if (load(path, state().root)) return;
  state().root = defaultTree();
}

int dialogStep(int mode) { return g_dialog ? g_dialog(mode) : showMainDialog(mode); }

void readDrawing() {
  const HostCalls& c = state().calls;
  if (!c.getVarStr) return;
  char16_t buffer[kBufferLength] = {};
  c.getVarStr(u"DWGNAME", buffer);
  buffer[kBufferLength - 1] = 0;
  std::u16string name = buffer;
  state().drawingName = name.substr(0, name.find(u'.'));
  buffer[0] = 0;
  c.getVarStr(u"DWGPREFIX", buffer);
  buffer[kBufferLength - 1] = 0;
  state().drawingFolder = buffer;
}

// The dialog's end codes, until one ends the run: the last code.
int loop(bool light) {
  int code = 0;
  do {
    if (!light && state().environment == 1) {
      std::string error;
      qd::files::replaceFile(scriptPath(), "", error);
    }
    if (!light) markFloors(state().root, state().lists.floors);
    code = dialogStep(state().mode);
    if (code == kSet) {
      code = setSequence();
      state().history.clear();
      state().history.push_back(formatted(95, {selectionText()}));
    } else if (code == kLock) {
      lockSequence();
      state().history.insert(state().history.begin(), formatted(96, {selectionText()}));
    } else if (code == kConstruction1 || code == kConstruction2) {
      const int kind = code == kConstruction1 ? 1 : 2;
      char16_t buffer[kBufferLength] = {};
      if (state().calls.konstrukce) state().calls.konstrukce(buffer, kind, 1);
      buffer[kBufferLength - 1] = 0;
      const std::u16string chosen = buffer;
      if (chosen.size() > 2) {
        S().replace(12, 3, chosen.substr(0, 3));
        S()[16] = static_cast<char16_t>(kind);
      }
      state().mode = 3;
    } else if (code >= kFirstPick && code <= kLastPick) {
      char16_t buffer[kBufferLength] = {};
      const int picked = state().calls.vyberLayer ? state().calls.vyberLayer(buffer) : 0;
      buffer[kBufferLength - 1] = 0;
      state().pick = picked <= 7 ? std::u16string(u"???????*") : std::u16string(buffer);
      if (picked == 8 && code == 209) state().pickKind = 208;
      if (picked == 16 && code == 208) state().pickKind = 209;
    }
  } while (code > 100);
  return code;
}

}  // namespace

void HostLists::clear() {
  for (WorkspaceNode** l : {&sections, &modules, &floors, &views, &constructions, &generalLayers}) {
    freeTree(*l);
    *l = nullptr;
  }
}

ManagerState& state() {
  static ManagerState s;
  return s;
}

void setDialogStep(DialogStep step) { g_dialog = step; }

void select(WorkspaceNode* node) {
  state().selected = node;
  WorkspaceNode* group = groupOf(node);
  const bool tied = group && group->state > 0;
  S()[0] = tied ? u'1' : u'0';
  if (tied && nameOf(group).size() >= 2) S().replace(10, 2, nameOf(group).substr(0, 2));
}

WorkspaceNode* firstActionOfSelection() {
  WorkspaceNode* n = state().selected;
  return n && n->level == kWorkspace ? firstAction(n) : nullptr;
}

int setSequence() {
  ManagerState& st = state();
  const HostCalls& c = st.calls;
  if (st.environment == 1 && c.setSection && on(6)) {
    const char16_t code[2] = {at(15), 0};
    c.setSection(code);
  }
  WorkspaceNode* group = groupOf(st.selected);
  if (on(2) && group && group->state > 0 && c.vytvorSkicu) c.vytvorSkicu(currentLayer(S()).c_str(), at(16) == 2 ? 2 : 1);
  openLayerCommand();
  if (on(0)) {
    if (on(2)) pair(u"_M", currentLayer(S()));
    if (st.paperSpace) {
      endCommand();
      send(u"._VPLAYER");
      viewportPair(u"_F", exclusionMask(S()));
    } else {
      pair(u"_F", exclusionMask(S()));
    }
  } else if (st.paperSpace) {
    endCommand();
    send(u"._VPLAYER");
  }
  sendActions(actionsOfSelection());
  if (on(3)) {
    anyPair(u"_T", u"0");
    anyPair(u"_T", u"DEFPOINTS");
  }
  endCommand();
  reportUnreadable();
  zoom();
  if (st.environment != 1) return kSet;
  std::string error;
  if (on(0) && on(5)) {
    send(u"FILEDIA");
    send(u"0");
    const std::u16string script = u"qd011_set " + std::u16string{at(10), at(11)} + u" QDSTRAT ";
    return qd::files::replaceFile(scriptPath(), qd::text::toAnsi(script), error) ? kScriptWritten : kSet;
  }
  qd::files::replaceFile(scriptPath(), "", error);
  return kSet;
}

void lockSequence() {
  ManagerState& st = state();
  if (!on(0)) {
    MessageBoxW(st.parentWindow, u"ERROR 620314001", u" Pozor", MB_OK);
    return;
  }
  send(st.paperSpace ? u"._VPLAYER" : u"._-LAYER");
  anyPair(u"_T", floorMask(S()));
  sendActions(actionsOfSelection());
  bool locking = at(7) == u'0';
  if (at(7) == u'2') locking = MessageBoxW(st.parentWindow, text(104), text(105), MB_YESNO) == IDYES;
  if (locking) {
    if (st.paperSpace) {
      endCommand();
      send(u"._-LAYER");
    }
    pair(u"_LO", floorMask(S()));
  }
  endCommand();
  reportUnreadable();
  zoom();
}

void previewSequence(const std::vector<std::u16string>& actions, void (*pause)()) {
  ManagerState& st = state();
  send(u"._UNDO");
  send(u"_M");
  endCommand();
  openLayerCommand();
  if (st.paperSpace) {
    endCommand();
    send(u"._VPLAYER");
  }
  sendActions(actions, u"*");
  endCommand();
  reportUnreadable();
  if (st.calls.doAdsPause) st.calls.doAdsPause(text(100));
  zoom();
  if (pause) pause();
  send(u"._UNDO");
  send(u"_B");
  endCommand();
}

std::vector<std::string> definitionPaths(const std::string& moduleFolder) {
  if (const char* tvdat = std::getenv("TVDAT"); tvdat && *tvdat) return {std::string(tvdat) + "/QDSTRAT.QDL"};
  const std::string inDat = moduleFolder + "/DAT/QDSTRAT.QDL";
  std::error_code ec;
  return {std::filesystem::exists(inDat, ec) ? inDat : moduleFolder + "/QDSTRAT.QDL"};
}

std::string scriptPath() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : exe.parent_path()).string() + "/QDSTRAT.SCR";
}

std::string libraryFolder() {
  Dl_info info{};
  return dladdr(reinterpret_cast<void*>(&libraryFolder), &info) && info.dli_fname
             ? std::filesystem::path(info.dli_fname).parent_path().string()
             : std::string(".");
}

std::string helpFile() {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (state().environment == 1) {
    const char* tvc = std::getenv("TVC");
    return tvc && *tvc ? (fs::path(tvc).parent_path() / "torvel.hlp").string() : std::string();
  }
  if (state().environment == 2) {
    ACHAR file[1024] = {};
    HMODULE program = GetModuleHandleW(u"TORVELLT.EXE");
    if (!program || !GetModuleFileNameW(program, file, 1024)) return {};
    return fs::path(qd::text::toUtf8(file)).replace_extension("HLP").string();
  }
  // Standalone: the help beside the library.
  const fs::path folder = libraryFolder();
  const fs::path own = folder / "TORVELLT.HLP";
  return fs::exists(own, ec) ? own.string() : (folder / "QDSTRAT.HLP").string();
}

namespace {
// Mode 11 is a plain start that also forgets the selection. A definition left open by
// an earlier run does not outlive it.
void takeMode(int mode) {
  draft() = DefinitionDraft{};
  ManagerState& st = state();
  st.mode = mode == 11 ? 0 : mode;
  if (mode == 11) st.selected = nullptr;
}
}  // namespace

int runManager(int mode) {
  ManagerState& st = state();
  takeMode(mode);
  HMODULE module = GetModuleHandleW(u"Qdstrat.arx");
  ACHAR file[1024] = {};
  if (module) GetModuleFileNameW(module, file, 1024);
  const std::vector<std::string> paths = definitionPaths(folderOf(qd::text::toUtf8(file)));
  if (!st.bound) st.bound = bindHostCalls(u"Qdstrat.arx", st.calls, false);
  const HostCalls& c = st.calls;
  if (!st.bound || !c.doAdsCommand || !c.getQDSTRATenv || !c.getVarStr || !c.getVarInt) return 0;
  st.environment = c.getQDSTRATenv();
  readDrawing();
  send(u"FILEDIA");
  send(u"1");
  loadTree({paths.front(), paths.back()});
  rebuildLists();
  st.paperSpace = !(c.getVarInt(u"tilemode") != 0 || c.getVarInt(u"cvport") == 1);
  const int last = loop(false);
  st.history.clear();
  return last == kScriptWritten ? 1 : 0;
}

int runLight(const std::string& path, int mode) {
  ManagerState& st = state();
  takeMode(mode);
  if (!st.lightBound) st.lightBound = bindHostCalls(u"QDSTRAT.CRX", st.calls, true);
  if (!st.lightBound) return -1;
  st.environment = st.calls.getQDSTRATenv ? st.calls.getQDSTRATenv() : 0;
  loadTree({path, folderOf(path) + "/QDSTRAT.QDL"});
  st.paperSpace = false;
  const int last = loop(true);
  st.history.clear();
  save(path, st.root);
  return last == kScriptWritten ? 1 : 0;
}

bool bindHostCalls(const char16_t* moduleName, HostCalls& calls, bool lightOnly) {
  HMODULE module = GetModuleHandleW(moduleName);
  if (!module) return false;
  ACHAR file[1024] = {};
  if (!GetModuleFileNameW(module, file, 1024)) return false;
  // Held for the life of the process: the call-backs are called until it ends.
  HMODULE held = LoadLibraryW(file);
  if (!held) return false;
  auto bind = [held](auto& slot, const char* name) { slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(GetProcAddress(held, name)); };
  bind(calls.doAdsCommand, "DoAdsCommand");
  bind(calls.getQDSTRATenv, "getQDSTRATenv");
  if (lightOnly) return true;
  bind(calls.getVarStr, "getVarStr");
  bind(calls.getVarInt, "getVarInt");
  bind(calls.doAdsPause, "DoAdsPause");
  bind(calls.setSection, "SetSection");
  bind(calls.vytvorSkicu, "VytvorSkicu");
  bind(calls.konstrukce, "Konstrukce");
  bind(calls.getAktKon, "getAktKon");
  bind(calls.vyberLayer, "VyberLayer");
  bind(calls.fillSekce, "FillSekce");
  bind(calls.fillModuly, "FillModuly");
  bind(calls.fillPodlazi, "FillPodlazi");
  bind(calls.fillKonstrukce, "FillKonstrukce");
  bind(calls.fillObHladiny, "FillObHladiny");
  bind(calls.fillZobrazeni, "FillZobrazeni");
  bind(calls.fillHladiny, "FillHladiny");
  return true;
}

}  // namespace qd::workspace

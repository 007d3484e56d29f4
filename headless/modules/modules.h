// Application modules: loading by name, the entry-point messages, the LISP functions
// they define, calls between modules, the host and the siblings, and registered commands.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "host/aced.h"
#include "host/rxregsvc.h"

namespace qd::modules {

// A function the host itself supplies (its own, or a sibling's stand-in): gets the
// argument list and fills the result; returns RTNORM or an error code.
using HostFunction = std::function<int(const resbuf* args, qd::ads::RbList& result)>;

struct Module {
  std::string path;
  std::u16string name;  // file name without folder and extension, upper case
  void* handle = nullptr;
  AcRxEntryPointFn entry = nullptr;
  bool locked = true;  // until acrxUnlockApplication
  std::map<int, int (*)()> registered;  // acedRegFunc
};

// A module's name as the host knows it: the file name without folder and extension,
// in upper case.
std::u16string moduleName(const std::string& path);

class Manager {
 public:
  static Manager& get();

  // Loads a module by path or by name (searched in the module folders); sends init and
  // load-drawing. False with a message when it cannot be loaded.
  bool load(const std::string& nameOrPath, std::u16string& message);
  // Sends unload-drawing and unload; a locked module refuses unless `force`.
  bool unload(const std::u16string& name, bool force, std::u16string& message);
  void unloadAll();
  // A drawing closes: modules get unload-drawing and their functions, which belong to
  // the drawing, are undefined. A drawing opens: modules get load-drawing.
  void drawingClosing();
  void drawingOpened();
  bool drawingOpen() const { return m_drawingOpen; }
  void addModuleFolder(const std::string& dir) { m_folders.push_back(dir); }
  // A library by file name ("QDMATUCS.ARX"): the loaded module of that name, else the
  // shared library of that name in a module folder, opened once more (dlclose gives it
  // back); null when there is none.
  void* openLibrary(const std::string& fileName) const;
  const std::vector<std::unique_ptr<Module>>& modules() const { return m_modules; }
  Module* find(const std::u16string& name) const;
  Module* findByHandle(void* handle) const;
  Module* byAppId(void* appId) const;

  // Functions.
  void defineHost(const std::u16string& name, HostFunction fn);
  bool defun(const std::u16string& name, int code);
  bool undef(const std::u16string& name, int code);
  bool isDefined(const std::u16string& name) const;
  // Calls a function by name. Returns RTERROR when no such function exists, else the
  // call's status; `result` holds what it returned.
  int invoke(const std::u16string& name, const resbuf* args, qd::ads::RbList& result);

  // The state of the call in progress, for acedGetArgs, acedGetFunCode and acedRet*.
  int currentCode() const { return m_call ? m_call->code : -1; }
  const resbuf* currentArgs() const { return m_call ? m_call->args : nullptr; }
  void setResult(resbuf* rb);
  Module* current() const { return m_current; }

  // Commands registered on the command stack.
  struct Command {
    std::u16string group, global, local;
    int32_t flags = 0;
    AcRxFunctionPtr fn = nullptr;
    Module* owner = nullptr;
  };
  Acad::ErrorStatus addCommand(const std::u16string& group, const std::u16string& global,
                               const std::u16string& local, int32_t flags, AcRxFunctionPtr fn);
  Acad::ErrorStatus removeCommand(const std::u16string& group, const std::u16string& global);
  Acad::ErrorStatus removeGroup(const std::u16string& group);
  // A typed name ("QDPURGE", "_QDPURGE", ".qdpurge"), found by global or local name.
  const Command* findCommand(std::u16string typed) const;

 private:
  struct Call {
    int code;
    const resbuf* args;
    qd::ads::RbList result;
    bool returned = false;
  };
  struct Defined {
    Module* module;  // null for the host's own
    int code = 0;
    HostFunction host;
  };
  AcRx::AppRetCode send(Module* m, AcRx::AppMsgCode msg);

  std::vector<std::unique_ptr<Module>> m_modules;
  std::vector<std::string> m_folders;
  std::map<std::u16string, Defined> m_functions;  // upper-case names
  std::vector<Command> m_commands;
  Call* m_call = nullptr;
  bool m_drawingOpen = true;
  Module* m_current = nullptr;
};

}  // namespace qd::modules

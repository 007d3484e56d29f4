#include "headless/modules/modules.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "headless/db/database_impl.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::modules {

namespace {
std::u16string upper(const std::u16string& s) { return qd::text::toUpper(s); }
}  // namespace

std::u16string moduleName(const std::string& path) {
  return qd::text::toUpper(qd::text::fromUtf8(std::filesystem::path(path).stem().string()));
}

namespace {
// Whether the working drawing has live objects whose class the module defines.
bool drawingHoldsObjectsOf(const Module* m) {
  Dl_info moduleInfo{};
  if (!dladdr(reinterpret_cast<void*>(m->entry), &moduleInfo)) return false;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return false;
  for (const auto& stub : db->impl()->stubs) {
    if (!stub->object || stub->object->isErased()) continue;
    // The object's virtual table lies in the library that defines its class.
    void* vtable = *reinterpret_cast<void**>(stub->object);
    Dl_info info{};
    if (dladdr(vtable, &info) && info.dli_fbase == moduleInfo.dli_fbase) return true;
  }
  return false;
}
}  // namespace

Manager& Manager::get() {
  static Manager m;
  return m;
}

Module* Manager::find(const std::u16string& name) const {
  const std::u16string wanted = moduleName(qd::text::toUtf8(name));
  for (const auto& m : m_modules)
    if (m->name == wanted) return m.get();
  return nullptr;
}

Module* Manager::findByHandle(void* handle) const {
  for (const auto& m : m_modules)
    if (m->handle == handle) return m.get();
  return nullptr;
}

Module* Manager::byAppId(void* appId) const {
  for (const auto& m : m_modules)
    if (m.get() == appId) return m.get();
  return nullptr;
}

AcRx::AppRetCode Manager::send(Module* m, AcRx::AppMsgCode msg) {
  Module* outer = m_current;
  m_current = m;
  const AcRx::AppRetCode rc = m->entry(msg, m);
  m_current = outer;
  return rc;
}

void* Manager::openLibrary(const std::string& fileName) const {
  namespace fs = std::filesystem;
  std::vector<fs::path> candidates;
  const fs::path given(fileName);
  const std::string stem = given.stem().string();
  if (given.has_parent_path()) {
    // A library named with its folder is looked for there only, as the file named or
    // as this platform's shared object of that name.
    for (const fs::path& name : {given.filename(), fs::path(stem + ".so"), fs::path("lib" + stem + ".so")})
      candidates.push_back(given.parent_path() / name);
  } else {
    if (const Module* loaded = find(moduleName(fileName))) candidates.push_back(loaded->path);
    for (const auto& dir : m_folders) {
      candidates.push_back(fs::path(dir) / (stem + ".so"));
      candidates.push_back(fs::path(dir) / ("lib" + stem + ".so"));
    }
  }
  for (const auto& c : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(c, ec))
      if (void* handle = dlopen(c.string().c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  return nullptr;
}

bool Manager::load(const std::string& nameOrPath, std::u16string& message) {
  namespace fs = std::filesystem;
  std::vector<fs::path> candidates;
  const fs::path given(nameOrPath);
  candidates.push_back(given);
  if (!given.has_parent_path())
    for (const auto& dir : m_folders) {
      candidates.push_back(fs::path(dir) / given);
      candidates.push_back(fs::path(dir) / ("lib" + given.string() + ".so"));
      candidates.push_back(fs::path(dir) / (given.string() + ".so"));
    }
  std::string path;
  for (const auto& c : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(c, ec)) {
      path = fs::absolute(c, ec).string();
      break;
    }
  }
  const std::u16string name = moduleName(nameOrPath);
  if (find(name)) {
    message = u"\"" + qd::text::fromUtf8(nameOrPath) + u"\" is already loaded.";
    return false;
  }
  if (path.empty()) {
    message = u"Unable to find \"" + qd::text::fromUtf8(nameOrPath) + u"\".";
    return false;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    message = u"Unable to load \"" + qd::text::fromUtf8(path) + u"\": " + qd::text::fromUtf8(dlerror());
    return false;
  }
  auto entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(handle, "acrxEntryPoint"));
  if (!entry) {
    dlclose(handle);
    message = u"\"" + qd::text::fromUtf8(path) + u"\" has no acrxEntryPoint.";
    return false;
  }
  auto m = std::make_unique<Module>();
  m->path = path;
  m->name = moduleName(path);
  m->handle = handle;
  m->entry = entry;
  Module* raw = m.get();
  m_modules.push_back(std::move(m));
  if (send(raw, AcRx::kInitAppMsg) != AcRx::kRetOK) {
    message = u"\"" + raw->name + u"\" refused to load.";
    m_modules.pop_back();
    dlclose(handle);
    return false;
  }
  if (m_drawingOpen) send(raw, AcRx::kLoadDwgMsg);
  return true;
}

bool Manager::unload(const std::u16string& name, bool force, std::u16string& message) {
  Module* m = find(name);
  if (!m) {
    message = u"\"" + name + u"\" is not loaded.";
    return false;
  }
  if (m->locked && !force) {
    message = u"\"" + m->name + u"\" is locked and cannot be unloaded.";
    return false;
  }
  // Objects of the module's classes need its code for as long as they exist.
  if (!force && drawingHoldsObjectsOf(m)) {
    message = u"\"" + m->name + u"\" cannot be unloaded: the drawing holds objects of its classes.";
    return false;
  }
  if (m_drawingOpen) send(m, AcRx::kUnloadDwgMsg);
  send(m, AcRx::kUnloadAppMsg);
  // Whatever the module left defined goes with it.
  for (auto it = m_functions.begin(); it != m_functions.end();)
    it = it->second.module == m ? m_functions.erase(it) : std::next(it);
  std::erase_if(m_commands, [m](const Command& c) { return c.owner == m; });
  void* handle = m->handle;
  std::erase_if(m_modules, [m](const auto& p) { return p.get() == m; });
  dlclose(handle);
  return true;
}

void Manager::unloadAll() {
  std::u16string ignored;
  while (!m_modules.empty()) unload(m_modules.back()->name, true, ignored);
}

void Manager::drawingClosing() {
  if (!m_drawingOpen) return;
  m_drawingOpen = false;
  for (const auto& m : m_modules) send(m.get(), AcRx::kUnloadDwgMsg);
  for (auto it = m_functions.begin(); it != m_functions.end();)
    it = it->second.module ? m_functions.erase(it) : std::next(it);
}

void Manager::drawingOpened() {
  m_drawingOpen = true;
  for (const auto& m : m_modules) send(m.get(), AcRx::kLoadDwgMsg);
}

void Manager::defineHost(const std::u16string& name, HostFunction fn) {
  m_functions[upper(name)] = Defined{nullptr, 0, std::move(fn)};
}

bool Manager::defun(const std::u16string& name, int code) {
  if (!m_current || name.empty()) return false;
  m_functions[upper(name)] = Defined{m_current, code, nullptr};
  return true;
}

bool Manager::undef(const std::u16string& name, int code) {
  auto it = m_functions.find(upper(name));
  if (it == m_functions.end() || it->second.module != m_current || it->second.code != code) return false;
  m_functions.erase(it);
  return true;
}

bool Manager::isDefined(const std::u16string& name) const { return m_functions.count(upper(name)) != 0; }

void Manager::setResult(resbuf* rb) {
  if (!m_call) {
    acutRelRb(rb);
    return;
  }
  m_call->result.reset(rb);
  m_call->returned = true;
}

int Manager::invoke(const std::u16string& name, const resbuf* args, qd::ads::RbList& result) {
  auto it = m_functions.find(upper(name));
  if (it == m_functions.end()) return RTERROR;
  const Defined d = it->second;  // the call may redefine functions
  if (!d.module) return d.host(args, result);
  Call call{d.code, args, {}, false};
  Call* outer = m_call;
  m_call = &call;
  int status = RTNORM;
  if (auto reg = d.module->registered.find(d.code); reg != d.module->registered.end()) {
    Module* outerModule = m_current;
    m_current = d.module;
    status = reg->second();
    m_current = outerModule;
  } else {
    // The entry answers kRetOK or RSRSLT (1) for a result given, RSERR (3) for an error.
    const int answer = send(d.module, AcRx::kInvkSubrMsg);
    status = answer == AcRx::kRetOK || answer == RSRSLT ? RTNORM : RTERROR;
  }
  m_call = outer;
  // A function that returned nothing gives nil.
  result = call.returned ? std::move(call.result) : qd::ads::RbList(acutNewRb(RTNIL));
  return status == RSERR ? RTERROR : status == RSRSLT ? RTNORM : status;
}

Acad::ErrorStatus Manager::addCommand(const std::u16string& group, const std::u16string& global,
                                      const std::u16string& local, int32_t flags, AcRxFunctionPtr fn) {
  if (group.empty() || global.empty() || !fn) return Acad::eInvalidInput;
  for (const auto& c : m_commands)
    if (upper(c.group) == upper(group) && upper(c.global) == upper(global)) return Acad::eDuplicateKey;
  m_commands.push_back(Command{group, global, local.empty() ? global : local, flags, fn, m_current});
  return Acad::eOk;
}

Acad::ErrorStatus Manager::removeCommand(const std::u16string& group, const std::u16string& global) {
  const size_t before = m_commands.size();
  std::erase_if(m_commands, [&](const Command& c) {
    return upper(c.group) == upper(group) && upper(c.global) == upper(global);
  });
  return m_commands.size() == before ? Acad::eKeyNotFound : Acad::eOk;
}

Acad::ErrorStatus Manager::removeGroup(const std::u16string& group) {
  const size_t before = m_commands.size();
  std::erase_if(m_commands, [&](const Command& c) { return upper(c.group) == upper(group); });
  return m_commands.size() == before ? Acad::eKeyNotFound : Acad::eOk;
}

const Manager::Command* Manager::findCommand(std::u16string typed) const {
  // "_" asks for the global name, "." for the command itself rather than a redefinition.
  bool global = false;
  while (!typed.empty() && (typed[0] == u'_' || typed[0] == u'.')) {
    global |= typed[0] == u'_';
    typed.erase(0, 1);
  }
  const std::u16string wanted = upper(typed);
  // The command registered last wins, as on a stack.
  for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it)
    if (upper(it->global) == wanted || (!global && upper(it->local) == wanted)) return &*it;
  return nullptr;
}

}  // namespace qd::modules

// The host's functions for modules: defun and invoke, results, locking, the system
// registry with its class dictionary, dynamic linker and command stack.
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "headless/db/database_impl.h"
#include "headless/modules/modules.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::modules::Manager;

int acedDefun(const ACHAR* sname, int funcno) {
  return sname && Manager::get().defun(sname, funcno) ? RTNORM : RTERROR;
}
int acedUndef(const ACHAR* sname, int funcno) {
  return sname && Manager::get().undef(sname, funcno) ? RTNORM : RTERROR;
}
int acedGetFunCode() { return Manager::get().currentCode(); }
resbuf* acedGetArgs() { return const_cast<resbuf*>(Manager::get().currentArgs()); }
int acedRegFunc(int (*fhdl)(), int fcode) {
  qd::modules::Module* m = Manager::get().current();
  if (!m) return RTERROR;
  if (fhdl) m->registered[fcode] = fhdl;
  else m->registered.erase(fcode);
  return RTNORM;
}

namespace {
int give(resbuf* rb) {
  Manager::get().setResult(rb);
  return RTNORM;
}
}  // namespace

int acedRetVoid() { return give(acutNewRb(RTVOID)); }
int acedRetNil() { return give(acutNewRb(RTNIL)); }
int acedRetT() { return give(acutNewRb(RTT)); }
int acedRetStr(const ACHAR* s) { return give(acutBuildList(RTSTR, s ? s : u"", 0)); }
int acedRetInt(int ival) { return give(acutBuildList(RTSHORT, ival, 0)); }
int acedRetReal(ads_real rval) { return give(acutBuildList(RTREAL, rval, 0)); }
int acedRetPoint(const ads_point pt) { return give(acutBuildList(RT3DPOINT, pt, 0)); }
int acedRetName(const ads_name aname, int type) {
  resbuf* rb = acutNewRb(type == RTPICKS ? RTPICKS : RTENAME);
  rb->resval.rlname[0] = aname[0];
  rb->resval.rlname[1] = aname[1];
  return give(rb);
}
int acedRetVal(const resbuf* rbuf) {
  if (!rbuf) return acedRetNil();
  resbuf* one = qd::ads::copyList(rbuf);
  acutRelRb(one->rbnext);
  one->rbnext = nullptr;
  return give(one);
}
int acedRetList(const resbuf* rbuf) {
  // A list is returned with its brackets, as LISP sees it.
  resbuf* list = acutNewRb(RTLB);
  list->rbnext = qd::ads::copyList(rbuf);
  qd::ads::append(list, acutNewRb(RTLE));
  return give(list);
}

int acedInvoke(const resbuf* args, resbuf** result) {
  if (result) *result = nullptr;
  if (!args || args->restype != RTSTR || !args->resval.rstring) return RTERROR;
  qd::ads::RbList out;
  const int rc = Manager::get().invoke(args->resval.rstring, args->rbnext, out);
  if (rc == RTNORM && result) *result = out.release();
  return rc;
}

bool acrxUnlockApplication(void* appId) {
  auto* m = Manager::get().byAppId(appId);
  if (!m) return false;
  m->locked = false;
  return true;
}
bool acrxLockApplication(void* appId) {
  auto* m = Manager::get().byAppId(appId);
  if (!m) return false;
  m->locked = true;
  return true;
}
bool acrxApplicationIsLocked(const ACHAR* name) {
  auto* m = name ? Manager::get().find(name) : nullptr;
  return m && m->locked;
}
bool acrxRegisterAppMDIAware(void* appId) { return Manager::get().byAppId(appId) != nullptr; }

namespace {

class DynamicLinker : public AcRxDynamicLinker {
 public:
  bool loadModule(const ACHAR* fileName, bool, bool) override {
    std::u16string message;
    return fileName && Manager::get().load(qd::text::toUtf8(fileName), message);
  }
  bool unloadModule(const ACHAR* fileName, bool) override {
    std::u16string message;
    return fileName && Manager::get().unload(fileName, false, message);
  }
  void* getSymbolAddress(const ACHAR* service, const ACHAR* symbol) const override;
  bool isApplicationLoaded(const ACHAR* name) const override { return name && Manager::get().find(name); }
};

class CommandStack : public AcEdCommandStack {
 public:
  Acad::ErrorStatus addCommand(const ACHAR* group, const ACHAR* global, const ACHAR* local, int32_t flags,
                               AcRxFunctionPtr fn) override {
    if (!group || !global) return Acad::eInvalidInput;
    return Manager::get().addCommand(group, global, local ? local : u"", flags, fn);
  }
  Acad::ErrorStatus removeCmd(const ACHAR* group, const ACHAR* global) override {
    if (!group || !global) return Acad::eInvalidInput;
    return Manager::get().removeCommand(group, global);
  }
  Acad::ErrorStatus removeGroup(const ACHAR* group) override {
    return group ? Manager::get().removeGroup(group) : Acad::eInvalidInput;
  }
};

// Classes by name, as the registry's "ClassDictionary" entry.
class ClassDictionary : public AcRxDictionary {
 public:
  AcRxObject* at(const ACHAR* key) const override { return key ? acrxFindClass(key) : nullptr; }
  AcRxObject* atPut(const ACHAR*, AcRxObject*) override { return nullptr; }
  AcRxObject* remove(const ACHAR*) override { return nullptr; }
  bool has(const ACHAR* key) const override { return at(key) != nullptr; }
  uint32_t numEntries() const override { return 0; }
};

class Registry : public AcRxDictionary {
 public:
  Registry() {
    m_entries[u"ClassDictionary"] = &m_classes;
    m_entries[u"DynamicLinker"] = &m_linker;
    m_entries[u"ACAD_REGISTERED_COMMANDS"] = &m_commands;
  }
  AcRxObject* at(const ACHAR* key) const override {
    auto it = key ? m_entries.find(key) : m_entries.end();
    return it == m_entries.end() ? nullptr : it->second;
  }
  AcRxObject* atPut(const ACHAR* key, AcRxObject* value) override {
    if (!key) return nullptr;
    AcRxObject* old = at(key);
    m_entries[key] = value;
    return old;
  }
  AcRxObject* remove(const ACHAR* key) override {
    AcRxObject* old = at(key);
    if (old) m_entries.erase(key);
    return old;
  }
  bool has(const ACHAR* key) const override { return at(key) != nullptr; }
  uint32_t numEntries() const override { return static_cast<uint32_t>(m_entries.size()); }
  DynamicLinker m_linker;
  CommandStack m_commands;

 private:
  ClassDictionary m_classes;
  std::map<std::u16string, AcRxObject*> m_entries;
};

Registry& registry() {
  static Registry r;
  return r;
}

void* DynamicLinker::getSymbolAddress(const ACHAR* service, const ACHAR* symbol) const {
  auto* m = service && symbol ? Manager::get().find(service) : nullptr;
  return m ? dlsym(m->handle, qd::text::toUtf8(symbol).c_str()) : nullptr;
}

}  // namespace

AcRxDictionary* acrxSysRegistry() { return &registry(); }
AcRxDictionary* acrxClassDictionary() { return AcRxDictionary::cast(registry().at(u"ClassDictionary")); }
AcRxDynamicLinker* acrxDynamicLinker() { return &registry().m_linker; }
AcEdCommandStack* acedCommandStack() { return &registry().m_commands; }

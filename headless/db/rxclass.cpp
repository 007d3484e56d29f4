// The run-time class registry.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "headless/db/filing.h"
#include "host/rxobject.h"
#include "platform/codepage.h"

struct AcRxClass::Data {
  std::u16string name, parentName, dxfName, appName;
  bool builtin = false;  // a class of the host itself, not of a module
  AcRxClass* parent = nullptr;
  int dwgVersion = 0, maintVersion = 0, proxyFlags = 0;
  AcRxPseudoConstructor create = nullptr;
};

namespace {
std::map<std::u16string, std::unique_ptr<AcRxClass>>& registry() {
  static std::map<std::u16string, std::unique_ptr<AcRxClass>> r;
  return r;
}

// The classes by upper-case DXF name, for the reader's lookup of every object. Of two
// classes with one DXF name the first by class name stands, as a walk of the registry
// finds it.
std::unordered_map<std::u16string, AcRxClass*>& byDxfName() {
  static std::unordered_map<std::u16string, AcRxClass*> m;
  return m;
}

void indexDxfName(const std::u16string& key) {
  auto& index = byDxfName();
  index.erase(key);
  for (auto& [n, c] : registry())
    if (!c->data()->dxfName.empty() && qd::text::toUpper(c->data()->dxfName) == key) {
      index[key] = c.get();
      return;
    }
}
}  // namespace

AcRxClass* AcRxObject::gpDesc = nullptr;
AcRxClass* AcRxObject::desc() {
  if (!gpDesc) rxInit();
  return gpDesc;
}
AcRxClass* AcRxObject::isA() const { return desc(); }
void AcRxObject::rxInit() { gpDesc = newAcRxClass(u"AcRxObject", u"", 0, 0); }
bool AcRxObject::isKindOf(const AcRxClass* cls) const {
  const AcRxClass* mine = isA();
  return mine && cls && mine->isDerivedFrom(cls);
}

AcRxClass* AcRxClass::gpDesc = nullptr;
AcRxClass* AcRxClass::desc() { return gpDesc; }
AcRxClass* AcRxClass::isA() const { return gpDesc; }
void AcRxClass::rxInit() { gpDesc = newAcRxClass(u"AcRxClass", u"AcRxObject", 0, 0); }

AcRxClass::AcRxClass(Data* d) : m_data(d) {}
AcRxClass::~AcRxClass() { delete m_data; }
const ACHAR* AcRxClass::name() const { return m_data->name.c_str(); }
const ACHAR* AcRxClass::dxfName() const { return m_data->dxfName.c_str(); }
const ACHAR* AcRxClass::appName() const { return m_data->appName.c_str(); }
AcRxClass* AcRxClass::myParent() const { return m_data->parent; }
int AcRxClass::proxyFlags() const { return m_data->proxyFlags; }
int AcRxClass::getClassVersion(int& maint) const {
  maint = m_data->maintVersion;
  return m_data->dwgVersion;
}
AcRxObject* AcRxClass::create() const { return m_data->create ? m_data->create() : nullptr; }
bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  // Parents are linked by name, so a module can name its classes in a loop: no walk
  // takes more steps than there are classes.
  size_t steps = 0;
  for (const AcRxClass* c = this; c; c = c->m_data->parent) {
    if (c == other) return true;
    if (++steps > 64 && steps > registry().size()) return false;
  }
  return false;
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer, int maintVer,
                        int proxyFlags, AcRxPseudoConstructor ctor, const ACHAR* dxfName, const ACHAR* appName) {
  auto& reg = registry();
  const std::u16string name = className ? className : u"";
  const std::u16string parent = parentClassName ? parentClassName : u"";
  if (auto it = reg.find(name); it != reg.end()) {
    if (it->second->data()->parentName != parent) acrx_abort(u"Class mismatch");
    return it->second.get();
  }
  auto* d = new AcRxClass::Data;
  d->name = name;
  d->parentName = parent;
  d->dxfName = dxfName ? dxfName : u"";
  d->appName = appName ? appName : u"";
  d->builtin = d->appName == u"ObjectDBX Classes";
  d->dwgVersion = dwgVer;
  d->maintVersion = maintVer;
  d->proxyFlags = proxyFlags;
  d->create = ctor;
  if (auto p = reg.find(parent); p != reg.end()) d->parent = p->second.get();
  auto cls = std::make_unique<AcRxClass>(d);
  AcRxClass* raw = cls.get();
  reg.emplace(name, std::move(cls));
  if (!d->dxfName.empty()) indexDxfName(qd::text::toUpper(d->dxfName));
  return raw;
}

bool qd::db::isBuiltinClass(const AcRxClass* cls) { return cls->data()->builtin; }

void deleteAcRxClass(AcRxClass* cls) {
  if (!cls) return;
  auto& reg = registry();
  for (auto& [n, c] : reg)
    if (c->data()->parent == cls) c->data()->parent = nullptr;
  const std::u16string dxf = qd::text::toUpper(cls->data()->dxfName);
  reg.erase(cls->data()->name);
  if (!dxf.empty()) indexDxfName(dxf);
}

void acrxBuildClassHierarchy() {
  auto& reg = registry();
  for (auto& [n, c] : reg) {
    auto p = reg.find(c->data()->parentName);
    c->data()->parent = p == reg.end() ? nullptr : p->second.get();
  }
}

AcRxClass* acrxFindClass(const ACHAR* className) {
  auto& reg = registry();
  auto it = reg.find(className ? className : u"");
  return it == reg.end() ? nullptr : it->second.get();
}

AcRxClass* acrxFindClassByDxfName(const ACHAR* dxfName) {
  auto& index = byDxfName();
  auto it = index.find(qd::text::toUpper(dxfName ? dxfName : u""));
  return it == index.end() ? nullptr : it->second;
}

void acrx_abort(const ACHAR* format, ...) {
  std::fprintf(stderr, "%s\n", qd::text::toUtf8(format ? format : u"").c_str());
  std::abort();
}

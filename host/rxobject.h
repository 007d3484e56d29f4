// Run-time classes: the root object, class descriptors and their registration.
#pragma once
#include "host/adsdef.h"

class AcRxClass;
class AcRxObject;

typedef AcRxObject* (*AcRxPseudoConstructor)();

#define ACRX_DECLARE_MEMBERS(CLASS)                                       \
 public:                                                                  \
  static AcRxClass* gpDesc;                                               \
  static AcRxClass* desc();                                               \
  static CLASS* cast(const AcRxObject* inPtr) {                           \
    return (inPtr && inPtr->isKindOf(CLASS::desc()))                      \
               ? static_cast<CLASS*>(const_cast<AcRxObject*>(inPtr))      \
               : nullptr;                                                 \
  }                                                                       \
  virtual AcRxClass* isA() const;                                         \
  static void rxInit()

// Defines the members and registers the class (`rxInit`) with a DXF name and the
// name of the application that owns it.
#define ACRX_DXF_DEFINE_MEMBERS(CLASS, PARENT, DWG_VERSION, MAINT_VERSION, PROXY_FLAGS, \
                                DXF_NAME, APP)                                          \
  AcRxClass* CLASS::gpDesc = nullptr;                                                   \
  AcRxClass* CLASS::desc() { return gpDesc; }                                           \
  AcRxClass* CLASS::isA() const { return gpDesc; }                                      \
  static AcRxObject* make##CLASS() { return new CLASS(); }                              \
  void CLASS::rxInit() {                                                                \
    gpDesc = newAcRxClass(u"" #CLASS, u"" #PARENT, DWG_VERSION, MAINT_VERSION,          \
                          PROXY_FLAGS, &make##CLASS, u"" #DXF_NAME, u"" #APP);          \
  }

class AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxObject);
  virtual ~AcRxObject() = default;
  bool isKindOf(const AcRxClass* cls) const;
  // A copy of the object, or null when it cannot be copied.
  virtual AcRxObject* clone() const { return nullptr; }
};

class AcRxClass : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxClass);
  const ACHAR* name() const;
  const ACHAR* dxfName() const;
  const ACHAR* appName() const;
  AcRxClass* myParent() const;
  int proxyFlags() const;
  int getClassVersion(int& maintVersion) const;
  AcRxObject* create() const;
  bool isDerivedFrom(const AcRxClass* other) const;

  struct Data;
  explicit AcRxClass(Data* d);
  ~AcRxClass() override;
  Data* data() const { return m_data; }

 private:
  Data* m_data;
};

// Registers a class; a class already registered under the name is returned as it
// stands when its parent matches. A mismatching parent aborts with "Class mismatch".
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer,
                        int maintVer, int proxyFlags = 0,
                        AcRxPseudoConstructor pseudoConstructor = nullptr,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr);
void deleteAcRxClass(AcRxClass* cls);
void acrxBuildClassHierarchy();
// The registered class of a name, or null.
AcRxClass* acrxFindClass(const ACHAR* className);
// The registered class whose DXF name is `dxfName`, or null.
AcRxClass* acrxFindClassByDxfName(const ACHAR* dxfName);
[[noreturn]] void acrx_abort(const ACHAR* format, ...);

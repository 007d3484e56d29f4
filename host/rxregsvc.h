// Application modules: the messages the host sends to a module's entry point, and the
// services a module uses to register itself.
#pragma once
#include "host/adsdef.h"
#include "host/rxobject.h"

namespace AcRx {
enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
  kDependencyMsg = 10,
  kNoDependencyMsg = 11,
  kOleUnloadAppMsg = 12,
  kPreQuitMsg = 13,
  kInitDialogMsg = 14,
  kEndDialogMsg = 15,
  kSuspendMsg = 16,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

// The entry point every module exports: ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(...).
#if defined(_WIN32)
#define ACRX_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define ACRX_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif
typedef AcRx::AppRetCode (*AcRxEntryPointFn)(AcRx::AppMsgCode msg, void* appId);

bool acrxUnlockApplication(void* appId);
bool acrxLockApplication(void* appId);
bool acrxApplicationIsLocked(const ACHAR* modulename);
bool acrxRegisterAppMDIAware(void* appId);

// The dictionary of the system registry: "ClassDictionary", "DynamicLinker",
// "ACAD_REGISTERED_COMMANDS" and what modules add.
class AcRxDictionary : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDictionary);
  virtual AcRxObject* at(const ACHAR* key) const = 0;
  virtual AcRxObject* atPut(const ACHAR* key, AcRxObject* value) = 0;
  virtual AcRxObject* remove(const ACHAR* key) = 0;
  virtual bool has(const ACHAR* key) const = 0;
  virtual uint32_t numEntries() const = 0;
};
AcRxDictionary* acrxSysRegistry();
AcRxDictionary* acrxClassDictionary();

// Loading and finding modules by name.
class AcRxDynamicLinker : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDynamicLinker);
  virtual bool loadModule(const ACHAR* fileName, bool printit, bool asCmd = false) = 0;
  virtual bool unloadModule(const ACHAR* fileName, bool asCmd = false) = 0;
  virtual void* getSymbolAddress(const ACHAR* serviceName, const ACHAR* symbol) const = 0;
  virtual bool isApplicationLoaded(const ACHAR* name) const = 0;
};
AcRxDynamicLinker* acrxDynamicLinker();

// Qdlbl: the annotation module. Its entry registers the commands and LISP functions of
// the module: the label command "QDLBL" (group "POPIS") with "C:QDLBL001", and the purge
// command "QDPURGE" (group "COM") with "C:QDPURGE001".
#include <cstring>

#include "Library/Inc/lisp_functions.h"
#include "host/aced.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/rxregsvc.h"
#include "label/DESC_PAR.h"
#include "label/command/LabelCommand.h"
#include "purge/PurgeCommand.h"

namespace {

// The index of an entry is its function code for the host.
const qd::support::LispFunction kFunctions[] = {
    {u"C:QDLBL001", qd::label::labelCommand},
    {u"C:QDPURGE001", qd::purge::purgeCommand},
};

void purgeCommandFromStack() { qd::purge::purgeCommand(); }
void labelCommandFromStack() { qd::label::labelCommand(); }

AcEdCommandStack* commandStack() { return AcEdCommandStack::cast(acrxSysRegistry()->at(u"ACAD_REGISTERED_COMMANDS")); }

void initialise() {
  DESC_PAR::rxInit();
  acrxBuildClassHierarchy();
  resbuf platform{};
  bool dos = false;
  if (acedGetVar(u"PLATFORM", &platform) == RTNORM && platform.restype == RTSTR) {
    dos = std::u16string(platform.resval.rstring) == u"386 DOS Extender";
    acutDelString(platform.resval.rstring);
  }
  if (AcEdCommandStack* stack = commandStack())
    stack->addCommand(u"COM", u"QDPURGE", dos ? u"LEćTI" : u"LEŠTI", ACRX_CMD_MODAL, purgeCommandFromStack);
  if (AcEdCommandStack* stack = commandStack())
    stack->addCommand(u"POPIS", u"QDLBL", u"QDLBL", ACRX_CMD_MODAL, labelCommandFromStack);
}

void unload() {
  DESC_PAR::rxUninit();
  if (AcEdCommandStack* stack = commandStack()) {
    stack->removeGroup(u"COM");
    stack->removeGroup(u"POPIS");
  }
}

}  // namespace

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      acrxUnlockApplication(appId);
      if (auto* linker = AcRxDynamicLinker::cast(acrxSysRegistry()->at(u"DynamicLinker"))) {
        (void)linker;
        acrxRegisterAppMDIAware(appId);
      }
      initialise();
      break;
    case AcRx::kUnloadAppMsg: unload(); break;
    case AcRx::kLoadDwgMsg: qd::support::defineFunctions(kFunctions); break;
    case AcRx::kUnloadDwgMsg: qd::support::undefineFunctions(kFunctions); break;
    case AcRx::kInvkSubrMsg: return static_cast<AcRx::AppRetCode>(qd::support::invokeFunction(kFunctions));
    default: break;
  }
  return AcRx::kRetOK;
}

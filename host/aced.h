// The editor: commands registered by modules, and the command stack.
#pragma once
#include "host/acadstrc.h"
#include "host/adsdef.h"
#include "host/rxobject.h"

typedef void (*AcRxFunctionPtr)();

namespace ACRX_CMD_FLAGS {
enum {
  kModal = 0x00000000,
  kTransparent = 0x00000001,
  kUsePickSet = 0x00000002,
  kRedraw = 0x00000004,
  kNoPerspective = 0x00000008,
  kNoMultiple = 0x00000010,
  kNoTileMode = 0x00000020,
  kNoPaperSpace = 0x00000040,
  kSession = 0x00200000,
};
}
#define ACRX_CMD_MODAL ACRX_CMD_FLAGS::kModal
#define ACRX_CMD_TRANSPARENT ACRX_CMD_FLAGS::kTransparent
#define ACRX_CMD_USEPICKSET ACRX_CMD_FLAGS::kUsePickSet
#define ACRX_CMD_REDRAW ACRX_CMD_FLAGS::kRedraw
#define ACRX_CMD_SESSION ACRX_CMD_FLAGS::kSession

class AcEdCommandStack : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdCommandStack);
  virtual Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                       const ACHAR* cmdLocalName, int32_t commandFlags,
                                       AcRxFunctionPtr FunctionAddr) = 0;
  virtual Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) = 0;
  virtual Acad::ErrorStatus removeGroup(const ACHAR* groupName) = 0;
};
// The host's command stack, as registered under "ACAD_REGISTERED_COMMANDS".
AcEdCommandStack* acedCommandStack();
#define acedRegCmds acedCommandStack()

// Qdgrid: the table module. Its entry defines the LISP functions "tv_write_table", which
// draws a table described by its arguments or hands it to the spreadsheet library, and
// "tv_edit_table", which cuts a drawn table in two.
#include <memory>
#include <new>

#include "Library/Inc/lisp_functions.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/rxregsvc.h"
#include "table/TableDescription.h"
#include "table/TableDrawing.h"
#include "table/TableExport.h"
#include "table/TableSplit.h"

namespace {

using qd::table::TableDescription;

// tv_write_table: (insertion corner id), or nil when nothing was drawn.
int writeTable() {
  std::unique_ptr<TableDescription> d(new (std::nothrow) TableDescription);
  if (!d) {
    acutPrintf(u"\n Low memory for malloc table array");
    return acedRetNil();
  }
  resbuf* args = acedGetArgs();
  if (qd::table::readTableDescription(args, *d) != RTNORM) return acedRetNil();
  const ads_point at = {d->insertion.x, d->insertion.y, d->insertion.z};
  if (d->exportMode) {
    qd::table::exportTable(*d);
    resbuf* result = acutBuildList(RT3DPOINT, at, RT3DPOINT, at, RTSTR, u"", 0);
    acedRetList(result);
    acutRelRb(result);
    return RTNORM;
  }
  qd::table::DrawnTable drawn;
  if (qd::table::drawTable(*d, drawn) != RTNORM) return acedRetNil();
  const ads_point corner = {drawn.lowerRight.x, drawn.lowerRight.y, drawn.lowerRight.z};
  resbuf* result = acutBuildList(RT3DPOINT, at, RT3DPOINT, corner, RTSTR, drawn.id.c_str(), 0);
  acedRetList(result);
  acutRelRb(result);
  return RTNORM;
}

// The index of an entry is its function code for the host.
const qd::support::LispFunction kFunctions[] = {
    {u"tv_write_table", writeTable},
    {u"tv_edit_table", qd::table::editTable},
};

}  // namespace

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      acrxUnlockApplication(appId);
      acrxRegisterAppMDIAware(appId);
      break;
    case AcRx::kLoadDwgMsg: qd::support::defineFunctions(kFunctions); break;
    case AcRx::kUnloadDwgMsg: qd::support::undefineFunctions(kFunctions); break;
    case AcRx::kInvkSubrMsg: return static_cast<AcRx::AppRetCode>(qd::support::invokeFunction(kFunctions));
    default: break;
  }
  return AcRx::kRetOK;
}

// State of the host session that the ADS functions keep between calls.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"

namespace qd::ads {

struct Session {
  // Entities made by entmake but not yet in a drawing, and the drawing they are for.
  uint64_t pendingDrawing = 0;                               // its serial number
  std::unique_ptr<AcDbBlockTableRecord> pendingBlock;       // entmake of a block definition
  std::vector<std::unique_ptr<AcDbEntity>> pendingEntities;  // its entities so far
  std::unique_ptr<AcDbEntity> pendingComplex;                // INSERT or POLYLINE awaiting SEQEND
  std::map<std::u16string, size_t> tableCursor;              // tblnext positions
  std::map<std::u16string, RbList> lispSymbols;              // acedGetSym / acedPutSym
  std::vector<std::string> supportPaths;                     // acedFindFile
  // Lets the user select objects (acedSSGet without a mode): fills the ids and returns
  // RTNORM, or RTCAN / RTERROR. Unset, interactive selection fails.
  std::function<int(const std::u16string& mode, std::vector<AcDbObjectId>& ids)> selectObjects;
};
Session& session();

// The entities of a selection set, in order (none for an unknown set).
std::vector<AcDbObjectId> idsOfSet(const ads_name ss);

// Where acutPrintf writes (the command line's transcript; standard output by default).
std::function<void(const std::u16string&)>& printSink();

}  // namespace qd::ads

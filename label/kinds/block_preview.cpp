#include "label/kinds/block_preview.h"

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"

namespace qd::label {
namespace {

using qd::support::Opened;

constexpr const char16_t* kWorkBlock = u"$WORK_VK$";

// Erases the working block's definition when there is one.
void eraseWorkBlock(AcDbBlockTable* table) {
  AcDbObjectId id;
  if (table->getAt(kWorkBlock, id) != Acad::eOk) return;
  Opened<AcDbBlockTableRecord> record(id, AcDb::kForWrite);
  if (record) record->erase();
}

bool defineWorkBlock(const std::function<void(AcDbBlockTableRecord*)>& fill) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return false;
  Opened<AcDbBlockTable> owned(table);
  eraseWorkBlock(table);
  auto* record = new AcDbBlockTableRecord();
  record->setName(kWorkBlock);
  AcDbObjectId id;
  if (table->add(id, record) != Acad::eOk) {
    delete record;
    return false;
  }
  fill(record);
  record->close();
  return true;
}

void dropWorkBlock() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return;
  Opened<AcDbBlockTable> owned(table);
  eraseWorkBlock(table);
}

}  // namespace

int dragBlockPreview(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill, AcGePoint3d& chosen) {
  if (!defineWorkBlock(fill)) return RTERROR;
  const AcGePoint3d start = previewStart(ctx);
  ads_point at;
  toUser(start, at);
  ads_name before, reference;
  if (acdbEntLast(before) != RTNORM) ads_name_clear(before);
  acedCommand(RTSTR, u"._-INSERT", RTSTR, kWorkBlock, RTPOINT, at, RTSTR, u"", RTSTR, u"", RTSTR, u"", RTNONE);
  int rc = RTERROR;
  ads_point picked = {0, 0, 0};
  if (acdbEntLast(reference) == RTNORM && !ads_name_equal(reference, before)) {
    ads_name set;
    acedSSAdd(reference, nullptr, set);
    setDragBase(start);
    rc = acedDragGen(set, qd::support::moduleText(39), 0, dragTranslate, picked);
    acedSSFree(set);
    acdbEntDel(reference);
  }
  dropWorkBlock();
  if (rc == RTNORM) chosen = toWorld(picked, ctx.elevation);
  return rc;
}

}  // namespace qd::label

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

line_slide g_slide;  // the line being slid along

// Inserts the working block outside the view and drags it with `drag`, called once the
// base is known; the reference and the block go again.
int dragWorkBlock(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill, short prompt,
                  int (*drag)(ads_point, ads_matrix), const std::function<void(const AcGePoint3d&)>& begin,
                  ads_point picked) {
  if (!defineWorkBlock(fill)) return RTERROR;
  const AcGePoint3d start = previewStart(ctx);
  ads_point at;
  toUser(start, at);
  ads_name before, reference;
  if (acdbEntLast(before) != RTNORM) ads_name_clear(before);
  acedCommand(RTSTR, u"._-INSERT", RTSTR, kWorkBlock, RTPOINT, at, RTSTR, u"", RTSTR, u"", RTSTR, u"", RTNONE);
  int rc = RTERROR;
  if (acdbEntLast(reference) == RTNORM && !ads_name_equal(reference, before)) {
    qd::support::SelectionSet set;
    acedSSAdd(reference, nullptr, set.name());
    begin(start);
    rc = acedDragGen(set.name(), qd::support::moduleText(prompt), 0, drag, picked);
    set.free();
    acdbEntDel(reference);
  }
  dropWorkBlock();
  return rc;
}

}  // namespace

void beginSlide(const line_slide& slide) { g_slide = slide; }
const line_slide& currentSlide() { return g_slide; }

int slideAlong(ads_point cursor, ads_matrix m) {
  setIdentity(m);
  const AcGePoint3d k = toWorld(cursor, g_slide.base.z);
  const AcGeVector3d along = g_slide.end - g_slide.start;
  const double length = along.dotProduct(along);
  const double t = length > 0 ? (k - g_slide.start).dotProduct(along) / length : -1;
  if (t >= 0 && t <= 1) g_slide.at = g_slide.start + along * t;
  m[0][3] = g_slide.at.x - g_slide.base.x;
  m[1][3] = g_slide.at.y - g_slide.base.y;
  return RTNORM;
}

int dragBlockPreview(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill, AcGePoint3d& chosen) {
  ads_point picked = {0, 0, 0};
  const int rc = dragWorkBlock(ctx, fill, 39, dragTranslate, [](const AcGePoint3d& base) { setDragBase(base); }, picked);
  if (rc == RTNORM) chosen = toWorld(picked, ctx.elevation);
  return rc;
}

int slideBlockPreview(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill,
                      const AcGePoint3d& start, const AcGePoint3d& end, AcGePoint3d& chosen) {
  const AcGePoint3d middle = start + (end - start) * 0.5;
  ads_point picked = {0, 0, 0};
  auto begin = [&](const AcGePoint3d& base) { beginSlide({start, end, base, middle}); };
  int rc = dragWorkBlock(ctx, fill, 50, slideAlong, begin, picked);
  if (rc == RTNONE) g_slide.at = middle, rc = RTNORM;
  chosen = g_slide.at;
  return rc;
}

}  // namespace qd::label

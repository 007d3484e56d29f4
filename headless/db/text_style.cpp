#include "headless/db/text_style.h"

#include "headless/db/database_impl.h"

namespace qd::db {

std::u16string styleFontFile(AcDbDatabase* db, std::u16string_view style) {
  auto* d = db ? db->impl() : nullptr;
  if (!d) return {};
  auto* rec = AcDbTextStyleTableRecord::cast(d->peek(d->recordId(d->textStyleTable, style)));
  const ACHAR* file = nullptr;
  if (!rec || rec->fileName(file) != Acad::eOk || !file) return {};
  return file;
}

const qd::font::Face& styleFace(AcDbDatabase* db, std::u16string_view style) {
  return qd::font::faceFor(styleFontFile(db, style));
}

}  // namespace qd::db

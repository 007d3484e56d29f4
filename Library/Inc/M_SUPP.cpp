#include "Library/Inc/M_SUPP.h"

#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>

#include "Library/Inc/holders.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::support {

void reportFailure(const char16_t* operation, Acad::ErrorStatus es) {
  acutPrintf(u"Failed: %ls(%ls).\n", operation, acadErrorStatusText(es));
}

bool isSubEntity(const AcDbEntity* e) {
  return AcDbVertex::cast(e) || AcDbSequenceEnd::cast(e) || AcDbAttribute::cast(e);
}

AcDbObjectId currentSpace() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return {};
  bool paper = false;
  if (!db->tilemode()) {
    resbuf rb{};
    paper = acedGetVar(u"CVPORT", &rb) == RTNORM && rb.resval.rint == 1;
  }
  return paper ? db->paperSpaceId() : db->modelSpaceId();
}

bool collectAfter(const ads_name entity, AcDbObjectIdArray& ids) {
  ids.setLogicalLength(0);
  AcDbObjectId after;
  if (entity && !ads_name_nil(entity) && acdbGetObjectId(after, entity) != Acad::eOk) return false;
  Opened<AcDbBlockTableRecord> space(currentSpace(), AcDb::kForRead);
  if (!space) {
    reportFailure(u"AcDbBlockTableRecord::getAt", space.status());
    return false;
  }
  AcDbBlockTableRecordIterator* raw = nullptr;
  space->newIterator(raw, true, true);
  std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
  if (!after.isNull()) {
    // An erased entity is brought back for the seek and erased again afterwards.
    const bool erased = after.isErased();
    if (erased) {
      Opened<AcDbEntity> e(after, AcDb::kForWrite, true);
      if (e) e->erase(false);
    }
    const Acad::ErrorStatus es = it->seek(after);
    if (erased) {
      Opened<AcDbEntity> e(after, AcDb::kForWrite);
      if (e) e->erase(true);
    }
    if (es != Acad::eOk) {
      reportFailure(u"AcDbBlockTableRecordIterator::seek", es);
      return false;
    }
    it->step(true, true);
  }
  for (; !it->done(); it->step(true, true)) {
    AcDbObjectId id;
    it->getEntityId(id);
    Opened<AcDbEntity> e(id, AcDb::kForRead);
    if (!e) {
      reportFailure(u"AcDbEntity::acdbOpenObject", e.status());
      continue;
    }
    if (!isSubEntity(e.get())) ids.append(id);
  }
  return true;
}

bool selectionToIds(const ads_name set, AcDbObjectIdArray& ids) {
  ids.setLogicalLength(0);
  int32_t n = 0;
  if (!set || acedSSLength(set, &n) != RTNORM || n == 0) return false;
  for (int32_t i = 0; i < n; ++i) {
    ads_name en;
    AcDbObjectId id;
    if (acedSSName(set, i, en) != RTNORM) continue;
    if (Acad::ErrorStatus es = acdbGetObjectId(id, en); es != Acad::eOk) {
      reportFailure(u"AcDbObjectId::acdbGetObjectId", es);
      continue;
    }
    Opened<AcDbEntity> e(id, AcDb::kForRead);
    if (!e) {
      reportFailure(u"AcDbEntity::acdbOpenObject", e.status());
      continue;
    }
    if (!isSubEntity(e.get())) ids.append(id);
  }
  return true;
}

namespace {
bool encodable(char16_t c) { return c == 0 || qd::text::toCodePage(std::u16string(1, c), 1250, '\0')[0] != '\0'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

void writeLpString(std::ostream& out, const std::optional<std::u16string>& text) {
  if (!text) {
    out.put('\0');
    return;
  }
  std::string bytes;
  for (char16_t c : *text) {
    if (encodable(c)) {
      bytes += qd::text::toCodePage(std::u16string(1, c), 1250);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\U+%04x", static_cast<unsigned>(c));
      bytes += escape;
    }
  }
  if (bytes.size() > 254) bytes.resize(254);
  out.put(static_cast<char>(bytes.size() + 1));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.put('\0');
}

bool readLpString(std::istream& in, std::optional<std::u16string>& text) {
  text.reset();
  const int length = in.get();
  if (length == std::char_traits<char>::eof()) return false;
  if (length == 0) return true;
  std::string bytes(static_cast<size_t>(length - 1), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
  if (in.get() == std::char_traits<char>::eof()) return false;
  std::u16string out;
  for (size_t i = 0; i < bytes.size() && out.size() < 256;) {
    if (bytes.compare(i, 3, "\\U+") == 0 && i + 7 <= bytes.size()) {
      int value = 0;
      bool hex = true;
      for (size_t k = 3; k < 7 && hex; ++k) {
        const int d = hexDigit(bytes[i + k]);
        hex = d >= 0;
        value = value * 16 + d;
      }
      if (hex) {
        out += static_cast<char16_t>(value);
        i += 7;
        continue;
      }
    }
    const char16_t c = qd::text::fromCodePage(std::string_view(bytes).substr(i, 1), 1250)[0];
    out += c == 0xFFFD ? u'?' : c;
    ++i;
  }
  text = std::move(out);
  return true;
}

}  // namespace qd::support

#include "label/DESC_PAR.h"

#include <cstring>

#include "host/adslib.h"
#include "host/rxregsvc.h"

namespace {

// The block offsets of the 35 strings and the 11 integers, in filing order.
constexpr size_t kStringOffsets[35] = {0,   4,   8,   28,  48,  68,  134, 204, 212, 216, 220, 292,
                                       312, 332, 336, 344, 364, 368, 376, 408, 412, 416, 436, 476,
                                       480, 484, 488, 508, 528, 556, 576, 596, 616, 636, 644};
constexpr size_t kIntegerOffsets[11] = {200, 208, 288, 340, 372, 396, 400, 404, 548, 552, 640};

// The width in UTF-16 units of the string field at an offset.
size_t unitsAt(size_t offset) {
  for (const auto& f : qd::label::settingsFields())
    if (f.offset == offset) return f.units;
  return 0;
}

AcRxClass* g_desc = nullptr;
AcRxObject* makeDescPar() { return new DESC_PAR(); }

void writeField(AcDbDwgFiler* f, const char16_t* field) { f->writeString(field); }

void readField(AcDbDwgFiler* f, char16_t* field, size_t units) {
  ACHAR* text = nullptr;
  f->readString(&text);
  const size_t n = text ? std::min(std::char_traits<char16_t>::length(text), units - 1) : 0;
  std::fill(field, field + units, u'\0');
  if (text) std::copy(text, text + n, field);
  acutDelString(text);
}

}  // namespace

AcRxClass* DESC_PAR::gpDesc = nullptr;
AcRxClass* DESC_PAR::desc() {
  if (!g_desc) g_desc = AcRxClass::cast(acrxClassDictionary()->at(u"DESC_PAR"));
  return g_desc;
}
AcRxClass* DESC_PAR::isA() const { return desc(); }

void DESC_PAR::rxInit() {
  if (AcRxClass* existing = AcRxClass::cast(acrxClassDictionary()->at(u"DESC_PAR"))) {
    if (g_desc && existing != g_desc) acrx_abort(u"Class mismatch");
    g_desc = existing;
    return;
  }
  g_desc = newAcRxClass(u"DESC_PAR", u"AcDbEntity", 15, 15, 1, makeDescPar, u"_T(\"TEXT_PAR\")",
                        u"\"TEXT_PAR|Norlan Works|Hollow Street 4 Town|Czech Republic\"");
  gpDesc = g_desc;
}

void DESC_PAR::rxUninit() {
  if (AcRxClass* cls = desc()) deleteAcRxClass(cls);
  g_desc = gpDesc = nullptr;
}

DESC_PAR::DESC_PAR() : m_settings(std::make_unique<qd::label::var_set>(qd::label::var_set::Construction::Light)) {
  for (auto& variant : m_rows)
    for (auto& rows : variant) rows.assign(1, std::nullopt);
}

DESC_PAR::~DESC_PAR() = default;

Acad::ErrorStatus DESC_PAR::dwgOutFields(AcDbDwgFiler* f) const {
  assertReadEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(f); es != Acad::eOk) return es;
  const qd::label::var_set& s = *m_settings;
  for (const char16_t* top : {s.current_variant, s.color, s.by_scale, s.bind, s.x_insert, s.confirm_txt,
                              s.beh_or_bef, s.angle_edit})
    writeField(f, top);
  f->writeInt16(static_cast<int16_t>(s.current_kind & 0xFFFF));
  f->writeInt16(static_cast<int16_t>(s.library_kind_mask & 0xFFFF));
  for (const auto& variant : s.table)
    for (const auto& block : variant) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
      for (size_t off : kStringOffsets) writeField(f, reinterpret_cast<const char16_t*>(bytes + off));
      for (size_t off : kIntegerOffsets) {
        int32_t value = 0;
        std::memcpy(&value, bytes + off, sizeof value);
        f->writeInt16(static_cast<int16_t>(value & 0xFFFF));
      }
    }
  for (const auto& variant : m_rows)
    for (const auto& rows : variant) {
      f->writeUInt32(static_cast<uint32_t>(rows.size()));
      for (const auto& node : rows) f->writeString(node ? node->c_str() : u"");
    }
  return f->filerStatus();
}

Acad::ErrorStatus DESC_PAR::dwgInFields(AcDbDwgFiler* f) {
  assertWriteEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(f); es != Acad::eOk) return es;
  qd::label::var_set& s = *m_settings;
  readField(f, s.current_variant, 10);
  readField(f, s.color, 2);
  readField(f, s.by_scale, 2);
  readField(f, s.bind, 2);
  readField(f, s.x_insert, 2);
  readField(f, s.confirm_txt, 2);
  readField(f, s.beh_or_bef, 2);
  readField(f, s.angle_edit, 16);
  int16_t kind = 0, mask = 0;
  f->readInt16(&kind);
  f->readInt16(&mask);
  s.current_kind = kind;  // sign-extended
  s.library_kind_mask = mask;
  for (auto& variant : s.table)
    for (auto& block : variant) {
      auto* bytes = reinterpret_cast<unsigned char*>(&block);
      for (size_t off : kStringOffsets) readField(f, reinterpret_cast<char16_t*>(bytes + off), unitsAt(off));
      for (size_t off : kIntegerOffsets) {
        int16_t value = 0;
        f->readInt16(&value);
        const int32_t wide = value;
        std::memcpy(bytes + off, &wide, sizeof wide);
      }
    }
  for (auto& variant : m_rows)
    for (auto& rows : variant) {
      uint32_t n = 0;
      if (f->readUInt32(&n) != Acad::eOk) return f->filerStatus();
      if (n == 0) continue;
      // A damaged count must not make the list huge: every node has a string behind it.
      rows.clear();
      for (uint32_t i = 0; i < n && f->filerStatus() == Acad::eOk; ++i) {
        ACHAR* text = nullptr;
        if (f->readString(&text) != Acad::eOk) break;
        rows.emplace_back(std::u16string(text ? text : u""));
        acutDelString(text);
      }
      if (rows.empty()) rows.assign(1, std::nullopt);
    }
  return f->filerStatus();
}

#include "label/settings/var_set.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::label {
namespace {

const char kHeader[] = "QDLBL DEF File TORVEL 13.4 ";
static_assert(sizeof kHeader - 1 == 27);
static_assert(kTableOffset + sizeof(kind_settings) * kVariants * kKinds == kUserFileSize);


// The top slots of both files: position, width, field.
struct Slot {
  size_t pos, width;
  char16_t* text;
  size_t units;
};

std::vector<Slot> textSlots(var_set& v) {
  return {{27, 10, v.current_variant, 10}, {37, 16, v.angle_edit, 16}, {53, 2, v.by_scale, 2},
          {55, 2, v.bind, 2},              {57, 10, v.x_insert, 2},    {67, 2, v.color, 2},
          {69, 2, v.confirm_txt, 2},       {71, 2, v.beh_or_bef, 2}};
}

bool environmentFolder(std::u16string& folder) {
  ACHAR value[1024];
  if (acedGetEnv(u"TVDAT", value, 1024) != RTNORM || !*value) {
    acedAlert(u"Not set environment \"TVDAT\" ");
    return false;
  }
  folder = value;
  return true;
}

std::string pathIn(const std::u16string& folder, const char* file) { return qd::text::toUtf8(folder) + "/" + file; }

// Settings files are a few kilobytes; anything far larger is not one.
constexpr size_t kSettingsFileLimit = 1 << 20;

bool readFile(const std::string& path, std::string& bytes) {
  std::string error;
  return qd::files::readFile(path, bytes, error, kSettingsFileLimit);
}

// Replaced durably, so the old file survives a failure; the failure is reported.
bool writeFile(const std::string& path, const std::string& bytes) {
  std::string error;
  if (qd::files::replaceFile(path, bytes, error)) return true;
  acutPrintf(u"\n%ls\n", qd::text::fromUtf8(error).c_str());
  return false;
}

uint16_t readU16(const std::string& b, size_t pos) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[pos]) | static_cast<unsigned char>(b[pos + 1]) << 8);
}

}  // namespace

var_set::var_set(Construction how) {
  if (how == Construction::Light) return;
  resbuf* units = nullptr;
  acedGetSym(u"TV_UNITS_M-MM", &units);
  qd::support::ResbufList ownedUnits(units);
  unit_factor = units && units->restype != RTNIL ? 1 : 1000;
  ensure_base_blocks();
  resbuf* scaleValue = nullptr;
  const bool known = acedGetSym(u"tvmer", &scaleValue) == RTNORM;
  qd::support::ResbufList ownedScale(scaleValue);
  if (!known || !scaleValue) return;  // an unknown variable leaves the scale empty
  char buf[64] = "????";
  if (scaleValue->restype == RTSHORT) std::snprintf(buf, sizeof buf, "1:%d", scaleValue->resval.rint);
  else if (scaleValue->restype == RTLONG) std::snprintf(buf, sizeof buf, "1:%d", scaleValue->resval.rlong);
  else if (scaleValue->restype == RTREAL) std::snprintf(buf, sizeof buf, "1:%g", scaleValue->resval.rreal);
  setText(scale, qd::text::fromUtf8(buf));
}

bool var_set::ensure_base_blocks() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return false;
  const std::u16string prototype = unit_factor == 1 ? u"QDBED-MM" : u"QDBED-M";
  AcDbBlockTable* blocks = nullptr;
  if (db->getBlockTable(blocks, AcDb::kForRead) != Acad::eOk) return false;
  bool complete = true;
  for (const std::u16string& name : {prototype, std::u16string(u"QDB"), std::u16string(u"QDK"), std::u16string(u"QDL"),
                                     std::u16string(u"QDS1"), std::u16string(u"QDS2")})
    complete = complete && blocks->has(name.c_str());
  AcDbObjectId old;
  blocks->getAt(prototype.c_str(), old);
  blocks->close();
  if (complete) return true;
  // A prototype definition of an incomplete set goes, with its references in model space.
  if (!old.isNull()) {
    qd::support::Opened<AcDbBlockTableRecord> model(db->modelSpaceId(), AcDb::kForRead);
    std::vector<AcDbObjectId> references;
    if (model)
      for (const auto& id : model->entityIds()) {
        qd::support::Opened<AcDbBlockReference> ref(id, AcDb::kForRead);
        if (ref && ref->blockTableRecord() == old) references.push_back(id);
      }
    model.close();
    for (const auto& id : references) {
      qd::support::Opened<AcDbEntity> ref(id, AcDb::kForWrite);
      if (ref) ref->erase();
    }
    qd::support::Opened<AcDbObject> definition(old, AcDb::kForWrite);
    if (definition) definition->erase();
  }
  ACHAR folder[1024] = {0};
  acedGetEnv(u"TVDWG", folder, 1024);
  const std::u16string file = prototype + u".DWG";
  const std::u16string path = std::u16string(folder) + u"/" + file;
  ACHAR found[1024];
  if (acedFindFile(path.c_str(), found, 1024) != RTNORM &&
      acedFindFile((std::u16string(folder) + u"/" + prototype + u".dxf").c_str(), found, 1024) != RTNORM) {
    acedAlert((u"Cannot find file \"" + file + u"\"").c_str());
    current_kind = 255;
    return false;
  }
  acedCommand(RTSTR, u"._-INSERT", RTSTR, path.c_str(), RTSTR, u"0,0,0", RTSTR, u"", RTSTR, u"", RTSTR, u"", RTNONE);
  return true;
}

var_set& var_set::operator=(const var_set& o) {
  if (this == &o) return *this;
  std::memcpy(current_variant, o.current_variant, sizeof current_variant);
  std::memcpy(angle_edit, o.angle_edit, sizeof angle_edit);
  std::memcpy(by_scale, o.by_scale, sizeof by_scale);
  std::memcpy(bind, o.bind, sizeof bind);
  std::memcpy(x_insert, o.x_insert, sizeof x_insert);
  std::memcpy(color, o.color, sizeof color);
  std::memcpy(confirm_txt, o.confirm_txt, sizeof confirm_txt);
  std::memcpy(beh_or_bef, o.beh_or_bef, sizeof beh_or_bef);
  current_kind = o.current_kind;
  library_kind_mask = o.library_kind_mask;
  std::memcpy(table, o.table, sizeof table);
  return *this;
}

void var_set::set_defaults() {
  setText(current_variant, u"typ1");
  setText(angle_edit, u"0");
  setText(by_scale, u"1");
  setText(bind, u"0");
  setText(x_insert, u"0");
  setText(color, u"1");
  setText(confirm_txt, u"0");
  setText(beh_or_bef, u"0");
  current_kind = 0;
  library_kind_mask = 65535;
  for (int v = 0; v < kVariants; ++v)
    for (int k = 0; k < kKinds; ++k) {
      auto* block = reinterpret_cast<unsigned char*>(&table[v][k]);
      std::memset(block, 0, sizeof(kind_settings));
      for (const auto& f : settingsFields()) {
        if (f.text()) {
          const std::u16string text = defaultText(f, v, k);
          std::memcpy(block + f.offset, text.data(), std::min(text.size(), f.units - 1) * sizeof(char16_t));
        } else {
          const int32_t value = defaultInteger(f, v, k);
          std::memcpy(block + f.offset, &value, sizeof value);
        }
      }
    }
}

std::string var_set::userFileImage() const {
  std::string b(kUserFileSize, '\0');
  std::memcpy(b.data(), kHeader, 27);
  auto self = const_cast<var_set*>(this);
  for (const Slot& s : textSlots(*self))
    for (size_t i = 0; i < std::min(s.units, s.width) && s.text[i]; ++i) b[s.pos + i] = static_cast<char>(s.text[i] & 0xFF);
  // The slot at 57 repeats color, confirm_txt and beh_or_bef after x_insert.
  const char16_t* repeated[3] = {color, confirm_txt, beh_or_bef};
  for (int i = 0; i < 3; ++i) b[59 + 2 * static_cast<size_t>(i)] = static_cast<char>(repeated[i][0] & 0xFF);
  b[73] = static_cast<char>(current_kind & 0xFF);
  b[74] = static_cast<char>((current_kind >> 8) & 0xFF);
  b[75] = static_cast<char>(library_kind_mask & 0xFF);
  b[76] = static_cast<char>((library_kind_mask >> 8) & 0xFF);
  std::memcpy(b.data() + kTableOffset, table, sizeof table);
  return b;
}

void var_set::readUserFile(const std::string& b) {
  for (const Slot& s : textSlots(*this)) {
    if (s.pos + s.width > b.size()) continue;  // past the end: kept as it was
    std::fill(s.text, s.text + s.units, u'\0');
    for (size_t i = 0; i < s.units - 1 && i < s.width && b[s.pos + i]; ++i)
      s.text[i] = static_cast<char16_t>(static_cast<unsigned char>(b[s.pos + i]));
  }
  if (b.size() >= 75) current_kind = readU16(b, 73);
  if (b.size() >= 77) library_kind_mask = readU16(b, 75);
  // Whole blocks only: a block cut short keeps its values.
  for (size_t i = 0; i < static_cast<size_t>(kVariants * kKinds); ++i) {
    const size_t pos = kTableOffset + i * sizeof(kind_settings);
    if (pos + sizeof(kind_settings) > b.size()) break;
    std::memcpy(&table[i / kKinds][i % kKinds], b.data() + pos, sizeof(kind_settings));
    // Text fields end within their width.
    for (const auto& f : settingsFields())
      if (f.text())
        reinterpret_cast<char16_t*>(reinterpret_cast<unsigned char*>(&table[i / kKinds][i % kKinds]) + f.offset)[f.units - 1] = 0;
  }
}

void var_set::readDefaultFile(const std::string& b) {
  auto slotText = [&b](size_t pos, size_t width) {
    std::string bytes = b.substr(pos, width);
    bytes.resize(std::strlen(bytes.c_str()));
    return qd::text::fromAnsi(bytes);
  };
  for (const Slot& s : textSlots(*this)) {
    if (s.pos + s.width > b.size()) continue;
    // The slot at 57 holds one character for x_insert.
    const std::u16string t = slotText(s.pos, s.pos == 57 ? 1 : s.width);
    std::fill(s.text, s.text + s.units, u'\0');
    std::copy(t.begin(), t.begin() + static_cast<long>(std::min(t.size(), s.units - 1)), s.text);
  }
  auto number = [&](size_t pos, int32_t& into) {
    if (pos + 2 > b.size()) return;
    into = std::atoi(qd::text::toUtf8(slotText(pos, 2)).c_str());
  };
  number(73, current_kind);
  number(75, library_kind_mask);
  constexpr size_t kLegacyBlock = 360;
  for (size_t i = 0; i < static_cast<size_t>(kVariants * kKinds); ++i) {
    const size_t pos = kTableOffset + i * kLegacyBlock;
    if (pos + kLegacyBlock > b.size()) break;
    auto* block = reinterpret_cast<unsigned char*>(&table[i / kKinds][i % kKinds]);
    for (const auto& f : settingsFields()) {
      if (f.text()) {
        const std::u16string t = slotText(pos + f.legacyOffset, f.legacyWidth);
        auto* field = reinterpret_cast<char16_t*>(block + f.offset);
        std::fill(field, field + f.units, u'\0');
        std::copy(t.begin(), t.begin() + static_cast<long>(std::min(t.size(), f.units - 1)), field);
      } else {
        std::memcpy(block + f.offset, b.data() + pos + f.legacyOffset, sizeof(int32_t));
      }
    }
  }
}

std::string var_set::defaultFileImage() const {
  constexpr size_t kLegacyBlock = 360;
  std::string b(kTableOffset + kLegacyBlock * kVariants * kKinds, '\0');
  std::memcpy(b.data(), kHeader, 27);
  auto put = [&b](size_t pos, size_t width, const char16_t* text) {
    const std::string bytes = qd::text::toAnsi(text);
    std::memcpy(b.data() + pos, bytes.data(), std::min(bytes.size(), width - 1));
  };
  for (const Slot& s : textSlots(*const_cast<var_set*>(this))) put(s.pos, s.pos == 57 ? 2 : s.width, s.text);
  put(73, 3, qd::text::fromUtf8(std::to_string(current_kind)).c_str());
  const std::u16string mask = qd::text::fromUtf8(std::to_string(library_kind_mask));
  // Two digits at most fit the slot; a larger mask is kept to its first two.
  std::memcpy(b.data() + 75, qd::text::toAnsi(mask).data(), std::min<size_t>(mask.size(), 2));
  for (size_t i = 0; i < static_cast<size_t>(kVariants * kKinds); ++i) {
    const auto* block = reinterpret_cast<const unsigned char*>(&table[i / kKinds][i % kKinds]);
    const size_t pos = kTableOffset + i * kLegacyBlock;
    for (const auto& f : settingsFields()) {
      if (f.text()) put(pos + f.legacyOffset, f.legacyWidth, reinterpret_cast<const char16_t*>(block + f.offset));
      else std::memcpy(b.data() + pos + f.legacyOffset, block + f.offset, sizeof(int32_t));
    }
  }
  return b;
}

namespace {

enum class UserFile { Missing, Read, Unreadable };

// The user file, told apart: missing, read, or there but unreadable (reported).
UserFile readUserBytes(const std::string& path, std::string& bytes) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return UserFile::Missing;
  std::string error;
  if (qd::files::readFile(path, bytes, error, kSettingsFileLimit)) return UserFile::Read;
  acutPrintf(u"\nQDLBL_U.SET cannot be read (%ls); it is left as it is.\n", qd::text::fromUtf8(error).c_str());
  return UserFile::Unreadable;
}

}  // namespace

bool var_set::userFileExists() const {
  ACHAR value[1024];
  if (acedGetEnv(u"TVDAT", value, 1024) != RTNORM || !*value) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(pathIn(value, "QDLBL_U.SET"), ec);
}

int var_set::open() {
  std::u16string folder;
  if (!environmentFolder(folder)) return 0;
  std::string bytes;
  if (readUserBytes(pathIn(folder, "QDLBL_U.SET"), bytes) == UserFile::Read) {
    if (bytes.size() < kUserFileSize)
      acutPrintf(u"\nQDLBL_U.SET is shorter than a settings file; what it lacks keeps its value.\n");
    readUserFile(bytes);
  } else if (readFile(pathIn(folder, "QDLBL.SET"), bytes)) {
    readDefaultFile(bytes);
  } else {
    set_defaults();
    return 0;
  }
  for (auto& variant : table)
    for (auto& block : variant) {
      setText(block.text_style, u"STANDARD");
      setText(block.ltype, u"CONTINUOUS");
    }
  if (current_kind < 0 || current_kind > 8) {
    acutPrintf(u"\n !!! Bad index array void var_set::open(), VAR_SET");
    current_kind = 0;
  }
  return 1;
}

int var_set::save_all() {
  std::u16string folder;
  if (!environmentFolder(folder)) return 0;
  return writeFile(pathIn(folder, "QDLBL_U.SET"), userFileImage()) ? 1 : 0;
}

int var_set::save_current(int variant, int kind) {
  if (variant < 0 || variant >= kVariants || kind < 0 || kind >= kKinds) return 0;
  var_set scratch(Construction::Light);
  std::u16string folder;
  if (!environmentFolder(folder)) return 0;
  std::string bytes;
  switch (readUserBytes(pathIn(folder, "QDLBL_U.SET"), bytes)) {
    case UserFile::Missing: save_all(); return 0;
    case UserFile::Unreadable: return 0;  // a file that could not be read is not written over
    case UserFile::Read: break;
  }
  scratch.readUserFile(bytes);
  std::string image = bytes.size() >= kUserFileSize ? bytes : scratch.userFileImage();
  // Only this block's bytes change; the rest of the file stays byte for byte.
  const size_t pos = kTableOffset + (static_cast<size_t>(variant) * kKinds + static_cast<size_t>(kind)) * sizeof(kind_settings);
  std::memcpy(image.data() + pos, &table[variant][kind], sizeof(kind_settings));
  return writeFile(pathIn(folder, "QDLBL_U.SET"), image) ? 1 : 0;
}

double var_set::scale_number() const {
  const std::u16string s = scale;
  const size_t colon = s.find(u"1:");
  return colon == std::u16string::npos ? 1.0 : std::atof(qd::text::toUtf8(s.substr(colon + 2)).c_str());
}

char16_t* var_set::scale_to_drawing(char16_t* size, size_t units) const {
  if (!size || units == 0) return size;
  double value = std::atof(qd::text::toUtf8(size).c_str());
  if (unit_factor != 1) value /= unit_factor;
  value *= scale_number();
  ACHAR text[64];
  // A size that cannot be written as a number is left as it was.
  if (acdbRToS(value, -1, -1, text, 64) != RTNORM) return size;
  const size_t n = std::min(std::char_traits<char16_t>::length(text), units - 1);
  std::copy(text, text + n, size);
  size[n] = 0;
  return size;
}

}  // namespace qd::label

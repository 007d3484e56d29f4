// The label settings record: the 648-byte blocks, the built-in defaults, the user and
// default settings files, and the scale conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "headless/ads/session.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "label/settings/var_set.h"
#include "platform/codepage.h"

namespace {

using qd::label::kind_settings;
using qd::label::var_set;

std::u16string text(const char16_t* field) { return field; }

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          (std::string("qd_settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    acedSetEnv(u"TVDAT", qd::text::fromUtf8(dir.string()).c_str());
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    printed.clear();
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
  }
  void TearDown() override {
    qd::ads::printSink() = [](const std::u16string&) {};
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    std::filesystem::remove_all(dir);
  }
  std::string user() const { return (dir / "QDLBL_U.SET").string(); }
  std::string read(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void write(const std::string& path, const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
  std::filesystem::path dir;
  std::unique_ptr<AcDbDatabase> db;
  std::u16string printed;
};

TEST_F(Settings, DefaultsFollowKindsAndVariants) {
  var_set v(var_set::Construction::Light);
  EXPECT_EQ(v.current_kind, 9);
  v.set_defaults();
  EXPECT_EQ(text(v.current_variant), u"typ1");
  EXPECT_EQ(v.library_kind_mask, 65535);
  EXPECT_EQ(text(v.table[0][5].heighttext_sc), u"2.4");
  EXPECT_EQ(text(v.table[1][5].heighttext_sc), u"2.5");
  EXPECT_EQ(text(v.table[1][8].text_pos), u"TL");
  EXPECT_EQ(text(v.table[0][8].text_pos), u"BL");
  EXPECT_EQ(v.table[1][7].color_text, 3);
  EXPECT_EQ(v.table[0][7].color_text, 256);
  EXPECT_EQ(text(v.table[2][6].where), u"atch_cor");
  EXPECT_EQ(text(v.table[0][6].where), u"atch_ce");
  EXPECT_EQ(text(v.table[0][5].where), u"");  // only kind 6 has it
  EXPECT_EQ(text(v.table[1][2].lenght_text_line), u"lenght_text");
  EXPECT_EQ(text(v.table[0][3].number_row), u"row1");
  EXPECT_EQ(text(v.table[0][5].number_row), u"row2");
  EXPECT_EQ(text(v.table[1][8].number_row), u"row1");
  EXPECT_EQ(text(v.table[2][4].number_row), u"row2");
  EXPECT_EQ(text(v.table[1][4].height_bubble), u"dmt_crc");
  EXPECT_EQ(v.table[0][1].mark_snapped, 2);
  EXPECT_EQ(v.table[0][1].mark_free, 3);
  EXPECT_EQ(v.table[0][6].mark_plain, 6);
  EXPECT_EQ(v.table[0][0].mark_plain, 0);  // kind 0 has no marks
  EXPECT_EQ(v.table[0][0].color_ref_line, 0);
  EXPECT_EQ(text(v.table[0][0].ltype), u"");
  EXPECT_EQ(text(v.table[0][1].ltype), u"CONTINUOUS");
  EXPECT_EQ(text(v.table[2][7].edt_wdth_mk_sc), u"18");
}

TEST_F(Settings, UserFileRoundTripsAndForcesStyleAndLinetype) {
  var_set v(var_set::Construction::Light);
  v.set_defaults();
  v.library_kind_mask = 256;
  std::memcpy(v.table[2][3].text_style, u"ARIAL", 12);
  v.current_kind = 8;
  ASSERT_EQ(v.save_all(), 1);
  const std::string bytes = read(user());
  ASSERT_EQ(bytes.size(), qd::label::kUserFileSize);
  EXPECT_EQ(bytes.substr(0, 27), "QDLBL DEF File TORVEL 13.4 ");
  var_set back(var_set::Construction::Light);
  ASSERT_EQ(back.open(), 1);
  EXPECT_EQ(back.library_kind_mask, 256);
  EXPECT_EQ(back.current_kind, 8);
  EXPECT_EQ(text(back.table[2][3].text_style), u"STANDARD");
  EXPECT_EQ(text(back.table[0][2].ltype), u"CONTINUOUS");
  EXPECT_EQ(text(back.table[0][5].heighttext_sc), u"2.4");
  // A different header is loaded all the same; a bad kind becomes 0 with one message.
  std::string changed = bytes;
  changed.replace(0, 5, "XXXXX");
  changed[73] = 12;
  write(user(), changed);
  var_set odd(var_set::Construction::Light);
  ASSERT_EQ(odd.open(), 1);
  EXPECT_EQ(odd.current_kind, 0);
  EXPECT_EQ(printed, u"\n !!! Bad index array void var_set::open(), VAR_SET");
}

TEST_F(Settings, SaveCurrentChangesOnlyItsBlock) {
  var_set v(var_set::Construction::Light);
  v.set_defaults();
  ASSERT_EQ(v.save_all(), 1);
  const std::string before = read(user());
  std::memcpy(v.table[1][4].heighttext_sc, u"9.9", 8);
  std::memcpy(v.table[0][0].heighttext_sc, u"7.7", 8);  // not saved
  v.current_kind = 3;                                   // not saved
  ASSERT_EQ(v.save_current(1, 4), 1);
  const std::string after = read(user());
  ASSERT_EQ(after.size(), before.size());
  const size_t first = 77 + (1 * 9 + 4) * 648, last = 77 + (1 * 9 + 5) * 648 - 1;
  for (size_t i = 0; i < after.size(); ++i)
    if (after[i] != before[i]) {
      EXPECT_TRUE(i >= first && i <= last) << "byte " << i;
    }
  EXPECT_NE(after.substr(first, 648), before.substr(first, 648));
}

TEST_F(Settings, SaveCurrentWithoutAUserFileWritesTheWholeRecord) {
  var_set v(var_set::Construction::Light);
  v.set_defaults();
  EXPECT_EQ(v.save_current(0, 0), 0);
  EXPECT_EQ(read(user()), v.userFileImage());
}

TEST_F(Settings, DefaultFileIsLegacyEightBitText) {
  std::string b(77 + 27 * 360, '\0');
  std::memcpy(b.data(), "QDLBL DEF File TORVEL 13.4 ", 27);
  std::memcpy(b.data() + 27, "typ2", 4);
  std::memcpy(b.data() + 37, "45", 2);
  b[57] = '1';
  std::memcpy(b.data() + 73, "7", 1);
  std::memcpy(b.data() + 75, "65", 2);
  // Block [1][2]: height "3.5", style "\x8Aikm\xE9" (ANSI 1250), colour 5.
  const size_t block = 77 + (1 * 9 + 2) * 360;
  std::memcpy(b.data() + block + 14, "3.5", 3);
  std::memcpy(b.data() + block + 34, "\x8Aikm\xE9", 5);
  const int32_t five = 5;
  std::memcpy(b.data() + block + 100, &five, 4);
  std::memcpy(b.data() + block + 242, "lenght_text", 11);
  write((dir / "QDLBL.SET").string(), b);
  var_set v(var_set::Construction::Light);
  ASSERT_EQ(v.open(), 1);
  EXPECT_EQ(text(v.current_variant), u"typ2");
  EXPECT_EQ(text(v.angle_edit), u"45");
  EXPECT_EQ(text(v.x_insert), u"1");
  EXPECT_EQ(v.current_kind, 7);
  EXPECT_EQ(v.library_kind_mask, 65);
  EXPECT_EQ(text(v.table[1][2].heighttext_sc), u"3.5");
  EXPECT_EQ(v.table[1][2].color_text, 5);
  EXPECT_EQ(text(v.table[1][2].lenght_text_line), u"lenght_text");
  EXPECT_EQ(text(v.table[1][2].text_style), u"STANDARD");  // forced after any load
}

TEST_F(Settings, ShortFilesKeepWhatTheyDoNotHold) {
  var_set full(var_set::Construction::Light);
  full.set_defaults();
  std::string image = full.userFileImage();
  std::memcpy(image.data() + 27, "typ3", 4);
  write(user(), image.substr(0, 77 + 648 + 100));  // the first block and part of the second
  var_set v(var_set::Construction::Light);
  v.set_defaults();
  std::memcpy(v.table[0][1].heighttext_sc, u"8.8", 8);
  ASSERT_EQ(v.open(), 1);
  EXPECT_EQ(text(v.current_variant), u"typ3");
  EXPECT_EQ(text(v.table[0][1].heighttext_sc), u"8.8");  // cut short: kept
  // Neither file: the defaults, and 0.
  std::filesystem::remove(user());
  var_set none(var_set::Construction::Light);
  EXPECT_EQ(none.open(), 0);
  EXPECT_EQ(none.library_kind_mask, 65535);
}

TEST_F(Settings, ScaleToDrawingAndConstruction) {
  resbuf prec{};
  prec.restype = RTSHORT;
  prec.resval.rint = 2;
  acedSetVar(u"LUPREC", &prec);
  qd::ads::session().lispSymbols.erase(u"TV_UNITS_M-MM");
  resbuf scale{};
  scale.restype = RTSHORT;
  scale.resval.rint = 100;
  acedPutSym(u"tvmer", &scale);
  var_set v;
  EXPECT_EQ(v.unit_factor, 1000);
  EXPECT_EQ(text(v.scale), u"1:100");
  char16_t size[16] = u"2.5";
  EXPECT_EQ(text(v.scale_to_drawing(size, 16)), u"0.25");
  resbuf t{};
  t.restype = RTT;
  acedPutSym(u"TV_UNITS_M-MM", &t);
  var_set mm;
  EXPECT_EQ(mm.unit_factor, 1);
  char16_t size2[16] = u"2.5";
  EXPECT_EQ(text(mm.scale_to_drawing(size2, 16)), u"250.00");
  acedPutSym(u"TV_UNITS_M-MM", nullptr);
  acedPutSym(u"tvmer", nullptr);
  // Assignment copies the dialog options and blocks, not the unit factor and scale.
  var_set light(var_set::Construction::Light);
  light.set_defaults();
  light.current_kind = 4;
  mm = light;
  EXPECT_EQ(mm.current_kind, 4);
  EXPECT_EQ(mm.unit_factor, 1);
  EXPECT_EQ(text(mm.scale), u"1:100");
}

}  // namespace

namespace {

TEST_F(Settings, TheShippedDefaultFileHoldsTheBuiltInDefaults) {
  std::filesystem::copy_file(std::string(QD_SOURCE_DIR) + "/data/QDLBL.SET", dir / "QDLBL.SET");
  var_set opened(var_set::Construction::Light);
  ASSERT_EQ(opened.open(), 1);
  // Read as it stands (open also sets every block's style and linetype).
  var_set shipped(var_set::Construction::Light);
  shipped.readDefaultFile(read((dir / "QDLBL.SET").string()));
  var_set builtIn(var_set::Construction::Light);
  builtIn.set_defaults();
  EXPECT_EQ(std::memcmp(shipped.table, builtIn.table, sizeof builtIn.table), 0);
  EXPECT_EQ(text(shipped.current_variant), text(builtIn.current_variant));
  EXPECT_EQ(text(shipped.color), u"1");
  // The legacy slot holds two digits: 65535 is written as its first two.
  EXPECT_EQ(shipped.library_kind_mask, 65);
}

}  // namespace

#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "label/DESC_PAR.h"

namespace {

TEST_F(Settings, DescParFilesEveryFieldAndRowListThroughDxf) {
  DESC_PAR::rxInit();
  acrxBuildClassHierarchy();
  auto* d = new DESC_PAR();
  d->settings().set_defaults();
  d->settings().current_kind = 8;
  d->settings().library_kind_mask = 65535;
  std::memcpy(d->settings().angle_edit, u"12.5", 10);
  std::memcpy(d->settings().table[2][8].heighttext_sc, u"3.75", 10);
  d->settings().table[1][6].color_mark = -7;
  d->rows(0, 0) = {std::u16string(u"Řádek 1"), std::nullopt, std::u16string(u"Třetí")};
  d->rows(2, 8) = {std::nullopt};
  // In the block "TVHK_DEF_BE", never inserted.
  AcDbBlockTable* blocks = nullptr;
  db->getBlockTable(blocks, AcDb::kForWrite);
  auto* def = new AcDbBlockTableRecord();
  def->setName(u"TVHK_DEF_BE");
  ASSERT_EQ(blocks->add(def), Acad::eOk);
  blocks->close();
  ASSERT_EQ(def->appendAcDbEntity(d), Acad::eOk);
  d->close();
  def->close();
  const std::string dxf = qd::dxf::write(db.get());
  EXPECT_NE(dxf.find("_T(\"TEXT_PAR\")"), std::string::npos);
  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, dxf, error), Acad::eOk);
  auto* c = copy.impl();
  auto* block = AcDbBlockTableRecord::cast(c->peek(c->recordId(c->blockTable, u"TVHK_DEF_BE")));
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(block->entityIds().size(), 1u);
  auto* back = DESC_PAR::cast(c->peek(block->entityIds()[0]));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->settings().current_kind, 8);
  EXPECT_EQ(back->settings().library_kind_mask, -1);  // 16 bits, sign-extended: every kind bit
  EXPECT_EQ(text(back->settings().angle_edit), u"12.5");
  EXPECT_EQ(text(back->settings().table[2][8].heighttext_sc), u"3.75");
  EXPECT_EQ(back->settings().table[1][6].color_mark, -7);
  EXPECT_EQ(std::memcmp(back->settings().table[0], d->settings().table[0], sizeof(kind_settings) * 9), 0);
  ASSERT_EQ(back->rows(0, 0).size(), 3u);
  EXPECT_EQ(*back->rows(0, 0)[0], u"Řádek 1");
  EXPECT_EQ(*back->rows(0, 0)[1], u"");  // a node without text comes back empty
  ASSERT_EQ(back->rows(2, 8).size(), 1u);
  EXPECT_EQ(*back->rows(2, 8)[0], u"");
  EXPECT_EQ(back->rows(1, 1).size(), 1u);
  // A damaged stream is refused, never loaded with made-up fields and written back: a
  // chunk lost, a chunk added, the stream cut short with its length to match.
  const size_t chunk = dxf.find("\n310\n");
  ASSERT_NE(chunk, std::string::npos);
  const size_t chunkEnd = dxf.find('\n', dxf.find('\n', chunk + 5) + 1);
  const std::string pair = dxf.substr(chunk, chunkEnd - chunk);
  std::string lost = dxf, added = dxf;
  lost.erase(chunk, pair.size());
  added.insert(chunk, pair);
  for (const std::string* damaged : {&lost, &added}) {
    AcDbDatabase bad(false);
    EXPECT_NE(qd::dxf::read(&bad, *damaged, error), Acad::eOk);
    EXPECT_NE(error.find(u"line"), std::u16string::npos);
  }
}

}  // namespace

#include "label/library/LabelLibrary.h"

namespace {

using qd::label::LabelLibrary;
using qd::label::Rows;

TEST(LibraryBytes, BlockOfARowAndAnEmptyRow) {
  const std::string entry = qd::label::entryBytes(u"N", 3, Rows{std::u16string(u"A"), std::nullopt});
  // name "N", kind 3, block length 6, block 02 41 00 | 01 00 | 00
  EXPECT_EQ(entry, std::string("\x02N\x00\x03\x06\x00\x00\x00\x02\x41\x00\x01\x00\x00", 14));
}

TEST_F(Settings, LibraryAppendsReadsReplacesAndDeletes) {
  LabelLibrary lib((dir / "QDLBL.LIB").string());
  EXPECT_TRUE(lib.readIndex().empty());  // a missing file is an empty library
  ASSERT_TRUE(lib.append(u"Dveře", Rows{std::u16string(u"D01"), std::u16string(u"800/1970")}, 1));
  ASSERT_TRUE(lib.append(u"okno", Rows{std::u16string(u"O1")}, 0));
  ASSERT_TRUE(lib.append(u"Ω", Rows{std::u16string(u"ωmega")}, 8));  // beyond code page 1250
  const std::string bytes = read((dir / "QDLBL.LIB").string());
  EXPECT_EQ(bytes.substr(0, 109), qd::label::libraryHeader());
  auto index = lib.readIndex();
  ASSERT_EQ(index.size(), 3u);
  EXPECT_EQ(index[0].name, u"Dveře");
  EXPECT_EQ(index[0].position, 109u);
  EXPECT_EQ(index[2].kind, 8);
  Rows rows;
  ASSERT_TRUE(lib.readRows(u"Ω", rows));
  EXPECT_EQ(*rows[0], u"ωmega");
  EXPECT_FALSE(lib.readRows(u"OKNO", rows));  // names compare exactly
  EXPECT_EQ(lib.readNames(u"<nový popis>"), (std::vector<std::u16string>{u"<nový popis>", u"Dveře", u"okno", u"Ω"}));
  // Replacing keeps the order and the replaced entry's place; nothing is left behind.
  const Rows replacement{std::u16string(u"O2"), std::nullopt, std::u16string(u"O3")};
  ASSERT_TRUE(lib.rewrite(u"okno", &replacement));
  EXPECT_FALSE(std::filesystem::exists(dir / "qdlbl.tmp"));
  index = lib.readIndex();
  ASSERT_EQ(index.size(), 3u);
  EXPECT_EQ(index[1].name, u"okno");
  ASSERT_TRUE(lib.readRows(u"okno", rows));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(*rows[1], u"");
  ASSERT_TRUE(lib.rewrite(u"Dveře", nullptr));
  index = lib.readIndex();
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].name, u"okno");
  // Sorted and filtered by kind; an empty listing has one empty item.
  const auto listing = LabelLibrary::sortedList(index, 1 << 0 | 1 << 8);
  EXPECT_EQ(listing.names, (std::vector<std::u16string>{u"okno", u"Ω"}));
  EXPECT_EQ(listing.entries, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(LabelLibrary::sortedList(index, 1 << 4).names, (std::vector<std::u16string>{u""}));
}

TEST(LibraryBytes, ATruncatedEntryEndsTheWalk) {
  std::string bytes = qd::label::libraryHeader() + qd::label::entryBytes(u"A", 0, Rows{std::u16string(u"1")}) +
                      qd::label::entryBytes(u"B", 1, Rows{std::u16string(u"22"), std::u16string(u"333")});
  const auto whole = qd::label::indexOf(bytes);
  ASSERT_EQ(whole.size(), 2u);
  for (size_t cut = 109; cut < bytes.size(); ++cut) {
    const auto index = qd::label::indexOf(bytes.substr(0, cut));
    EXPECT_LE(index.size(), 1u);
    for (const auto& e : index) EXPECT_EQ(e.name, u"A");
  }
  // A block length past the end of the file ends the walk too.
  bytes[109 + 3 + 1 + 3] = '\x7F';  // the high byte of A's block length
  EXPECT_TRUE(qd::label::indexOf(bytes).empty());
}

}  // namespace

namespace {

TEST_F(Settings, FullConstructionBringsTheBaseBlocks) {
  auto count = [this](const char16_t* name) {
    return db->impl()->recordId(db->impl()->blockTable, name).isNull() ? 0 : 1;
  };
  resbuf t{};
  t.restype = RTT;
  acedPutSym(u"TV_UNITS_M-MM", &t);
  acedSetEnv(u"TVDWG", qd::text::fromUtf8(std::string(QD_SOURCE_DIR) + "/data/dwg").c_str());
  var_set first;
  EXPECT_EQ(first.unit_factor, 1);
  EXPECT_EQ(first.current_kind, 9);
  for (const char16_t* name : {u"QDBED-MM", u"QDB", u"QDK", u"QDL", u"QDS1", u"QDS2"}) EXPECT_EQ(count(name), 1);
  const size_t entities = AcDbBlockTableRecord::cast(db->impl()->peek(db->modelSpaceId()))->entityIds().size();
  var_set second;  // complete: nothing more happens
  EXPECT_EQ(AcDbBlockTableRecord::cast(db->impl()->peek(db->modelSpaceId()))->entityIds().size(), entities);
  // Without the metre prototype's folder: the alert, and kind 255.
  acedPutSym(u"TV_UNITS_M-MM", nullptr);
  acedSetEnv(u"TVDWG", u"/nonexistent");
  var_set metre;
  EXPECT_EQ(metre.unit_factor, 1000);
  EXPECT_EQ(metre.current_kind, 255);
  EXPECT_EQ(count(u"QDBED-M"), 0);
}

TEST_F(Settings, KindMasksSurviveTheUserFile) {
  var_set v(var_set::Construction::Light);
  v.set_defaults();
  ASSERT_EQ(v.save_all(), 1);
  var_set back(var_set::Construction::Light);
  ASSERT_EQ(back.open(), 1);
  EXPECT_EQ(back.library_kind_mask, 65535);
  // A longer file than the layout: what follows is ignored.
  write(user(), read(user()) + std::string(100, 'x'));
  var_set longer(var_set::Construction::Light);
  ASSERT_EQ(longer.open(), 1);
  EXPECT_EQ(std::memcmp(longer.table, back.table, sizeof back.table), 0);
}

}  // namespace

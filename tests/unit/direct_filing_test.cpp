// LINEs, CIRCLEs, TEXTs and INSERTs filed straight from their groups make the drawing their classes' own
// filing makes of the same groups, however the groups stand, and damage fails alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "headless/dxf/group_cursor.h"
#include "headless/dxf/object_parser.h"
#include "headless/dxf/shared_groups.h"
#include "headless/render/svg.h"
#include "platform/codepage.h"

namespace {

struct Variant {
  const char* what;
  const char* type;
  std::string groups;  // "code\nvalue\n" each; {H} stands for a handle of its own
  bool straight;       // the quick way takes it
};

const std::vector<Variant>& variants() {
  static const std::vector<Variant> v = {
      {"plain", "LINE", "5\n{H}\n100\nAcDbEntity\n8\nWalls\n100\nAcDbLine\n10\n1.5\n20\n2\n30\n0\n11\n4\n21\n5\n31\n0\n", true},
      {"every common group and the class's others", "LINE",
       "5\n{H}\n330\n1F\n100\nAcDbEntity\n8\nwalls\n6\nDASHED\n62\n3\n370\n25\n48\n2.5\n60\n1\n100\nAcDbLine\n39\n4\n"
       "10\n1\n20\n2\n30\n3\n11\n-4\n21\n5e3\n31\n6\n210\n0\n220\n0\n230\n-2\n",
       true},
      {"points of two places, a Z without its Y", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n2\n11\n5\n31\n7\n", true},
      {"an entity group before the entity's marker", "LINE",
       "5\n{H}\n8\nBefore\n100\nAcDbEntity\n62\n-7\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", true},
      {"a group given twice: the last counts", "LINE",
       "5\n{H}\n100\nAcDbEntity\n8\nA\n8\nB\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n10\n2\n20\n2\n30\n2\n", true},
      {"a colour as a real, as some writers put it", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n62\n5.0\n100\nAcDbCircle\n10\n1\n20\n2\n30\n3\n40\n2.5\n", true},
      {"a circle tilted, its normal not of unit length", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n8\nWalls\n100\nAcDbCircle\n39\n2\n10\n1\n20\n2\n30\n3\n40\n5\n210\n0\n220\n3\n230\n4\n", true},
      {"a circle upside down", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbCircle\n10\n1\n20\n2\n30\n0\n40\n1\n210\n0\n220\n0\n230\n-1\n", true},
      {"a circle without a handle", "CIRCLE", "100\nAcDbEntity\n100\nAcDbCircle\n10\n0\n20\n0\n30\n0\n40\n1\n", true},
      {"the class's marker again", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n100\nAcDbLine\n11\n2\n21\n2\n31\n2\n", true},
      {"a block reference as drawings have it", "INSERT",
       "5\n{H}\n330\n1F\n100\nAcDbEntity\n8\nWalls\n100\nAcDbBlockReference\n2\nDoor\n10\n44047.59519700938\n20\n11890.6\n"
       "30\n0.0\n50\n90.0\n",
       true},
      {"a block reference scaled, turned, tilted and named in another case", "INSERT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n2\nDOOR\n10\n1\n20\n2\n30\n3\n41\n2\n42\n-1\n43\n3\n50\n45\n"
       "210\n0\n220\n1\n230\n1\n",
       true},
      {"a reference to a block the drawing has not", "INSERT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n2\nWindow\n10\n1\n20\n2\n30\n3\n", true},
      {"a block reference with its attributes", "INSERT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n66\n1\n2\nDoor\n10\n1\n20\n2\n30\n0\n66\n0\n"
       "0\nATTRIB\n5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n30\n0\n40\n1\n1\nD1\n100\nAcDbAttribute\n2\nNO\n70\n0\n"
       "0\nSEQEND\n5\n{H}\n100\nAcDbEntity\n",
       true},
      {"a block reference whose attributes do not follow", "INSERT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n66\n0\n2\nDoor\n10\n1\n20\n2\n30\n0\n"
       "0\nATTRIB\n5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n30\n0\n40\n1\n1\nD1\n100\nAcDbAttribute\n2\nNO\n70\n0\n",
       true},
      {"columns and rows", "INSERT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n2\nDoor\n10\n1\n20\n2\n30\n0\n70\n3\n44\n5\n", false},
      {"an entity group after the class's marker", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n8\nLost\n10\n1\n20\n1\n30\n1\n", false},
      {"a class group before the class's marker", "LINE",
       "5\n{H}\n100\nAcDbEntity\n10\n9\n20\n9\n30\n9\n100\nAcDbLine\n11\n1\n21\n1\n31\n1\n", false},
      {"no subclass markers", "LINE", "5\n{H}\n8\nWalls\n10\n1\n20\n2\n30\n0\n11\n3\n21\n4\n31\n0\n", false},
      {"no class marker", "CIRCLE", "5\n{H}\n100\nAcDbEntity\n8\nWalls\n10\n1\n20\n2\n30\n0\n40\n3\n", false},
      {"the entity's marker twice", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
      {"a marker spelt with an escape", "LINE",
       "5\n{H}\n100\n\\U+0041cDbEntity\n8\nWalls\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
      {"another class's marker", "LINE", "5\n{H}\n100\nAcDbEntity\n100\nAcDbCircle\n10\n1\n20\n1\n30\n1\n", false},
      {"extended data", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n1001\nACAD\n1000\nnote\n", true},
      {"extended data of every kind, some of which does not pack", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbCircle\n10\n1\n20\n1\n30\n1\n40\n2\n1001\nACAD\n1002\n{\n1010\n1\n1020\n2\n"
       "1030\n3\n1040\n0.5\n1070\n7\n1071\n70000\n1005\n1F\n1004\n0A0B\n1002\n}\n1001\nQD_PART\n1000\nP9\n",
       true},
      {"a binary chunk longer than a list holds", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n1001\nACAD\n1004\n" + std::string(80000, 'A') + "\n",
       false},
      {"a text as labels write it", "TEXT",
       "5\n{H}\n330\n1F\n100\nAcDbEntity\n8\nWalls\n100\nAcDbText\n10\n33699.900332664445\n20\n55532.88237329356\n30\n0.0\n"
       "40\n250.0\n1\nM\xC3\xADstnost 494\n100\nAcDbText\n1001\nQD_LABEL\n1000\nroom\n1070\n494\n1040\n47.24973576677177\n"
       "1001\nQD_PART\n1005\n0\n1000\nP9\n",
       true},
      {"a justified text, turned, slanted and narrowed", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n30\n0\n40\n2.5\n1\nRoom\n50\n30\n51\n15\n41\n0.8\n7\nstandard\n"
       "71\n2\n72\n1\n11\n5\n21\n6\n31\n0\n39\n1\n210\n0\n220\n0\n230\n2\n100\nAcDbText\n73\n2\n",
       true},
      {"a justified text without its alignment point", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n40\n2\n1\nAB\n72\n2\n100\nAcDbText\n73\n3\n", true},
      {"a justification the host does not know", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n40\n2\n1\nAB\n72\n9\n100\nAcDbText\n73\n-1\n", true},
      {"a text of carets, escapes and nothing", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n1\na^Jb\\U+00E9c^ d\n1\n\n7\n\n", true},
      // A NUL, which no value holds undamaged: a string or a name ends there.
      {"a NUL in a text, its style and its layer", "TEXT",
       std::string("5\n{H}\n100\nAcDbEntity\n8\nWa") + '\0' + "lls\n100\nAcDbText\n10\n1\n20\n2\n40\n2\n1\nAB" + '\0' +
           "CD\n7\nSTAN" + '\0' + "DARD\n72\n1\n11\n5\n21\n6\n100\nAcDbText\n",
       true},
      {"a NUL in a block's name and a linetype", "INSERT",
       std::string("5\n{H}\n100\nAcDbEntity\n6\nDASHED") + '\0' + "X\n100\nAcDbBlockReference\n2\nDoor" + '\0' +
           "way\n10\n1\n20\n2\n30\n0\n",
       true},
      {"a text's group its class does not read", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n40\n2\n1\nAB\n74\n1\n", false},
      {"an attribute's marker in a text", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n1\nAB\n100\nAcDbAttribute\n2\nTAG\n", false},
      {"a text's angle before its class's marker", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n50\n45\n100\nAcDbText\n1\nAB\n", false},
      {"reactors", "LINE",
       "5\n{H}\n102\n{ACAD_REACTORS\n330\n1F\n102\n}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
      {"paper space", "LINE", "5\n{H}\n100\nAcDbEntity\n67\n1\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
      {"a true colour the entity keeps", "LINE",
       "5\n{H}\n100\nAcDbEntity\n420\n255\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
      {"a group the class keeps", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbCircle\n10\n1\n20\n1\n30\n1\n40\n1\n71\n3\n", false},
      {"a group the class does not read", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n40\n3\n10\n1\n20\n1\n30\n1\n", false},
      {"a Y without its X", "CIRCLE", "5\n{H}\n100\nAcDbEntity\n100\nAcDbCircle\n20\n1\n40\n1\n", false},
  };
  return v;
}

// Damaged entities: each fails, the same way either way.
const std::vector<Variant>& damaged() {
  static const std::vector<Variant> v = {
      {"a point that is no number", "LINE", "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\nabc\n30\n0\n", false},
      {"a colour that is no number", "LINE", "5\n{H}\n100\nAcDbEntity\n62\nred\n100\nAcDbLine\n10\n1\n", false},
      {"a colour beyond any integer", "CIRCLE", "5\n{H}\n100\nAcDbEntity\n62\n1e30\n100\nAcDbCircle\n40\n1\n", false},
      {"damage after a group the quick way leaves", "LINE",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbLine\n40\n3\n11\nx\n", false},
      {"damage before the quick way could tell", "CIRCLE",
       "5\n{H}\n100\nAcDbEntity\n48\n1..5\n100\nAcDbCircle\n999\nnote\n", false},
      {"a text's height that is no number", "TEXT", "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n1\nAB\n40\nhigh\n", false},
      {"extended data that is no number", "TEXT",
       "5\n{H}\n100\nAcDbEntity\n100\nAcDbText\n1\nAB\n1001\nQD_LABEL\n1040\n4,5\n", false},
      {"a scale that is no number", "INSERT", "5\n{H}\n100\nAcDbEntity\n100\nAcDbBlockReference\n2\nDoor\n42\n-\n", false},
      {"a handle beyond any drawing's", "LINE",
       "5\nFFFFFFFFFFFFFFFF\n100\nAcDbEntity\n100\nAcDbLine\n10\n1\n20\n1\n30\n1\n", false},
  };
  return v;
}

// The entity's groups with a handle of its own in place of each {H}.
std::string entity(const Variant& v, unsigned& handle) {
  std::string groups = v.groups;
  for (size_t at = groups.find("{H}"); at != std::string::npos; at = groups.find("{H}", at)) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%X", handle++);
    groups.replace(at, 3, hex);
  }
  return std::string("0\n") + v.type + "\n" + groups;
}

std::string drawing(const std::string& entities) {
  return "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nWalls\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n"
         "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nDoor\n70\n0\n10\n0\n20\n0\n30\n0\n0\nLINE\n8\n0\n10\n0\n20\n0\n"
         "30\n0\n11\n1\n21\n0\n31\n0\n0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" +
         entities + "0\nENDSEC\n0\nEOF\n";
}

struct Read {
  Acad::ErrorStatus status;
  std::u16string error;
  std::string written, picture;  // the picture shows what the file does not say (a block found)
};

Read read(const std::string& text, bool direct) {
  AcDbDatabase db(false);
  Read r;
  qd::dxf::ReadOptions options;
  options.directFiling = direct;
  r.status = qd::dxf::read(&db, text, r.error, options);
  if (r.status == Acad::eOk) {
    r.written = qd::dxf::write(&db);
    r.picture = qd::render::modelSpaceSvg(&db);
  }
  return r;
}

void sameBothWays(const std::string& text, const std::string& what) {
  const Read quick = read(text, true), general = read(text, false);
  EXPECT_EQ(quick.status, general.status) << what;
  EXPECT_EQ(qd::text::toUtf8(quick.error), qd::text::toUtf8(general.error)) << what;
  EXPECT_TRUE(quick.written == general.written) << what;
  EXPECT_TRUE(quick.picture == general.picture) << what;
}

// Which entities the quick way takes: the common spellings, and nothing it would read
// otherwise than their classes read them.
TEST(DirectFiling, TakesTheCommonSpellingsAndLeavesTheOthers) {
  for (const Variant& v : variants()) {
    unsigned handle = 0x100;
    const std::string text = entity(v, handle) + "0\nENDSEC\n";
    qd::dxf::ObjectParser parser(text, 0);
    qd::dxf::GroupCursor c(text);
    c.next();  // past the entity's 0 group
    qd::db::Tags tags;
    qd::dxf::SharedGroups shared;
    qd::db::DirectFields direct;
    parser.parseEntity(c, qd::text::fromUtf8(v.type), tags, shared, direct);
    EXPECT_EQ(direct.kind != qd::db::DirectFields::Kind::None, v.straight) << v.what;
    // Its groups are typed as any object's when it is not taken.
    EXPECT_EQ(tags.empty(), v.straight) << v.what;
  }
}

// Each entity read both ways, alone in a small drawing (read in one walk) and among many
// in a large one (read in stretches on two threads): the same drawing written.
TEST(DirectFiling, MakesWhatTheClassesFilingMakes) {
  unsigned handle = 0x100;
  for (const Variant& v : variants()) sameBothWays(drawing(entity(v, handle) + entity(v, handle)), v.what);
  std::string large;
  while (large.size() < (size_t{1} << 20)) {
    for (const Variant& v : variants()) large += entity(v, handle);
  }
  sameBothWays(drawing(large), "a large drawing");
}

TEST(DirectFiling, DamageFailsAlikeWithItsLine) {
  for (const Variant& v : damaged()) {
    unsigned handle = 0x100;
    const std::string text = drawing(entity(variants()[0], handle) + entity(v, handle));
    const Read quick = read(text, true);
    EXPECT_NE(quick.status, Acad::eOk) << v.what;
    EXPECT_NE(quick.error.find(u"line"), std::u16string::npos) << v.what;
    sameBothWays(text, v.what);
    // And in stretches: after enough entities that the reader parses ahead.
    std::string large;
    while (large.size() < (size_t{1} << 20)) large += entity(variants()[1], handle);
    sameBothWays(drawing(large + entity(v, handle)), std::string(v.what) + " in a large drawing");
  }
}

}  // namespace

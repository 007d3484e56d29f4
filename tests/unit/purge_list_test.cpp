// The purge list: masks, the two files and their reading rules, and saving.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "purge/PurgeList.h"

namespace {

using qd::purge::matchMask;
using qd::purge::PurgeList;

TEST(MatchMask, WildCardsEscapesAndCase) {
  EXPECT_TRUE(matchMask(u"AXB", u"A*B"));
  EXPECT_TRUE(matchMask(u"AZZZ", u"A*B"));  // "*" ends the match at once
  EXPECT_TRUE(matchMask(u"12", u"##"));
  EXPECT_FALSE(matchMask(u"123", u"##"));
  EXPECT_FALSE(matchMask(u"1A", u"##"));
  EXPECT_TRUE(matchMask(u"*X", u"`*X"));
  EXPECT_FALSE(matchMask(u"AX", u"`*X"));
  EXPECT_FALSE(matchMask(u"*XY", u"`*X"));
  EXPECT_TRUE(matchMask(u"A1", u"@#"));
  EXPECT_FALSE(matchMask(u"11", u"@#"));
  EXPECT_FALSE(matchMask(u"wall", u"WALL"));  // case counts
  EXPECT_TRUE(matchMask(u"AB", u"AB*"));
  EXPECT_FALSE(matchMask(u"A", u"AB"));
  EXPECT_TRUE(matchMask(u"", u""));
  EXPECT_TRUE(matchMask(u"X", u"?"));
  EXPECT_FALSE(matchMask(u"X`", u"X`"));  // an escape at the end has nothing to match
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("qd_purge_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string path(const char* name) const { return (dir / name).string(); }
  void write(const char* name, const std::string& text) const { std::ofstream(path(name), std::ios::binary) << text; }
  std::string read(const char* name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::filesystem::path dir;
};

TEST_F(Files, TheDefaultFileIsReadUntilTheUserFileExists) {
  // The default file is in the ANSI code page (1250): "\x8A" is Š.
  write("QDPURGE.DAT", "junk [layer]\r\n0 1\r\nDEFPOINTS 1\r\n\x8A*  0\r\n[LAMASK] T*\r\n[unknown] x y\r\n[BLOCK]\r\n");
  {
    PurgeList list(path("QDPURGE.DAT"), path("QDPURGE_U.DAT"));
    EXPECT_EQ(list.defaultPath(), path("QDPURGE.DAT"));
    ASSERT_EQ(list.masks(2).size(), 3u);
    EXPECT_EQ(list.masks(2)[2].text, u"Š*");
    EXPECT_EQ(list.masks(2)[0].locked, 1);
    EXPECT_EQ(*list.lastMask(2), u"T*");
    EXPECT_TRUE(list.masks(1).empty());
    EXPECT_TRUE(list.isProtected(2, u"Šatna"));
    EXPECT_FALSE(list.isProtected(2, u"WALLS"));
  }
  // Saved as the user file, one byte a character: Š (U+0160) cannot be held and is
  // written as "?", which still matches it.
  const std::string saved = read("QDPURGE_U.DAT");
  EXPECT_EQ(saved, "\r\n\r\n[LAYER]\r\n0 1\r\nDEFPOINTS 1\r\n?* 0\r\n\r\n\r\n[LAMASK]\r\nT*\r\n");
  // The next run reads only the user file.
  write("QDPURGE.DAT", "[LAYER] OTHER 0");
  PurgeList again(path("QDPURGE.DAT"), path("QDPURGE_U.DAT"));
  EXPECT_TRUE(again.defaultPath().empty());
  EXPECT_EQ(again.masks(2).size(), 3u);
  EXPECT_EQ(again.masks(2)[2].text, u"?*");
  EXPECT_TRUE(again.isProtected(2, u"Šatna"));
  // Bytes of the user file are the characters of the same code.
  again.parse("[TEXTSTYLE] \xA9x 0", true);
  EXPECT_EQ(again.masks(5)[0].text, u"\u00A9x");
}

TEST_F(Files, ReadingStopsAtABadFlagAndKeepsWhatWasRead) {
  write("QDPURGE_U.DAT", "[BLOCK] A 0 B x C 0 [LAYER] L 0");
  PurgeList list("", path("QDPURGE_U.DAT"));
  ASSERT_EQ(list.masks(1).size(), 1u);
  EXPECT_TRUE(list.masks(2).empty());
  // A repeated section replaces the earlier one; an unterminated header ends the reading.
  list.parse("[LINETYPE] A 0 [LINETYPE] B 0 [DIMSTYLE", true);
  ASSERT_EQ(list.masks(3).size(), 1u);
  EXPECT_EQ(list.masks(3)[0].text, u"B");
}

TEST_F(Files, MasksAreAddedOnceRemovedUnlessLockedAndBlocksWithStarsAreKept) {
  PurgeList list("", path("QDPURGE_U.DAT"));
  list.addMask(u"WALL*", 0, 2);
  list.addMask(u"wall*", 0, 2);  // the same ignoring case: nothing changes
  list.addMask(u"", 0, 2);
  list.addMask(u"X", 0, 6);
  EXPECT_EQ(list.masks(2).size(), 1u);
  list.addMask(u"0", 1, 2);
  EXPECT_FALSE(list.removeMaskAt(1, 2));  // locked
  EXPECT_FALSE(list.removeMaskAt(5, 2));
  EXPECT_TRUE(list.removeMaskAt(0, 2));
  EXPECT_EQ(list.masks(2)[0].text, u"0");
  EXPECT_FALSE(list.isProtected(1, u"*U1"));  // no block masks: "*" blocks are not protected
  list.addMask(u"DOOR", 0, 1);
  EXPECT_TRUE(list.isProtected(1, u"*U1"));
  EXPECT_FALSE(list.isProtected(1, u"WINDOW"));
  // An empty last mask is kept but not written.
  list.setLastMask(u"  ", 3);
  EXPECT_EQ(*list.lastMask(3), u"  ");
  EXPECT_EQ(list.text().find("LIMASK"), std::string::npos);
}

TEST_F(Files, LongMasksAndWideCharactersKeepTheFileWellFormed) {
  {
    PurgeList list("", path("QDPURGE_U.DAT"));
    list.addMask(std::u16string(50, u'A'), 0, 2);  // longer than a token
    list.addMask(u"Ω*", 0, 2);                     // beyond one byte
    list.addMask(u"A B", 0, 2);                    // a blank would split the token
    list.addMask(u"Z", 1, 2);
  }
  PurgeList back("", path("QDPURGE_U.DAT"));
  ASSERT_EQ(back.masks(2).size(), 4u);
  EXPECT_EQ(back.masks(2)[0].text, std::u16string(39, u'A'));
  EXPECT_EQ(back.masks(2)[1].text, u"?*");
  EXPECT_TRUE(back.isProtected(2, u"Ωmega"));
  EXPECT_EQ(back.masks(2)[2].text, u"A?B");
  EXPECT_EQ(back.masks(2)[3].locked, 1);
}

TEST_F(Files, AnEmptyRunWritesAnEmptyFileAndMissingFilesGiveEmptyLists) {
  {
    PurgeList list(path("none.dat"), path("QDPURGE_U.DAT"));
    for (int k = 1; k <= 5; ++k) EXPECT_TRUE(list.masks(k).empty());
  }
  EXPECT_EQ(read("QDPURGE_U.DAT"), "");
  EXPECT_FALSE(std::filesystem::exists(path("QDPURGE_U.DAT.tmp")));
}

}  // namespace

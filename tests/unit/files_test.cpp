// Whole-file reading with its limit, and durable replacement under injected faults: each
// failure is reported and leaves the old file whole. Also the writers built on them.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "headless/dxf/dxf.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "label/library/LabelLibrary.h"
#include "label/settings/var_set.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "purge/PurgeList.h"

namespace {

using qd::files::testing::Fault;

class FileFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("qd_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    qd::files::testing::failNextReplacement(Fault::None);
    std::filesystem::remove_all(dir);
  }
  std::string path(const char* name) const { return (dir / name).string(); }
  void put(const char* name, const std::string& text) const { std::ofstream(path(name), std::ios::binary) << text; }
  std::string get(const char* name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  size_t filesInDir() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
  }
  std::filesystem::path dir;
};

TEST_F(FileFaults, ReadingRefusesLargeAndEndlessFilesAndNamesTheProblem) {
  put("a.txt", std::string(100, 'x'));
  std::string bytes, error;
  ASSERT_TRUE(qd::files::readFile(path("a.txt"), bytes, error, 100));
  EXPECT_EQ(bytes.size(), 100u);
  EXPECT_FALSE(qd::files::readFile(path("a.txt"), bytes, error, 99));
  EXPECT_NE(error.find("larger than 99 bytes"), std::string::npos);
  EXPECT_FALSE(qd::files::readFile("/dev/zero", bytes, error, 1 << 20));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(qd::files::readFile(path("missing"), bytes, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  EXPECT_FALSE(qd::files::readFile(dir.string(), bytes, error));
  // A file read whole, byte for byte; an empty one; one whose size the system does not
  // know beforehand (it says 0).
  std::string large(300000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
  put("large.bin", large);
  ASSERT_TRUE(qd::files::readFile(path("large.bin"), bytes, error));
  EXPECT_TRUE(bytes == large);
  put("empty.txt", "");
  ASSERT_TRUE(qd::files::readFile(path("empty.txt"), bytes, error));
  EXPECT_TRUE(bytes.empty());
  ASSERT_TRUE(qd::files::readFile("/proc/self/stat", bytes, error));
  EXPECT_NE(bytes.find("("), std::string::npos);
}

TEST_F(FileFaults, FileBytesHoldSmallAndLargeFilesWholeAndMoveWithTheirOwner) {
  using qd::files::FileBytes;
  std::string error;
  // The last one large enough to be read in two halves at once, of an odd size.
  for (const size_t size :
       {size_t{0}, size_t{10}, FileBytes::kMapFrom - 1, FileBytes::kMapFrom, size_t{3} << 20, (size_t{9} << 20) + 1}) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 13 % 253);
    put("f.bin", text);
    FileBytes bytes;
    ASSERT_TRUE(qd::files::readFile(path("f.bin"), bytes, error)) << size;
    EXPECT_TRUE(bytes.view() == text) << size;
    FileBytes assigned;
    {
      FileBytes moved(std::move(bytes));
      EXPECT_TRUE(moved.view() == text) << size;
      EXPECT_TRUE(bytes.view().empty()) << size;  // NOLINT(bugprone-use-after-move): a moved-from one is empty
      assigned = std::move(moved);
    }
    // The bytes outlive the objects they went through.
    EXPECT_TRUE(assigned.view() == text) << size;
  }
  FileBytes bytes;
  put("big.bin", std::string(FileBytes::kMapFrom + 5, 'y'));
  EXPECT_FALSE(qd::files::readFile(path("big.bin"), bytes, error, FileBytes::kMapFrom));
  EXPECT_NE(error.find("larger than"), std::string::npos);
  EXPECT_TRUE(bytes.view().empty());
  EXPECT_FALSE(qd::files::readFile("/dev/zero", bytes, error, 1 << 20));
  ASSERT_TRUE(qd::files::readFile("/proc/self/stat", bytes, error));
  EXPECT_NE(bytes.view().find("("), std::string::npos);
}

// Bytes a reader is done with are given back a whole page at a time: the pages wholly
// within the range read as zeros, every other byte as the file has it.
TEST_F(FileFaults, FileBytesGiveBackOnlyWholePagesOfTheirOwn) {
  using qd::files::FileBytes;
  const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  std::string text((size_t{3} << 20) + 11, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + i * 13 % 251);
  put("f.bin", text);
  std::string error;
  FileBytes bytes;
  ASSERT_TRUE(qd::files::readFile(path("f.bin"), bytes, error)) << error;
  const char* at = bytes.view().data();
  bytes.release(at + page + 100, at + 5 * page + 7);
  // From past the end, and from before the start: only the pages of the bytes count.
  bytes.release(at + text.size() - 2 * page - 1, at + text.size() + 10 * page);
  bytes.release(at - 8 * page, at + page - 1);
  std::string want = text;
  std::fill(want.begin() + static_cast<std::ptrdiff_t>(2 * page), want.begin() + static_cast<std::ptrdiff_t>(5 * page), '\0');
  const size_t tail = (text.size() - 2 * page - 1 + page - 1) / page * page;
  std::fill(want.begin() + static_cast<std::ptrdiff_t>(tail), want.begin() + static_cast<std::ptrdiff_t>(text.size() / page * page), '\0');
  ASSERT_EQ(bytes.view().size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)
    if (bytes.view()[i] != want[i]) FAIL() << "byte " << i << " of pages of " << page;
  // A small file's bytes are no pages of their own.
  put("small.bin", "0\nEOF\n");
  ASSERT_TRUE(qd::files::readFile(path("small.bin"), bytes, error));
  bytes.release(bytes.view().data(), bytes.view().data() + bytes.view().size());
  EXPECT_EQ(bytes.view(), "0\nEOF\n");
}

// Pages detached go to their new owner whole and stay when the bytes go; the others go.
TEST_F(FileFaults, FileBytesDetachedOutliveTheirBytes) {
  using qd::files::FileBytes;
  const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  std::string text(size_t{2} << 20, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + i * 7 % 249);
  put("f.bin", text);
  std::string error;
  std::pair<char*, char*> pages;
  char* start = nullptr;
  {
    FileBytes bytes;
    ASSERT_TRUE(qd::files::readFile(path("f.bin"), bytes, error)) << error;
    start = const_cast<char*>(bytes.view().data());
    pages = bytes.detach(start + 3 * page - 1, start + 9 * page + 1);
    ASSERT_EQ(pages.first, start + 3 * page);
    ASSERT_EQ(pages.second, start + 9 * page);
    // Detached again, in part: no page of the first range is unmapped for it.
    EXPECT_EQ(bytes.detach(start + 4 * page, start + 5 * page).first, start + 4 * page);
    FileBytes moved(std::move(bytes));
    EXPECT_TRUE(moved.view() == text);
  }
  // msync tells mapped pages from others.
  ASSERT_EQ(::msync(pages.first, 6 * page, MS_ASYNC), 0);
  EXPECT_TRUE(std::string_view(pages.first, 6 * page) == std::string_view(text).substr(3 * page, 6 * page));
  EXPECT_NE(::msync(start, page, MS_ASYNC), 0);
  EXPECT_NE(::msync(pages.second, page, MS_ASYNC), 0);
  EXPECT_NE(::msync(start + text.size() - page, page, MS_ASYNC), 0);
  ::munmap(pages.first, 6 * page);
  // A small file's bytes have no pages of their own to detach.
  FileBytes small;
  put("small.bin", "0\nEOF\n");
  ASSERT_TRUE(qd::files::readFile(path("small.bin"), small, error));
  EXPECT_EQ(small.detach(small.view().data(), small.view().data() + small.view().size()).first, nullptr);
}

TEST_F(FileFaults, EveryFailedStepLeavesTheOldFileAndNoTemporaryFile) {
  for (Fault step : {Fault::Create, Fault::Write, Fault::Sync, Fault::Close, Fault::Rename}) {
    put("f.dat", "old");
    qd::files::testing::failNextReplacement(step);
    std::string error;
    EXPECT_FALSE(qd::files::replaceFile(path("f.dat"), "new content", error)) << static_cast<int>(step);
    EXPECT_NE(error.find("cannot write"), std::string::npos);
    EXPECT_EQ(get("f.dat"), "old");
    EXPECT_EQ(filesInDir(), 1u);
  }
  // The fault is used up: the next replacement succeeds.
  std::string error;
  ASSERT_TRUE(qd::files::replaceFile(path("f.dat"), "new content", error));
  EXPECT_EQ(get("f.dat"), "new content");
}

// Content made piece by piece lands whole and in order; a drawing larger than one piece
// is saved as the same text it is written to in memory, and a failed write keeps the old.
TEST_F(FileFaults, PiecesAreWrittenInOrderAndADrawingSavedInPiecesIsWhole) {
  std::string error;
  ASSERT_TRUE(qd::files::replaceFile(
      path("p.dat"), [](const qd::files::ByteSink& write) { for (const char* piece : {"ab", "", "c", "def"}) write(piece); },
      error));
  EXPECT_EQ(get("p.dat"), "abcdef");

  AcDbDatabase db(true);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  for (int i = 0; i < 20000; ++i) {
    auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i + 0.125, 1.0 / 3, 0));
    AcDbObjectId id;
    ms->appendAcDbEntity(id, line);
    line->close();
  }
  ms->close();
  const std::string text = qd::dxf::write(&db);
  ASSERT_GT(text.size(), size_t{2} << 20);
  put("d.dxf", "old drawing");
  std::u16string why;
  qd::files::testing::failNextReplacement(Fault::Write);
  EXPECT_NE(qd::dxf::writeFile(&db, path("d.dxf"), why), Acad::eOk);
  EXPECT_EQ(get("d.dxf"), "old drawing");
  EXPECT_EQ(filesInDir(), 2u);
  ASSERT_EQ(qd::dxf::writeFile(&db, path("d.dxf"), why), Acad::eOk);
  EXPECT_EQ(get("d.dxf"), text);
}

TEST_F(FileFaults, AReplacedFileKeepsItsModeAndAReadOnlyOneIsNotReplaced) {
  put("m.dat", "old");
  ::chmod(path("m.dat").c_str(), 0640);
  std::string error;
  ASSERT_TRUE(qd::files::replaceFile(path("m.dat"), "new", error));
  struct stat st {};
  ::stat(path("m.dat").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  ::chmod(path("m.dat").c_str(), 0444);
  EXPECT_FALSE(qd::files::replaceFile(path("m.dat"), "newer", error));
  EXPECT_NE(error.find("read-only"), std::string::npos);
  EXPECT_EQ(get("m.dat"), "new");
  // A new file gets the usual mode, not the temporary file's private one.
  ASSERT_TRUE(qd::files::replaceFile(path("fresh.dat"), "x", error));
  ::stat(path("fresh.dat").c_str(), &st);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
  EXPECT_FALSE(qd::files::replaceFile(path("no/such/folder/x.dat"), "x", error));
}

TEST_F(FileFaults, APurgeListThatCannotBeSavedSaysSo) {
  put("QDPURGE_U.DAT", "[LAYER]\r\nA* 0\r\n");
  qd::purge::PurgeList list("", path("QDPURGE_U.DAT"));
  list.addMask(u"B*", 0, 2);
  qd::files::testing::failNextReplacement(Fault::Rename);
  std::string error;
  EXPECT_FALSE(list.save(error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(get("QDPURGE_U.DAT"), "[LAYER]\r\nA* 0\r\n");
  qd::purge::PurgeList nowhere("", (dir / "missing" / "QDPURGE_U.DAT").string());
  EXPECT_FALSE(nowhere.save(error));
  nowhere.forgetUserFile();
}

TEST_F(FileFaults, ARefusedSettingsSaveIsReportedAndTheOldFileStays) {
  acedSetEnv(u"TVDAT", qd::text::fromUtf8(dir.string()).c_str());
  qd::label::var_set v(qd::label::var_set::Construction::Light);
  ASSERT_EQ(v.save_all(), 1);
  const std::string before = get("QDLBL_U.SET");
  ASSERT_FALSE(before.empty());
  std::memcpy(v.table[0][0].heighttext_sc, u"9.9", 8);
  qd::files::testing::failNextReplacement(Fault::Rename);
  EXPECT_EQ(v.save_all(), 0);
  qd::files::testing::failNextReplacement(Fault::Sync);
  EXPECT_EQ(v.save_current(0, 0), 0);
  EXPECT_EQ(get("QDLBL_U.SET"), before);
}

TEST_F(FileFaults, LibraryAppendsSurviveATornEntryAndAFailedWrite) {
  using qd::label::Rows;
  qd::label::LabelLibrary lib(path("QDLBL.LIB"));
  ASSERT_TRUE(lib.append(u"A", Rows{std::u16string(u"1")}, 0));
  // A write torn in the middle of an entry leaves a tail the index walk cannot read.
  const std::string torn = qd::label::entryBytes(u"TORN", 1, Rows{std::u16string(u"22")});
  std::ofstream(path("QDLBL.LIB"), std::ios::binary | std::ios::app) << torn.substr(0, torn.size() - 3);
  ASSERT_TRUE(lib.append(u"B", Rows{std::u16string(u"2")}, 1));
  auto index = lib.readIndex();
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[1].name, u"B");
  const std::string before = get("QDLBL.LIB");
  qd::files::testing::failNextReplacement(Fault::Write);
  EXPECT_FALSE(lib.append(u"C", Rows{std::u16string(u"3")}, 2));
  qd::files::testing::failNextReplacement(Fault::Rename);
  EXPECT_FALSE(lib.rewrite(u"A", nullptr));
  EXPECT_EQ(get("QDLBL.LIB"), before);
}

TEST_F(FileFaults, ALibraryThatIsNotOneIsNeitherReadNorWrittenOver) {
  using qd::label::Rows;
  qd::label::LabelLibrary lib(path("QDLBL.LIB"));
  put("QDLBL.LIB", "NOT A LABEL LIBRARY");
  EXPECT_TRUE(lib.readIndex().empty());
  EXPECT_FALSE(lib.append(u"A", Rows{std::u16string(u"1")}, 0));
  EXPECT_FALSE(lib.rewrite(u"A", nullptr));
  EXPECT_EQ(get("QDLBL.LIB"), "NOT A LABEL LIBRARY");
  // An empty file is an empty library that takes its first entry.
  put("QDLBL.LIB", "");
  EXPECT_TRUE(lib.append(u"A", Rows{std::u16string(u"1")}, 0));
  EXPECT_EQ(lib.readIndex().size(), 1u);
}

}  // namespace

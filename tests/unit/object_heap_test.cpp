// The object heap: objects of a size share chunks, a deleted object's room goes to the
// next of its size whichever thread deletes it, and pages given to it are cut first.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "host/dbents.h"
#include "host/kept_bytes.h"
#include "host/object_heap.h"

namespace {

bool aligned(const void* p) { return reinterpret_cast<uintptr_t>(p) % 16 == 0; }

// Each thread cuts from its own chunks: a new one starts with none, whatever the tests
// before left.
template <class Body>
void onANewThread(Body body) {
  std::thread(body).join();
}

TEST(ObjectHeap, TheRoomOfADeletedObjectGoesToTheNextOfItsSize) {
  if (!qd::objectHeapTakesPages()) GTEST_SKIP() << "objects are general allocations under a sanitizer";
  onANewThread([] {
    std::vector<AcDbObject*> lines;
    for (int i = 0; i < 5000; ++i) {
      lines.push_back(new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0)));
      ASSERT_TRUE(aligned(lines.back())) << i;
    }
    std::set<const void*> distinct(lines.begin(), lines.end());
    EXPECT_EQ(distinct.size(), lines.size());
    // Deleted through the base, the line gives back its own size: the next line takes its
    // room, an object of another size does not.
    const void* freed = lines[1234];
    delete lines[1234];
    std::unique_ptr<AcDbText> text(new AcDbText());
    EXPECT_NE(static_cast<const void*>(text.get()), freed);
    lines[1234] = new AcDbLine();
    EXPECT_EQ(static_cast<const void*>(lines[1234]), freed);
    // Deleted on another thread, its room goes to that thread's objects; the objects made
    // here are unharmed.
    AcDbObject* away = lines[77];
    std::thread([away] { delete away; }).join();
    lines[77] = new AcDbLine(AcGePoint3d(7, 7, 7), AcGePoint3d(8, 8, 8));
    EXPECT_EQ(static_cast<AcDbLine*>(lines[4999])->startPoint().x, 4999.0);
    EXPECT_EQ(static_cast<AcDbLine*>(lines[77])->endPoint().z, 8.0);
    for (AcDbObject* o : lines) delete o;
  });
}

TEST(ObjectHeap, LargeAndEmptyRequestsAreServedAsAnyMemory) {
  for (const size_t size : {size_t{0}, size_t{1}, size_t{512}, size_t{513}, size_t{100000}}) {
    void* p = qd::allocateObject(size);
    ASSERT_NE(p, nullptr) << size;
    EXPECT_TRUE(aligned(p)) << size;
    std::memset(p, 0xAB, size);
    qd::freeObject(p, size);
  }
  qd::freeObject(nullptr, 64);
}

TEST(ObjectHeap, PagesGivenAreCutInOrderBeforeAnyNewChunk) {
  if (!qd::objectHeapTakesPages()) GTEST_SKIP() << "objects are general allocations under a sanitizer";
  // Pages the heap keeps for the process's life: never unmapped here.
  constexpr size_t kBytes = size_t{1} << 20;
  void* room = ::mmap(nullptr, 2 * kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(room, MAP_FAILED);
  char* const first = static_cast<char*>(room);
  char* const second = first + kBytes;
  auto inside = [](const void* p, const char* from, size_t n) {
    return static_cast<const char*>(p) >= from && static_cast<const char*>(p) < from + n;
  };
  onANewThread([&] {
    // Given to a thread that has cut nothing yet: its first object is the first of them.
    qd::giveObjectPages(first, second);
    qd::giveObjectPages(second, second + kBytes);
    std::vector<void*> taken;
    for (size_t i = 0; i < 2 * kBytes / 96 - 20; ++i) {
      void* p = qd::allocateObject(96);
      taken.push_back(p);
      // One after another, through both ranges.
      const char* in = i < kBytes / 96 ? first : second;
      const size_t at = i < kBytes / 96 ? i * 96 : (i - kBytes / 96) * 96;
      ASSERT_EQ(p, in + at) << i;
    }
    // Then a chunk of its own, once they are used up.
    for (size_t i = 2 * kBytes / 96 - 20; i < 2 * kBytes / 96; ++i) taken.push_back(qd::allocateObject(96));
    void* beyond = qd::allocateObject(96);
    EXPECT_FALSE(inside(beyond, first, 2 * kBytes));
    qd::freeObject(beyond, 96);
    for (void* q : taken) qd::freeObject(q, 96);
  });
}

}  // namespace

// A heap that grows makes each chunk twice the one before, up to a megabyte: objects
// come one after another for ever longer runs, and the last run is no longer than that.
TEST(ObjectHeap, ChunksMadeGrowUpToAMegabyte) {
  if (!qd::objectHeapTakesPages()) GTEST_SKIP() << "objects are general allocations under a sanitizer";
  onANewThread([] {
    constexpr size_t kSize = 512;
    std::vector<char*> taken;
    for (size_t i = 0; i < (size_t{6} << 20) / kSize; ++i) taken.push_back(static_cast<char*>(qd::allocateObject(kSize)));
    std::vector<size_t> runs{1};
    for (size_t i = 1; i < taken.size(); ++i) {
      if (taken[i] == taken[i - 1] + kSize) ++runs.back();
      else runs.push_back(1);
    }
    ASSERT_GE(runs.size(), 6u);
    const std::vector<size_t> want = {128, 256, 512, 1024, 2048, 2048};
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(runs[i], want[i]) << i;
    for (char* p : taken) qd::freeObject(p, kSize);
  });
}

// Kept bytes copy and move as values, and their text takes its room in the object heap,
// where the next text kept finds it again, not a general allocation.
TEST(ObjectHeap, KeptBytesAreValuesWhoseTextLivesInTheHeap) {
  onANewThread([] {
    qd::KeptBytes a;
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.str(), "");
    a.edit() = "packed groups, longer than a short text's room";
    qd::KeptBytes b = a;
    b.edit() += "!";
    EXPECT_EQ(a.str(), "packed groups, longer than a short text's room");
    EXPECT_EQ(b.str(), a.str() + "!");
    const qd::KeptBytes& same = a;
    a = same;
    EXPECT_EQ(a.str(), "packed groups, longer than a short text's room");
    qd::KeptBytes c = std::move(b);
    EXPECT_TRUE(b.empty());  // NOLINT: a moved-from value is empty
    EXPECT_EQ(c.str().back(), '!');
    a = qd::KeptBytes();
    EXPECT_TRUE(a.empty());
    if (!qd::objectHeapTakesPages()) return;
    const void* text = &c.str();
    c.clear();
    // A general allocation of its size in between does not take the room.
    const auto general = std::make_unique<std::string>("general");
    qd::KeptBytes d;
    d.edit() = "x";
    EXPECT_EQ(static_cast<const void*>(&d.str()), text);
  });
}

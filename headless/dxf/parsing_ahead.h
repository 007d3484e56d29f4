// The parsing of a drawing's entities on a thread of their own, a few batches ahead of
// the reader that builds them.
#pragma once
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "headless/db/tags.h"
#include "headless/dxf/group_cursor.h"
#include "headless/dxf/object_parser.h"
#include "headless/dxf/shared_groups.h"

namespace qd::dxf {

// An object as a parser leaves it.
struct ParsedObject {
  std::u16string type;
  size_t line = 0;  // where it starts
  db::Tags tags;  // its own groups
  SharedGroups shared;
};

// Objects parsed one after another, handed over together.
struct ParsedBatch {
  std::vector<ParsedObject> objects;  // the first `count` hold this batch's
  size_t count = 0;
  std::exception_ptr fault;  // what stopped the parser after them
  bool last = false;
};

// Parses the objects of a section on a thread of its own while the reader builds those
// parsed before: the text is typed on one core, the objects are made on another. A few
// batches go round between the two, so the room of their groups and texts is reused.
// The reader gets the batches in the file's order, and the parser's fault only after
// every object before it.
class ParsingAhead {
 public:
  static constexpr size_t kBatchSize = 256;
  static constexpr int kBatches = 3;

  ParsingAhead(std::string_view text, int codePage, const GroupCursor& start)
      : m_thread([this, text, codePage, start] { run(text, codePage, start); }) {}
  ParsingAhead(const ParsingAhead&) = delete;
  ParsingAhead& operator=(const ParsingAhead&) = delete;
  // Stops the parser (the reader may leave early, at a fault) and waits for it.
  ~ParsingAhead() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
  }

  std::unique_ptr<ParsedBatch> next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_ready.empty() || m_lost; });
    // The parser could not even hand over its fault (no memory for a batch).
    if (m_ready.empty()) std::rethrow_exception(m_lost);
    std::unique_ptr<ParsedBatch> b = std::move(m_ready.front());
    m_ready.erase(m_ready.begin());
    return b;
  }
  void giveBack(std::unique_ptr<ParsedBatch> b) {
    {
      std::lock_guard lock(m_mutex);
      m_free.push_back(std::move(b));
    }
    m_changed.notify_all();
  }

 private:
  void run(std::string_view text, int codePage, GroupCursor c);
  void parseAll(std::string_view text, int codePage, GroupCursor& c);
  // A batch to fill: one given back, or a new one while there are fewer than kBatches;
  // null once the reader has stopped.
  std::unique_ptr<ParsedBatch> takeFree();

  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::unique_ptr<ParsedBatch>> m_ready, m_free;
  int m_made = 0;
  bool m_stop = false;
  std::exception_ptr m_lost;  // a fault outside any batch
  std::thread m_thread;  // last: it starts at once, with everything above made
};

}  // namespace qd::dxf

// The parsing of a drawing's entities in stretches, on a thread of its own and on the
// reader's while it would wait, a few stretches ahead of the reader that builds them.
#pragma once
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
  // An entity filed straight from its groups (its kind none otherwise): its own groups
  // and its extended data's tags are then not to be read.
  db::DirectFields direct;
};

// The objects of one stretch of the section, handed over together.
struct ParsedBatch {
  std::vector<ParsedObject> objects;  // the first `count` hold this batch's
  size_t count = 0;
  uint32_t groups = 0;  // the groups the stretch holds
  uint64_t nextHandle = 0;  // as ObjectParser::takeNextHandle gives it for the stretch
  std::optional<Failure> failure;  // what stopped the parser after them
  std::exception_ptr fault;  // anything else that did
  bool last = false;
};

// How the entities are filed: every one through its groups, or the commonest kinds
// straight from them (see ObjectParser::parseEntity).
enum class EntityFiling { General, Direct };

// Where a stretch starts: a 0 group's code line, and its value's line.
struct StretchStart {
  size_t code, value;
};

// Where stretches of at least `step` bytes start in the groups from `from` to `end` (the
// value of the section's ENDSEC), the first at `from` itself, the others at 0 groups as
// zeroGroupValue finds them in a text whose codes have been checked. A text without
// them is a single stretch.
std::vector<StretchStart> stretchStarts(std::string_view text, size_t from, size_t end, size_t step);

// Parses the objects of a section in stretches while the reader builds those parsed
// before: the text is typed on one core, the objects are made on another. The parser's
// thread takes the stretches in order; the reader, rather than wait for the stretch it
// needs next, parses one ahead of the parser itself, so that whichever is faster does
// more of the typing. The reader gets the batches in the file's order, with their lines
// counted from the file's start, and a fault only after every object before it.
class ParsingAhead {
 public:
  // Some 170 entities of a building's drawing: as quick as twice that, in less memory.
  static constexpr size_t kStretchBytes = size_t{32} << 10;
  // Stretches parsed (or being parsed) ahead of the one being built, at most.
  static constexpr size_t kAhead = 4;
  // The least text told done at once: its owner's answer costs a call, and giving
  // memory back a flush of both cores' page tables as well.
  static constexpr size_t kDoneStep = size_t{1} << 20;

  // `start`: the section's first group; `end`: where its ENDSEC's value stands. Without
  // `thread` (one core), or when none can be started, the reader parses every stretch.
  // `step`: the least size of a stretch.
  // `done`, when given, is told of the text before each stretch once every stretch
  // before it has been handed over, from `kDoneStep` bytes on.
  ParsingAhead(std::string_view text, int codePage, const GroupCursor& start, size_t end, EntityFiling filing,
               bool thread = true, size_t step = kStretchBytes,
               std::function<void(const char* from, const char* to)> done = {});
  ParsingAhead(const ParsingAhead&) = delete;
  ParsingAhead& operator=(const ParsingAhead&) = delete;
  // Stops the parser (the reader may leave early, at a fault) and waits for it.
  ~ParsingAhead();

  // The next stretch's objects, parsed here when the parser's thread has not got to it;
  // null after the last.
  std::unique_ptr<ParsedBatch> next();
  void giveBack(std::unique_ptr<ParsedBatch> b);

 private:
  void run();
  // Claims the next stretch, with a batch to fill, when one may be parsed now: null
  // otherwise. Called with the lock held.
  std::unique_ptr<ParsedBatch> claim(size_t& stretch);
  // Parses stretch `n` into `b`, faults and all; its lines are counted from the
  // stretch's start, but for the first stretch's.
  void parseStretch(size_t n, ObjectParser& parser, ParsedBatch& b) const;
  // Counts the lines of stretch `n`'s batch from the file's start.
  void renumber(size_t n, ParsedBatch& b);
  // Tells `m_textDone` of the text before stretch `n`, when enough of it is new.
  void tellDone(size_t n);

  std::string_view m_text;
  GroupCursor m_start;
  uint32_t m_firstIndex;  // the number of the next stretch's first group in the file
  std::vector<StretchStart> m_starts;
  EntityFiling m_filing;
  ObjectParser m_readersParser;  // for the stretches the reader parses
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::unique_ptr<ParsedBatch>> m_done;  // by stretch, those parsed and not yet taken
  std::vector<std::unique_ptr<ParsedBatch>> m_free;
  size_t m_claimed = 0;  // stretches claimed, in order
  size_t m_wanted = 0;  // the stretch next() gives next
  bool m_stop = false;
  std::function<void(const char* from, const char* to)> m_textDone;
  size_t m_doneTo;  // the text told done ends here
  std::exception_ptr m_lost;  // a fault outside any batch
  ObjectParser m_threadsParser;
  std::thread m_thread;  // started once everything above is made
};

}  // namespace qd::dxf

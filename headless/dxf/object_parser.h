// The typing of an object's groups from the text alone.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "headless/db/direct_filing.h"
#include "headless/db/tags.h"
#include "headless/dxf/group_cursor.h"
#include "headless/dxf/shared_groups.h"

namespace qd::dxf {

// Types the groups of one object after another from the text alone, without the
// database: a pointer's handle is left for the reader to make an id of (in `integer`),
// so that a parser can run beside the reader that builds the objects.
class ObjectParser {
 public:
  // `handleLimit`: see takeNextHandle; at 0 no handles are counted.
  ObjectParser(std::string_view text, int codePage, uint64_t handleLimit = 0)
      : m_text(text), m_codePage(codePage), m_handleLimit(handleLimit) {}
  void setCodePage(int codePage) { m_codePage = codePage; }
  std::u16string decode(std::string_view s) const;
  void decodeInto(std::string_view raw, std::u16string& out) const;
  // The groups from the cursor's to the next 0 group (or, for a header variable, 9
  // group) into `out`, whose texts are reused; the cursor is left at that group. Gives
  // the line where the object starts.
  size_t parse(GroupCursor& c, bool headerVariable, db::Tags& out);
  // The same for an object's groups, with the groups every object shares told apart into
  // `shared` as they are typed, and its extended data packed as the object keeps it: the
  // thread that builds the object has only to take them.
  size_t parse(GroupCursor& c, bool dimstyle, db::Tags& out, SharedGroups& shared);
  // The same for an entity of `type`, whose groups are filed straight into `direct` when
  // it is a LINE, a CIRCLE, a TEXT or an INSERT of groups such filing knows (its kind
  // says so; `out` and the extended data's tags are then not to be read); the other
  // entities' are typed as any object's.
  size_t parseEntity(GroupCursor& c, std::u16string_view type, db::Tags& out, SharedGroups& shared,
                     db::DirectFields& direct);
  // One above the highest handle below `handleLimit` that an object's 5 or 105 group
  // taken since the last call gave (0 when none did), each group counted as the check
  // of the whole file counts it; counted from 0 again after the call.
  uint64_t takeNextHandle() { return std::exchange(m_nextHandle, 0); }
  // Counts the handle of a group that follows one of the code `previous`, for
  // takeNextHandle; groups read outside any object (before a section's first) as well.
  void noteGroup(const RawGroup& g, int previous) {
    if ((g.code == 5 || g.code == 105) && previous != 9 && m_handleLimit != 0) noteHandle(g);
  }

 private:
  std::string_view value(const RawGroup& g) const { return m_text.substr(g.offset, g.size); }
  // Caret notation (^J) and \U+XXXX escapes in a decoded text, from `from` on.
  static void unescape(std::u16string& text, size_t from);
  double number(const RawGroup& g) const;
  // Kept out of the way of the reals it is never called for.
  [[noreturn, gnu::cold, gnu::noinline]] void notANumber(const RawGroup& g) const;
  int64_t integer(const RawGroup& g) const;
  // Takes the raw groups from the cursor's to the next 0 (or 9) group; gives the line
  // where they start.
  size_t collect(GroupCursor& c, bool headerVariable);
  // Counts the handle of a 5 or 105 group taken, for takeNextHandle.
  void noteHandle(const RawGroup& g);
  // Types the groups taken, with the shared ones told apart.
  void typeShared(bool dimstyle, db::Tags& out, SharedGroups& shared);
  // Files the groups taken straight into `d`, when all of them are groups the class of
  // such an entity reads, where it reads them; false otherwise. Each group is
  // typed as typeGroup types it, in the same order, so that a damaged value fails the
  // same way. Extended data is packed as the object keeps it, straight from the groups.
  bool fileDirect(std::u16string_view type, db::DirectFields& d, SharedGroups& shared);
  // The group at `i` of the entity base (before the class's marker), or of the class
  // (with a point's Y and Z), filed into `d`; `i` is left after it. False for another.
  bool fileEntityGroup(size_t& i, db::DirectFields& d);
  bool fileOwnGroup(db::DirectFields::Kind kind, size_t& i, db::DirectFields& d);
  // Packs the group of extended data at `i` (with a point's Y and Z) onto `out` as
  // packGroups packs its tag, typed as typeGroup types it; `i` is left after it. False,
  // with `out` not to be used, for a group packing does not take.
  bool packXDataGroup(size_t& i, std::string& out);
  // The bytes of a binary group's hexadecimal digits, added to `bytes`.
  void binary(const RawGroup& g, std::string& bytes) const;
  // The point whose X the group at `i` holds, with the Y and Z after it; `i` is left
  // after them, `dims` says how many there were.
  AcGePoint3d point(size_t& i, int& dims) const;
  // Types the group at `i` (with the Y and Z after a point's X) into the tag at `n` of
  // `tags`, filled again, or taken from the spare ones, so that its texts keep their room.
  void typeInto(size_t& i, db::Tags& tags, size_t n);
  // Leaves the first `n` of `tags`, the others kept as spare ones.
  void keepFirst(db::Tags& tags, size_t n);
  // Types the group at `i` (with the Y and Z after a point's X) into `t`.
  void typeGroup(size_t& i, db::Tag& t);
  // The handle a pointer's group names, of which the reader makes an id.
  uint64_t pointer(const RawGroup& g) const;
  // The handle an object's 5 (or 105) group gives it.
  uint64_t handle(const RawGroup& g);

  std::string_view m_text;
  int m_codePage = 0;  // 0: UTF-8
  uint64_t m_handleLimit;  // handles are counted below it (none at 0)
  uint64_t m_nextHandle = 0;  // see takeNextHandle
  std::vector<RawGroup> m_raw;  // the groups of the object being read
  std::u16string m_value;  // a handle's or a bracket's text, a packed group's
  std::string m_value8;  // a packed group's bytes
  std::string m_packed;  // the extended data of the entity being filed straight, packed
  db::Tags m_dropped;  // groups typed for their faults only
  // Tags taken off the end of an object's list, with the room their texts have: the next
  // list to grow takes them, so that the room is not freed for one object and made again
  // for the next.
  db::Tags m_spare;
};

}  // namespace qd::dxf

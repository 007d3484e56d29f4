// The walk over a whole DXF text before anything of it is built: it refuses a file whose
// group codes or structure are broken, and finds the sections and the handles in use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qd::dxf {

// Far above any drawing's handles, far below where they would run out.
inline constexpr uint64_t kHandleSeedLimit = uint64_t{1} << 56;

// Where a section's groups start (after its name), and where the value of its ENDSEC
// stands.
struct Section {
  std::string name;
  size_t offset;
  uint32_t index;
  size_t end = 0;
};

struct Survey {
  std::vector<Section> sections;
  // One above the highest handle below the limit that an object of the file has (0 when
  // none has one), so that objects without handles get theirs above every handle of the
  // file, extended data's as well.
  uint64_t nextHandle = 0;
  // The groups of the first ENTITIES section were only counted, not walked: their codes
  // are for the reader to check as it parses them, and their handles are not in
  // nextHandle.
  bool entitiesLeft = false;
};

// From this size on, the second half is walked on another core; below it, a thread
// would cost more than it saves.
inline constexpr size_t kSurveySplitFrom = size_t{512} << 10;

// A text of `splitFrom` bytes or more is walked in two halves at once, the second on a
// thread of its own. Throws Failure: a bad group code or a missing value at the first
// place the file has one; when there is none, the first section, table or block that
// does not close, or the missing EOF.
//
// With `leaveEntities`, the groups of the first ENTITIES section, most of a drawing, are
// left to the reader, which walks them anyway: only their lines are counted, up to the
// section's end as sectionEnd finds it. Such a survey can tell no fault of theirs, and
// may pass a text the whole walk refuses (see entitiesLeft); where the section's end is
// not found, every group is walked.
Survey surveyText(std::string_view text, uint64_t handleLimit, size_t splitFrom = kSurveySplitFrom,
                  bool leaveEntities = false);

// The 0 group ENDSEC that ends a section whose groups start at `from`, found in the text
// alone: where its code line starts, and the number of groups before it. In a text whose
// codes are sound, a line that holds the code 0 followed by one that holds ENDSEC is such
// a group, whatever came before (an ENDSEC read as a code would be a bad one). Nothing
// when there is none, or when an odd number of lines stands before it. From `splitFrom`
// bytes after `from` on, the second half is scanned on another core.
struct SectionEnd {
  size_t code;
  uint32_t groups;
};
std::optional<SectionEnd> sectionEnd(std::string_view text, size_t from, size_t splitFrom = size_t{8} << 20);

// Where the value of the 0 group whose code line starts at `start` stands, when the
// lines there are a "0" and a word: a code line holds a number, so in a text whose codes
// are sound such lines are a 0 group's, whatever came before. npos otherwise.
size_t zeroGroupValue(std::string_view text, size_t start);

// Where a walk of the second half may start: a 0 group's code line, found from the middle
// on (see zeroGroupValue). npos when the text has none there.
size_t secondHalf(std::string_view text);

}  // namespace qd::dxf

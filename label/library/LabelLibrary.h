// The label library "QDLBL.LIB": named sets of label rows, each stored under a label
// kind, one entry after the other behind a 109-byte header.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qd::label {

using Rows = std::vector<std::optional<std::u16string>>;

struct LibraryEntry {
  std::u16string name;
  uint64_t position = 0;  // of the entry in the file
  int kind = 0;
};

// The bytes of a library file, read and made without touching the disk.
std::string libraryHeader();
// The entries in file order; a truncated or damaged entry ends the walk.
std::vector<LibraryEntry> indexOf(const std::string& bytes);
// The rows of the entry at `position` (until the end marker or the end of the bytes).
Rows rowsAt(const std::string& bytes, uint64_t position);
// An entry: name, kind byte, block length, the rows and the end marker.
std::string entryBytes(const std::u16string& name, int kind, const Rows& rows);

class LabelLibrary {
 public:
  explicit LabelLibrary(std::string path) : m_path(std::move(path)) {}
  std::vector<LibraryEntry> readIndex() const;
  // The names in file order after one extra first item.
  std::vector<std::u16string> readNames(const std::u16string& firstItem) const;
  bool readRows(const std::u16string& name, Rows& rows) const;
  // Adds an entry after the readable ones. Like a rewrite, the new library is written
  // completely beside the old one before it replaces it; a failure is reported and
  // leaves the old library as it was.
  bool append(const std::u16string& name, const Rows& rows, int kind);
  // Writes the library again without the entry `name`, or with `replacement` as its
  // rows. The new library is written completely beside the old one and flushed before
  // it replaces it, so an interrupted rewrite loses nothing.
  bool rewrite(const std::u16string& name, const Rows* replacement);

  // The names of the entries whose kind bit is in `kindMask`, sorted with the host's
  // "acad_strlsort" (a stable name sort when it is missing), and for each sorted
  // position the index of its entry; an empty list has one empty item.
  struct Listing {
    std::vector<std::u16string> names;
    std::vector<size_t> entries;
  };
  static Listing sortedList(const std::vector<LibraryEntry>& index, int kindMask);

 private:
  // The file's bytes (none for a missing file); false, after saying so, when the file is
  // there but cannot be read or is not a library.
  bool read(std::string& bytes) const;
  std::string m_path;
};

}  // namespace qd::label

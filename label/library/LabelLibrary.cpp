#include "label/library/LabelLibrary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::label {
namespace {

constexpr size_t kHeaderSize = 109;

bool readU32(std::istream& in, uint32_t& v) {
  unsigned char b[4];
  if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
  v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  return true;
}

std::string u32(uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
          static_cast<char>((v >> 24) & 0xFF)};
}

// The entry's name, kind and block at `position`; false when it is cut short. Only the
// entry's head is looked at, so walking the index costs one pass over the file.
bool entryAt(const std::string& bytes, uint64_t position, std::u16string& name, int& kind, uint64_t& blockStart,
             uint32_t& blockLength) {
  if (position >= bytes.size()) return false;
  // A name takes at most 256 bytes, then the kind byte and the block length.
  constexpr size_t kLongestHead = 256 + 1 + 4;
  std::istringstream in(bytes.substr(static_cast<size_t>(position), kLongestHead));
  std::optional<std::u16string> text;
  if (!qd::support::readLpString(in, text)) return false;
  const int k = in.get();
  if (k == std::char_traits<char>::eof() || !readU32(in, blockLength)) return false;
  blockStart = position + static_cast<uint64_t>(in.tellg());
  if (blockStart + blockLength > bytes.size()) return false;
  name = text.value_or(u"");
  kind = k;
  return true;
}

// The whole entry at `position` as it stands in the file.
std::string entryRaw(const std::string& bytes, uint64_t position) {
  std::u16string name;
  int kind = 0;
  uint64_t blockStart = 0;
  uint32_t length = 0;
  if (!entryAt(bytes, position, name, kind, blockStart, length)) return {};
  return bytes.substr(static_cast<size_t>(position), static_cast<size_t>(blockStart + length - position));
}

// Library files hold label rows; anything far larger is not one.
constexpr size_t kLibraryFileLimit = size_t{64} << 20;

bool writeFile(const std::string& path, const std::string& bytes) {
  std::string error;
  if (qd::files::replaceFile(path, bytes, error)) return true;
  acutPrintf(u"\n%ls\n", qd::text::fromUtf8(error).c_str());
  return false;
}

}  // namespace

std::string libraryHeader() {
  std::string h = "QDLBL";
  h += std::string("\x01\x00\xFF\xFF", 4);
  h += std::string(100, '\0');
  return h;
}

std::vector<LibraryEntry> indexOf(const std::string& bytes) {
  std::vector<LibraryEntry> index;
  uint64_t position = kHeaderSize;
  while (position < bytes.size()) {
    LibraryEntry e;
    uint64_t blockStart = 0;
    uint32_t length = 0;
    if (!entryAt(bytes, position, e.name, e.kind, blockStart, length)) break;
    e.position = position;
    index.push_back(std::move(e));
    position = blockStart + length;
  }
  return index;
}

Rows rowsAt(const std::string& bytes, uint64_t position) {
  Rows rows;
  std::u16string name;
  int kind = 0;
  uint64_t blockStart = 0;
  uint32_t length = 0;
  if (!entryAt(bytes, position, name, kind, blockStart, length)) return rows;
  std::istringstream in(bytes.substr(blockStart, length));
  for (;;) {
    std::optional<std::u16string> row;
    if (!qd::support::readLpString(in, row) || !row) break;  // the end marker or the end
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string entryBytes(const std::u16string& name, int kind, const Rows& rows) {
  std::ostringstream block;
  for (const auto& row : rows) qd::support::writeLpString(block, row ? *row : std::u16string());
  qd::support::writeLpString(block, std::nullopt);  // the end marker
  std::ostringstream entry;
  qd::support::writeLpString(entry, name);
  entry.put(static_cast<char>(kind));
  const std::string b = block.str();
  entry << u32(static_cast<uint32_t>(b.size())) << b;
  return entry.str();
}

bool LabelLibrary::read(std::string& bytes) const {
  bytes.clear();
  std::error_code ec;
  if (!std::filesystem::exists(m_path, ec)) return true;  // no library yet
  std::string error;
  if (!qd::files::readFile(m_path, bytes, error, kLibraryFileLimit)) {
    acutPrintf(u"\n%ls\n", qd::text::fromUtf8(error).c_str());
    bytes.clear();
    return false;
  }
  // An empty file is an empty library; anything else begins with the header's name.
  if (!bytes.empty() && bytes.compare(0, 5, "QDLBL") != 0) {
    acutPrintf(u"\n%ls is not a label library; it is left as it is.\n", qd::text::fromUtf8(m_path).c_str());
    bytes.clear();
    return false;
  }
  return true;
}

std::vector<LibraryEntry> LabelLibrary::readIndex() const {
  std::string bytes;
  read(bytes);
  return indexOf(bytes);
}

std::vector<std::u16string> LabelLibrary::readNames(const std::u16string& firstItem) const {
  std::vector<std::u16string> names{firstItem};
  for (auto& e : readIndex()) names.push_back(std::move(e.name));
  return names;
}

bool LabelLibrary::readRows(const std::u16string& name, Rows& rows) const {
  std::string bytes;
  read(bytes);
  for (const auto& e : indexOf(bytes))
    if (e.name == name) {
      rows = rowsAt(bytes, e.position);
      return true;
    }
  return false;
}

// Appending is a complete rewrite of the readable entries and the new one, so that a
// torn earlier write can neither hide the new entry nor be mistaken for one.
bool LabelLibrary::append(const std::u16string& name, const Rows& rows, int kind) {
  std::string bytes;
  if (!read(bytes)) return false;  // a library that could not be read is not written over
  std::string fresh = libraryHeader();
  for (const auto& e : indexOf(bytes)) fresh += entryRaw(bytes, e.position);
  fresh += entryBytes(name, kind, rows);
  return writeFile(m_path, fresh);
}

bool LabelLibrary::rewrite(const std::u16string& name, const Rows* replacement) {
  std::string bytes;
  if (!read(bytes)) return false;
  std::string fresh = libraryHeader();
  for (const auto& e : indexOf(bytes)) {
    if (e.name != name) fresh += entryRaw(bytes, e.position);
    else if (replacement) fresh += entryBytes(e.name, e.kind, *replacement);
  }
  return writeFile(m_path, fresh);
}

LabelLibrary::Listing LabelLibrary::sortedList(const std::vector<LibraryEntry>& index, int kindMask) {
  Listing out;
  std::vector<size_t> shown;
  for (size_t i = 0; i < index.size(); ++i)
    if (index[i].kind >= 0 && index[i].kind < 31 && (kindMask >> index[i].kind & 1)) shown.push_back(i);
  // The host sorts the names; each sorted name is matched back to its entry.
  qd::support::ResbufList args(acutBuildList(RTSTR, u"acad_strlsort", RTLB, 0));
  resbuf* tail = args.get()->rbnext;
  for (size_t i : shown) {
    tail->rbnext = acutBuildList(RTSTR, index[i].name.c_str(), 0);
    tail = tail->rbnext;
  }
  tail->rbnext = acutNewRb(RTLE);
  qd::support::ResbufList sorted;
  std::vector<std::u16string> names;
  if (acedInvoke(args.get(), sorted.out()) == RTNORM) {
    for (const resbuf* rb = sorted.get(); rb; rb = rb->rbnext)
      if (rb->restype == RTSTR && rb->resval.rstring) names.emplace_back(rb->resval.rstring);
  }
  if (names.size() != shown.size()) {
    names.clear();
    for (size_t i : shown) names.push_back(index[i].name);
    std::stable_sort(names.begin(), names.end());
  }
  // Equal names map back to their entries in file order.
  std::multimap<std::u16string, size_t> byName;
  for (size_t i : shown) byName.emplace(index[i].name, i);
  for (const auto& n : names) {
    auto it = byName.find(n);
    if (it == byName.end()) continue;
    out.names.push_back(n);
    out.entries.push_back(it->second);
    byName.erase(it);
  }
  if (out.names.empty()) out.names.emplace_back();
  return out;
}

}  // namespace qd::label

// The purge list: per kind of named record, the protection masks (names never offered
// for purging) and the mask typed last, read from the purge list file at the start of
// the purge command and written back at its end.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qd::purge {

// 1 blocks, 2 layers, 3 linetypes, 4 dimension styles, 5 text styles.
enum PurgeKind { kBlocks = 1, kLayers = 2, kLinetypes = 3, kDimStyles = 4, kTextStyles = 5 };

struct MaskEntry {
  std::u16string text;
  int32_t locked = 0;  // 1: the masks dialog cannot delete it
};

// Whether the name matches the mask: "?" any character, "#" a digit, "@" not a digit,
// "*" anything from here on, "`" takes the next character literally; case counts.
bool matchMask(const std::u16string& name, const std::u16string& mask);

class PurgeList {
 public:
  // Reads the user file; when it cannot be opened, the default file (in the ANSI code
  // page) instead. Missing or bad files leave the lists empty or partly read.
  PurgeList(std::string defaultPath, std::string userPath);
  // Saves, unless the list was saved or its user file forgotten before; the command
  // saves first to report a failure.
  ~PurgeList();
  PurgeList(const PurgeList&) = delete;
  PurgeList& operator=(const PurgeList&) = delete;

  // Writes the user file (one byte a character), durably replacing the old one, so that
  // a failed save leaves it whole; on failure `error` says why.
  bool save(std::string& error) const;
  bool isProtected(int kind, const std::u16string& name) const;
  void addMask(const std::u16string& mask, int32_t locked, int kind);
  bool removeMaskAt(size_t index, int kind);
  void setLastMask(const std::u16string& mask, int kind);
  const std::optional<std::u16string>& lastMask(int kind) const;
  const std::vector<MaskEntry>& masks(int kind) const;
  // Set when the user file could not be opened and the default file was read.
  const std::string& defaultPath() const { return m_defaultPath; }
  const std::string& userPath() const { return m_userPath; }

  // The list will not be saved.
  void forgetUserFile() { m_userPath.clear(); }
  // Reads the file's text; `byteChars` for the user file, else the ANSI code page.
  void parse(const std::string& bytes, bool byteChars);
  // The text save writes.
  std::string text() const;

 private:
  static bool validKind(int kind) { return kind >= 1 && kind <= 5; }
  std::array<std::vector<MaskEntry>, 5> m_masks;
  std::string m_defaultPath, m_userPath;
  std::array<std::optional<std::u16string>, 5> m_lastMasks;
};

}  // namespace qd::purge

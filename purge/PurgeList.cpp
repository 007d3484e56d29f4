#include "purge/PurgeList.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::purge {
namespace {

const char* const kMaskSections[5] = {"BLOCK", "LAYER", "LINETYPE", "DIMSTYLE", "TEXTSTYLE"};
const char* const kLastSections[5] = {"BLMASK", "LAMASK", "LIMASK", "DIMASK", "TEMASK"};
constexpr size_t kTokenLength = 39;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string upperAscii(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Reads the file's tokens: runs of characters without white space.
class Tokens {
 public:
  explicit Tokens(const std::string& b) : m_b(b) {}
  size_t pos() const { return m_pos; }
  void seek(size_t p) { m_pos = p; }
  // The next token; a longer run is read whole and kept to its first 39 characters,
  // so that the rest of the file stays in step.
  bool next(std::string& token) {
    while (m_pos < m_b.size() && isSpace(m_b[m_pos])) ++m_pos;
    if (m_pos >= m_b.size()) return false;
    const size_t start = m_pos;
    while (m_pos < m_b.size() && !isSpace(m_b[m_pos])) ++m_pos;
    token = m_b.substr(start, std::min(m_pos - start, kTokenLength));
    return true;
  }
  // The next section name: the text between the next "[" and its "]".
  bool section(std::string& name) {
    const size_t open = m_b.find('[', m_pos);
    if (open == std::string::npos) return false;
    const size_t close = m_b.find(']', open + 1);
    if (close == std::string::npos) return false;
    name = m_b.substr(open + 1, close - open - 1);
    m_pos = close + 1;
    return true;
  }

 private:
  const std::string& m_b;
  size_t m_pos = 0;
};

bool readInteger(const std::string& token, int32_t& value) {
  if (token.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(token.c_str(), &end, 10);
  if (*end != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// Characters the user file cannot hold, and blanks that would split a token, are
// written as "?", which still matches them.
std::string userFileToken(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c > 255 || c <= 32 ? '?' : static_cast<char>(c);
  return out;
}

}  // namespace

bool matchMask(const std::u16string& name, const std::u16string& mask) {
  size_t m = 0;
  for (size_t n = 0; n < name.size(); ++n, ++m) {
    if (m >= mask.size()) return false;
    const char16_t c = name[n];
    switch (mask[m]) {
      case u'`':
        if (m + 1 >= mask.size() || mask[m + 1] != c) return false;
        ++m;
        break;
      case u'?': break;
      case u'#':
        if (c < u'0' || c > u'9') return false;
        break;
      case u'@':
        if (c >= u'0' && c <= u'9') return false;
        break;
      case u'*': return true;
      default:
        if (mask[m] != c) return false;
    }
  }
  return m >= mask.size() || mask[m] == u'*';
}

PurgeList::PurgeList(std::string defaultPath, std::string userPath) : m_userPath(std::move(userPath)) {
  // Purge lists are a few kilobytes; anything far larger is not one.
  auto readAll = [](const std::string& path, std::string& out) {
    std::string error;
    return qd::files::readFile(path, out, error, size_t{16} << 20);
  };
  std::string bytes;
  if (readAll(m_userPath, bytes)) {
    parse(bytes, true);
    return;
  }
  m_defaultPath = std::move(defaultPath);
  if (readAll(m_defaultPath, bytes)) parse(bytes, false);
}

PurgeList::~PurgeList() {
  std::string error;
  save(error);
}

void PurgeList::parse(const std::string& bytes, bool byteChars) {
  auto decode = [byteChars](const std::string& token) {
    if (!byteChars) return qd::text::fromAnsi(token);
    std::u16string out;
    for (char c : token) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
  };
  Tokens t(bytes);
  std::string name;
  while (t.section(name)) {
    const std::string upper = upperAscii(name);
    for (int k = 0; k < 5; ++k) {
      if (upper == kMaskSections[k]) {
        // A repeated section replaces the earlier one.
        m_masks[k].clear();
        for (;;) {
          const size_t before = t.pos();
          std::string token, flag;
          if (!t.next(token)) return;
          if (token[0] == '[') {
            t.seek(before);
            break;
          }
          int32_t locked = 0;
          if (!t.next(flag) || !readInteger(flag, locked)) return;  // a bad flag ends the reading
          m_masks[k].push_back({decode(token), locked});
        }
      } else if (upper == kLastSections[k]) {
        const size_t before = t.pos();
        std::string token;
        if (!t.next(token)) return;
        if (token[0] == '[') t.seek(before);
        else m_lastMasks[k] = decode(token);
      }
    }
  }
}

std::string PurgeList::text() const {
  std::string out;
  for (int k = 0; k < 5; ++k) {
    if (m_masks[k].empty()) continue;
    out += std::string("\r\n\r\n[") + kMaskSections[k] + "]\r\n";
    for (const auto& e : m_masks[k]) out += userFileToken(e.text) + " " + std::to_string(e.locked) + "\r\n";
  }
  for (int k = 0; k < 5; ++k) {
    const auto& last = m_lastMasks[k];
    if (!last || last->find_first_not_of(u' ') == std::u16string::npos) continue;
    out += std::string("\r\n\r\n[") + kLastSections[k] + "]\r\n" + userFileToken(*last) + "\r\n";
  }
  return out;
}

bool PurgeList::save(std::string& error) const {
  if (m_userPath.empty()) return true;
  return qd::files::replaceFile(m_userPath, text(), error);
}

bool PurgeList::isProtected(int kind, const std::u16string& name) const {
  if (!validKind(kind) || m_masks[kind - 1].empty()) return false;
  if (kind == kBlocks && !name.empty() && name[0] == u'*') return true;
  for (const auto& e : m_masks[kind - 1])
    if (matchMask(name, e.text)) return true;
  return false;
}

void PurgeList::addMask(const std::u16string& mask, int32_t locked, int kind) {
  if (mask.empty() || !validKind(kind)) return;
  for (const auto& e : m_masks[kind - 1])
    if (qd::text::equalsNoCase(e.text, mask)) return;
  m_masks[kind - 1].push_back({mask, locked});
}

bool PurgeList::removeMaskAt(size_t index, int kind) {
  if (!validKind(kind)) return false;
  auto& list = m_masks[kind - 1];
  if (index >= list.size() || list[index].locked == 1) return false;
  list.erase(list.begin() + static_cast<long>(index));
  return true;
}

void PurgeList::setLastMask(const std::u16string& mask, int kind) {
  if (validKind(kind)) m_lastMasks[kind - 1] = mask;
}

const std::optional<std::u16string>& PurgeList::lastMask(int kind) const {
  static const std::optional<std::u16string> none;
  return validKind(kind) ? m_lastMasks[kind - 1] : none;
}

const std::vector<MaskEntry>& PurgeList::masks(int kind) const {
  static const std::vector<MaskEntry> none;
  return validKind(kind) ? m_masks[kind - 1] : none;
}

}  // namespace qd::purge

// DCL: the dialog definition language. Files are parsed into definitions; a dialog is
// resolved into a tree of tiles whose attributes come from their prototypes.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qd::ui::dcl {

// Far more than any dialog file: larger files, deeper tiles and longer include chains
// are refused with a message.
constexpr size_t kFileLimit = size_t{4} << 20;
constexpr int kMaxNesting = 200;
constexpr int kMaxIncludeDepth = 32;

// A definition as written: "name : prototype { attribute = value; children }".
struct Definition {
  std::u16string name;       // empty for an inline child ": button { ... }"
  std::u16string prototype;  // what it derives from
  std::vector<std::pair<std::u16string, std::u16string>> attributes;  // in order; strings unquoted
  std::vector<Definition> children;
  bool reference = false;  // "name;": a subassembly used by name
  int line = 0;
};

// A resolved tile: its primitive kind, every attribute, its children.
struct Tile {
  std::u16string kind;  // button, edit_box, row, dialog, ...
  std::map<std::u16string, std::u16string> attributes;
  std::vector<Tile> children;
  std::u16string attribute(const std::u16string& name) const {
    auto it = attributes.find(name);
    return it == attributes.end() ? u"" : it->second;
  }
  std::u16string key() const { return attribute(u"key"); }
};

class File {
 public:
  // Parses DCL text; `includeDir` is where "@include" files are looked for. A file that
  // includes itself, directly or through others, is refused. On failure `error` names
  // the file, the line and the problem.
  bool parse(const std::u16string& text, const std::string& name, const std::string& includeDir,
             std::u16string& error);
  bool has(const std::u16string& name) const { return m_defs.count(name) != 0; }
  // The dialog (or any definition) with every prototype and subassembly resolved.
  bool resolve(const std::u16string& name, Tile& out, std::u16string& error) const;
  std::vector<std::u16string> names() const;

 private:
  bool resolveDef(const Definition& d, Tile& out, int depth, std::u16string& error) const;
  std::map<std::u16string, Definition> m_defs;
};

// A DCL file's text: UTF-8, or the ANSI code page when it is not valid UTF-8.
std::u16string decodeText(const std::string& bytes);

// The definitions every DCL file may use (ok_cancel, errtile, spacers ...).
const File& baseDefinitions();
bool isPrimitive(const std::u16string& kind);

}  // namespace qd::ui::dcl

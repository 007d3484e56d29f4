#include "headless/ui/dcl.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::ui::dcl {
namespace {

const char16_t* const kPrimitives[] = {
    u"dialog",      u"row",          u"column",          u"boxed_row",          u"boxed_column",
    u"radio_row",   u"radio_column", u"boxed_radio_row", u"boxed_radio_column", u"concatenation",
    u"paragraph",   u"button",       u"edit_box",        u"list_box",           u"popup_list",
    u"toggle",      u"radio_button", u"text",            u"text_part",          u"image",
    u"image_button", u"slider",      u"spacer",          u"spacer_0",           u"spacer_1"};

// The base definitions, in DCL.
const char16_t* const kBase = uR"DCL(
ok_button : button { label = "OK"; key = "accept"; is_default = true; width = 8; fixed_width = true; }
cancel_button : button { label = "Cancel"; key = "cancel"; is_cancel = true; width = 8; fixed_width = true; }
help_button : button { label = "&Help..."; key = "help"; width = 8; fixed_width = true; }
info_button : button { label = "&Info..."; key = "info"; width = 8; fixed_width = true; }
errtile : text { key = "error"; label = ""; width = 35; }
ok_only : column { fixed_width = true; alignment = centered; ok_button; }
ok_cancel : column { : row { fixed_width = true; alignment = centered; ok_button; cancel_button; } }
ok_cancel_help : column { : row { fixed_width = true; alignment = centered; ok_button; cancel_button; help_button; } }
ok_cancel_help_info : column { : row { fixed_width = true; alignment = centered; ok_button; cancel_button; help_button; info_button; } }
ok_cancel_help_errtile : column { ok_cancel_help; errtile; }
default_button : button { is_default = true; }
retirement_button : button { fixed_width = true; alignment = centered; }
edit12_box : edit_box { edit_width = 12; }
)DCL";

bool isNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' ||
         c == u'.' || c > 127;
}

// A file's identity, so that an include cycle is found whatever path names the file.
struct FileId {
  unsigned long long device = 0, inode = 0;
  bool operator<(const FileId& o) const { return device != o.device ? device < o.device : inode < o.inode; }
};

bool fileIdOf(const std::string& path, FileId& id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  id = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
  return true;
}

class Parser {
 public:
  // `including`: the files of the include chain that led here.
  Parser(std::u16string text, std::string name, std::vector<FileId> including = {})
      : m_t(std::move(text)), m_name(std::move(name)), m_including(std::move(including)) {}

  bool fail(const std::string& what, std::u16string& error) {
    error = qd::text::fromUtf8("DCL error in " + m_name + " line " + std::to_string(m_line) + ": " + what);
    return false;
  }

  void skip() {
    for (;;) {
      while (m_p < m_t.size() && (m_t[m_p] == u' ' || m_t[m_p] == u'\t' || m_t[m_p] == u'\r' || m_t[m_p] == u'\n')) {
        if (m_t[m_p] == u'\n') ++m_line;
        ++m_p;
      }
      if (m_t.compare(m_p, 2, u"//") == 0) {
        while (m_p < m_t.size() && m_t[m_p] != u'\n') ++m_p;
      } else if (m_t.compare(m_p, 2, u"/*") == 0) {
        const size_t end = m_t.find(u"*/", m_p + 2);
        for (size_t i = m_p; i < std::min(end, m_t.size()); ++i)
          if (m_t[i] == u'\n') ++m_line;
        m_p = end == std::u16string::npos ? m_t.size() : end + 2;
      } else {
        return;
      }
    }
  }
  bool at(char16_t c) {
    skip();
    return m_p < m_t.size() && m_t[m_p] == c;
  }
  bool eat(char16_t c) {
    if (!at(c)) return false;
    ++m_p;
    return true;
  }
  std::u16string ident() {
    skip();
    const size_t start = m_p;
    while (m_p < m_t.size() && isNameChar(m_t[m_p])) ++m_p;
    return m_t.substr(start, m_p - start);
  }
  bool string(std::u16string& out, std::u16string& error) {
    if (!eat(u'"')) return fail("string expected", error);
    out.clear();
    while (m_p < m_t.size() && m_t[m_p] != u'"') {
      char16_t c = m_t[m_p++];
      if (c == u'\n') return fail("line end in a string", error);
      if (c == u'\\' && m_p < m_t.size()) {
        const char16_t e = m_t[m_p++];
        c = e == u'n' ? u'\n' : e == u't' ? u'\t' : e;
      }
      out += c;
    }
    if (m_p >= m_t.size()) return fail("unterminated string", error);
    ++m_p;
    return true;
  }
  bool value(std::u16string& out, std::u16string& error) {
    if (at(u'"')) return string(out, error);
    out = ident();
    if (out.empty()) return fail("value expected", error);
    return true;
  }

  // The body between braces: attributes and children.
  bool body(Definition& d, std::u16string& error, int depth = 0) {
    if (depth > kMaxNesting) return fail("tiles nested deeper than " + std::to_string(kMaxNesting), error);
    while (!eat(u'}')) {
      skip();
      if (m_p >= m_t.size()) return fail("\"}\" missing", error);
      if (eat(u':')) {
        Definition child;
        child.line = m_line;
        child.prototype = ident();
        if (child.prototype.empty()) return fail("tile type expected after \":\"", error);
        if (eat(u'{')) {
          if (!body(child, error, depth + 1)) return false;
        } else if (!eat(u';')) {
          return fail("\"{\" expected", error);
        }
        d.children.push_back(std::move(child));
        continue;
      }
      const int line = m_line;
      const std::u16string name = ident();
      if (name.empty()) return fail("attribute or tile expected", error);
      if (eat(u'=')) {
        std::u16string v;
        if (!value(v, error)) return false;
        if (!eat(u';')) return fail("\";\" expected after the value of " + qd::text::toUtf8(name), error);
        d.attributes.emplace_back(name, v);
      } else if (eat(u';')) {
        Definition ref;
        ref.name = name;
        ref.reference = true;
        ref.line = line;
        d.children.push_back(std::move(ref));
      } else {
        return fail("\"=\" or \";\" expected after " + qd::text::toUtf8(name), error);
      }
    }
    eat(u';');
    return true;
  }

  bool file(std::map<std::u16string, Definition>& defs, const std::string& includeDir, std::u16string& error) {
    for (;;) {
      skip();
      if (m_p >= m_t.size()) return true;
      if (eat(u'@')) {
        if (ident() != u"include") return fail("@include expected", error);
        std::u16string file;
        if (!string(file, error)) return false;
        if (!include(qd::text::toUtf8(file), defs, includeDir, error)) return false;
        continue;
      }
      Definition d;
      d.line = m_line;
      d.name = ident();
      if (d.name.empty()) return fail("definition expected", error);
      if (!eat(u':')) return fail("\":\" expected after " + qd::text::toUtf8(d.name), error);
      d.prototype = ident();
      if (d.prototype.empty()) return fail("tile type expected", error);
      if (!eat(u'{')) return fail("\"{\" expected", error);
      if (!body(d, error)) return false;
      defs[d.name] = std::move(d);
    }
  }

 private:
  bool include(const std::string& file, std::map<std::u16string, Definition>& defs, const std::string& includeDir,
               std::u16string& error) {
    const std::string path = (std::filesystem::path(includeDir) / file).string();
    FileId id;
    if (!fileIdOf(path, id)) return fail("cannot include \"" + file + "\"", error);
    for (const FileId& open : m_including)
      if (!(open < id) && !(id < open)) return fail("\"" + file + "\" includes itself", error);
    if (m_including.size() >= static_cast<size_t>(kMaxIncludeDepth))
      return fail("includes nested deeper than " + std::to_string(kMaxIncludeDepth), error);
    std::string bytes, why;
    if (!qd::files::readFile(path, bytes, why, kFileLimit)) return fail("cannot include: " + why, error);
    std::vector<FileId> chain = m_including;
    chain.push_back(id);
    Parser inner(decodeText(bytes), file, std::move(chain));
    return inner.file(defs, includeDir, error);
  }

  std::u16string m_t;
  std::string m_name;
  std::vector<FileId> m_including;
  size_t m_p = 0;
  int m_line = 1;
};

}  // namespace

std::u16string decodeText(const std::string& bytes) {
  return qd::text::isValidUtf8(bytes) ? qd::text::fromUtf8(bytes) : qd::text::fromCodePage(bytes, qd::text::ansiCodePage());
}

bool isPrimitive(const std::u16string& kind) {
  for (const char16_t* p : kPrimitives)
    if (kind == p) return true;
  return false;
}

const File& baseDefinitions() {
  static const File base = [] {
    File f;
    std::u16string error;
    f.parse(kBase, "base", "", error);
    return f;
  }();
  return base;
}

bool File::parse(const std::u16string& text, const std::string& name, const std::string& includeDir,
                 std::u16string& error) {
  std::map<std::u16string, Definition> defs;
  std::vector<FileId> chain;
  if (FileId id; !includeDir.empty() && fileIdOf((std::filesystem::path(includeDir) / name).string(), id))
    chain.push_back(id);
  Parser p(text, name, std::move(chain));
  if (!p.file(defs, includeDir, error)) return false;
  for (auto& [k, v] : defs) m_defs[k] = std::move(v);
  return true;
}

std::vector<std::u16string> File::names() const {
  std::vector<std::u16string> out;
  for (const auto& [k, v] : m_defs) out.push_back(k);
  return out;
}

bool File::resolveDef(const Definition& d, Tile& out, int depth, std::u16string& error) const {
  if (depth > 64) {
    error = u"DCL error: definitions refer to each other in a circle (" + d.name + u")";
    return false;
  }
  auto lookup = [&](const std::u16string& name) -> const Definition* {
    if (auto it = m_defs.find(name); it != m_defs.end()) return &it->second;
    if (this != &baseDefinitions()) {
      const auto& base = baseDefinitions().m_defs;
      if (auto it = base.find(name); it != base.end()) return &it->second;
    }
    return nullptr;
  };
  if (d.reference) {
    const Definition* target = lookup(d.name);
    if (!target) {
      error = u"DCL error: unknown tile \"" + d.name + u"\" (line " + qd::text::fromUtf8(std::to_string(d.line)) + u")";
      return false;
    }
    return resolveDef(*target, out, depth + 1, error);
  }
  // The prototype first, then this definition's own attributes and children.
  if (isPrimitive(d.prototype)) {
    out = Tile{};
    out.kind = d.prototype;
  } else {
    const Definition* proto = lookup(d.prototype);
    if (!proto) {
      error = u"DCL error: unknown tile type \"" + d.prototype + u"\" (line " +
              qd::text::fromUtf8(std::to_string(d.line)) + u")";
      return false;
    }
    if (!resolveDef(*proto, out, depth + 1, error)) return false;
  }
  for (const auto& [k, v] : d.attributes) out.attributes[k] = v;
  for (const auto& c : d.children) {
    Tile child;
    if (!resolveDef(c, child, depth + 1, error)) return false;
    out.children.push_back(std::move(child));
  }
  return true;
}

bool File::resolve(const std::u16string& name, Tile& out, std::u16string& error) const {
  auto it = m_defs.find(name);
  if (it == m_defs.end()) {
    error = u"no dialog \"" + name + u"\"";
    return false;
  }
  return resolveDef(it->second, out, 0, error);
}

}  // namespace qd::ui::dcl

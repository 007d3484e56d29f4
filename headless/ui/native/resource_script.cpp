#include "headless/ui/native/resource_script.h"

#include <algorithm>
#include <cstdlib>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::ui::native {
namespace {

struct Token {
  enum Kind { Word, Number, String, Punct } kind;
  std::u16string text;
  long number = 0;
};
using Statement = std::vector<Token>;
struct Line {
  int number;
  Statement tokens;
};

bool isWordStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u'#'; }
bool isWordChar(char16_t c) { return isWordStart(c) || (c >= u'0' && c <= u'9'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Splits the text into statements: a line, joined with the next while it ends with a
// comma or a bar, as the resource compiler reads a control over several lines.
bool statements(const std::u16string& t, std::vector<Line>& out, std::u16string& error, int& errorLine) {
  int line = 1;
  Line current{1, {}};
  auto endLine = [&] {
    const bool continues = !current.tokens.empty() && current.tokens.back().kind == Token::Punct &&
                           (current.tokens.back().text == u"," || current.tokens.back().text == u"|");
    if (!continues) {
      if (!current.tokens.empty()) out.push_back(std::move(current));
      current = Line{line + 1, {}};
    }
    ++line;
  };
  for (size_t i = 0; i < t.size();) {
    const char16_t c = t[i];
    if (c == u'\n') {
      endLine();
      ++i;
    } else if (c == u' ' || c == u'\t' || c == u'\r' || c == 0xFEFF) {
      ++i;
    } else if (c == u'/' && i + 1 < t.size() && t[i + 1] == u'/') {
      while (i < t.size() && t[i] != u'\n') ++i;
    } else if (c == u'/' && i + 1 < t.size() && t[i + 1] == u'*') {
      const size_t end = t.find(u"*/", i + 2);
      if (end == std::u16string::npos) {
        error = u"the comment is not closed";
        errorLine = line;
        return false;
      }
      for (size_t k = i; k < end; ++k)
        if (t[k] == u'\n') endLine();
      i = end + 2;
    } else if (c == u'"') {
      Token tok{Token::String, u""};
      ++i;
      for (;;) {
        if (i >= t.size() || t[i] == u'\n') {
          error = u"the string is not closed";
          errorLine = line;
          return false;
        }
        if (t[i] == u'"' && i + 1 < t.size() && t[i + 1] == u'"') {
          tok.text += u'"';
          i += 2;
        } else if (t[i] == u'"') {
          ++i;
          break;
        } else if (t[i] == u'\\' && i + 1 < t.size()) {
          const char16_t e = t[i + 1];
          tok.text += e == u'n' ? u'\n' : e == u't' ? u'\t' : e;
          i += 2;
        } else {
          tok.text += t[i++];
        }
      }
      current.tokens.push_back(tok);
    } else if (isDigit(c) || (c == u'-' && i + 1 < t.size() && isDigit(t[i + 1]))) {
      size_t end = i + 1;
      while (end < t.size() && (isWordChar(t[end]))) ++end;
      const std::string digits = qd::text::toUtf8(t.substr(i, end - i));
      char* stop = nullptr;
      const long v = std::strtol(digits.c_str(), &stop, 0);
      if (*stop && !(stop[0] == 'L' && !stop[1])) {
        error = u"\"" + t.substr(i, end - i) + u"\" is not a number";
        errorLine = line;
        return false;
      }
      current.tokens.push_back(Token{Token::Number, t.substr(i, end - i), v});
      i = end;
    } else if (isWordStart(c)) {
      size_t end = i + 1;
      while (end < t.size() && isWordChar(t[end])) ++end;
      const std::u16string word = t.substr(i, end - i);
      size_t next = end;
      while (next < t.size() && (t[next] == u' ' || t[next] == u'\t')) ++next;
      // Directives other than names and quoted includes (<windows.h>, #ifdef ...) are
      // the platform compiler's business: the rest of their line is passed over.
      if (c == u'#' && word != u"#define" && !(word == u"#include" && next < t.size() && t[next] == u'"')) {
        while (end < t.size() && t[end] != u'\n') ++end;
      } else {
        current.tokens.push_back(Token{Token::Word, word});
      }
      i = end;
    } else if (std::u16string_view(u",|{}()").find(c) != std::u16string_view::npos) {
      current.tokens.push_back(Token{Token::Punct, std::u16string(1, c)});
      ++i;
    } else {
      error = u"unexpected character '" + std::u16string(1, c) + u"'";
      errorLine = line;
      return false;
    }
  }
  endLine();
  return true;
}

// The fields of a statement after its keyword, split at its commas.
std::vector<Statement> fields(const Statement& s) {
  std::vector<Statement> out(1);
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i].kind == Token::Punct && s[i].text == u",") out.emplace_back();
    else out.back().push_back(s[i]);
  }
  if (out.size() == 1 && out[0].empty()) out.clear();
  return out;
}

struct ControlWord {
  const char16_t* word;
  ControlKind kind;
  bool hasText;
};
constexpr ControlWord kControls[] = {
    {u"LTEXT", ControlKind::Static, true},          {u"RTEXT", ControlKind::Static, true},
    {u"CTEXT", ControlKind::Static, true},          {u"PUSHBUTTON", ControlKind::Button, true},
    {u"DEFPUSHBUTTON", ControlKind::DefaultButton, true}, {u"CHECKBOX", ControlKind::Check, true},
    {u"AUTOCHECKBOX", ControlKind::Check, true},    {u"RADIOBUTTON", ControlKind::Radio, true},
    {u"AUTORADIOBUTTON", ControlKind::Radio, true}, {u"GROUPBOX", ControlKind::Group, true},
    {u"EDITTEXT", ControlKind::Edit, false},        {u"COMBOBOX", ControlKind::Combo, false},
    {u"LISTBOX", ControlKind::List, false},
};

// The kind of a CONTROL statement's window class.
std::optional<ControlKind> classKind(const std::u16string& cls, const std::set<std::u16string>& styles) {
  if (cls == u"SysTreeView32") return ControlKind::Tree;
  if (cls == u"SysTabControl32") return ControlKind::Tab;
  if (cls == u"SysListView32" || cls == u"ListBox") return ControlKind::List;
  if (cls == u"Static") return ControlKind::Static;
  if (cls == u"Edit") return ControlKind::Edit;
  if (cls == u"ComboBox") return ControlKind::Combo;
  if (cls == u"Button") {
    if (styles.count(u"BS_AUTOCHECKBOX") || styles.count(u"BS_CHECKBOX")) return ControlKind::Check;
    if (styles.count(u"BS_AUTORADIOBUTTON") || styles.count(u"BS_RADIOBUTTON")) return ControlKind::Radio;
    if (styles.count(u"BS_GROUPBOX")) return ControlKind::Group;
    if (styles.count(u"BS_DEFPUSHBUTTON")) return ControlKind::DefaultButton;
    return ControlKind::Button;
  }
  return std::nullopt;
}

class Parser {
 public:
  Parser(std::map<std::u16string, int>& defines, std::map<int, DialogTemplate>& dialogs,
         std::map<int, std::vector<MenuItem>>& menus, std::map<int, std::u16string>& strings, std::string folder)
      : m_defines(defines), m_dialogs(dialogs), m_menus(menus), m_strings(strings), m_folder(std::move(folder)) {}

  bool run(const std::vector<Line>& lines, std::u16string& error, int& errorLine) {
    for (m_at = 0; m_at < lines.size(); ++m_at) {
      if (statement(lines, error)) continue;
      // The line the statement failed on; past the end, the last one read.
      errorLine = lines[std::min(m_at, lines.size() - 1)].number;
      return false;
    }
    return true;
  }

 private:
  bool value(const Statement& field, int& out, std::u16string* name = nullptr) {
    if (field.size() != 1) return false;
    if (field[0].kind == Token::Number) {
      out = static_cast<int>(field[0].number);
      if (name) *name = field[0].text;
      return true;
    }
    if (field[0].kind != Token::Word) return false;
    auto it = m_defines.find(field[0].text);
    if (it == m_defines.end()) return false;
    out = it->second;
    if (name) *name = field[0].text;
    return true;
  }
  static bool isBlockStart(const Statement& s) {
    return s.size() == 1 && (s[0].text == u"BEGIN" || s[0].text == u"{");
  }
  static bool isBlockEnd(const Statement& s) { return s.size() == 1 && (s[0].text == u"END" || s[0].text == u"}"); }

  bool statement(const std::vector<Line>& lines, std::u16string& error) {
    const Statement& s = lines[m_at].tokens;
    if (s[0].text == u"#define") {
      if (s.size() < 3 || s[1].kind != Token::Word || s[2].kind != Token::Number) {
        error = u"#define wants a name and a number";
        return false;
      }
      m_defines[s[1].text] = static_cast<int>(s[2].number);
      return true;
    }
    if (s[0].text == u"#include" && s.size() == 2 && s[1].kind == Token::String) return include(s[1].text);
    if (s[0].text.rfind(u"#", 0) == 0) return true;  // #pragma, #ifdef and the like
    if (s[0].text == u"LANGUAGE") return true;
    if (s[0].text == u"STRINGTABLE") return stringTable(lines, error);
    if (s.size() >= 2 && (s[1].text == u"DIALOGEX" || s[1].text == u"DIALOG")) return dialog(lines, error);
    if (s.size() >= 2 && (s[1].text == u"MENU" || s[1].text == u"MENUEX")) return menu(lines, error);
    // Resources dialogs do not use (menus, icons, version blocks) are passed over.
    if (s.size() >= 2 && s[1].kind == Token::Word) return skipResource(lines);
    error = u"\"" + s[0].text + u"\" begins no resource";
    return false;
  }

  bool include(const std::u16string& name) {
    if (m_folder.empty()) return true;
    std::string bytes, why;
    const std::string path = m_folder + "/" + qd::text::toUtf8(name);
    if (!qd::files::readFile(path, bytes, why, kScriptLimit)) return true;
    // A header is C++ besides: only its "#define NAME number" lines are read.
    const std::u16string text = qd::text::fromUtf8(bytes);
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find(u'\n', start);
      if (end == std::u16string::npos) end = text.size();
      const std::u16string line = text.substr(start, end - start);
      start = end + 1;
      if (line.find_first_not_of(u" \t") == std::u16string::npos || line.substr(line.find_first_not_of(u" \t"), 7) != u"#define")
        continue;
      std::vector<Line> lines;
      int at = 0;
      std::u16string ignored;
      if (!statements(line, lines, ignored, at) || lines.empty()) continue;
      const Statement& l = lines[0].tokens;
      if (l.size() >= 3 && l[1].kind == Token::Word && l[2].kind == Token::Number) m_defines[l[1].text] = static_cast<int>(l[2].number);
    }
    return true;
  }

  // A resource of another kind, on its line and in the block that follows it.
  bool skipResource(const std::vector<Line>& lines) {
    if (m_at + 1 >= lines.size() || !isBlockStart(lines[m_at + 1].tokens)) return true;
    int depth = 0;
    for (++m_at; m_at < lines.size(); ++m_at) {
      if (isBlockStart(lines[m_at].tokens)) ++depth;
      if (isBlockEnd(lines[m_at].tokens) && --depth == 0) break;
    }
    return true;
  }

  bool menu(const std::vector<Line>& lines, std::u16string& error) {
    int id = 0;
    if (!value(Statement{lines[m_at].tokens[0]}, id)) {
      error = u"the menu's name \"" + lines[m_at].tokens[0].text + u"\" has no value";
      return false;
    }
    std::vector<MenuItem> items;
    int depth = 0;
    for (++m_at; m_at < lines.size(); ++m_at) {
      const Statement& s = lines[m_at].tokens;
      if (isBlockStart(s)) {
        ++depth;
      } else if (isBlockEnd(s)) {
        if (--depth > 0) continue;
        m_menus[id] = std::move(items);
        return true;
      } else if (s[0].text == u"MENUITEM" && !(s.size() == 2 && s[1].text == u"SEPARATOR")) {
        const auto f = fields(s);
        MenuItem item;
        if (f.size() < 2 || f[0].size() != 1 || f[0][0].kind != Token::String || !value(f[1], item.id)) {
          error = u"a menu item is a text and an id";
          return false;
        }
        item.text = f[0][0].text;
        items.push_back(std::move(item));
      } else if (s[0].text != u"POPUP" && s[0].text != u"MENUITEM") {
        error = u"\"" + s[0].text + u"\" stands in no menu";
        return false;
      }
    }
    error = u"the menu has no END";
    return false;
  }

  bool stringTable(const std::vector<Line>& lines, std::u16string& error) {
    ++m_at;
    while (m_at < lines.size() && !isBlockStart(lines[m_at].tokens)) ++m_at;  // options such as LANGUAGE
    for (++m_at; m_at < lines.size(); ++m_at) {
      const Statement& s = lines[m_at].tokens;
      if (isBlockEnd(s)) return true;
      size_t text = s.size() >= 3 && s[1].text == u"," ? 2 : 1;
      int id = 0;
      if (s.size() != text + 1 || s[text].kind != Token::String || !value(Statement{s[0]}, id)) {
        error = u"a string table entry is a number and a string";
        return false;
      }
      m_strings[id] = s[text].text;
    }
    error = u"the string table has no END";
    return false;
  }

  bool dialog(const std::vector<Line>& lines, std::u16string& error) {
    const Statement& head = lines[m_at].tokens;
    DialogTemplate d;
    if (!value(Statement{head[0]}, d.id, &d.name)) {
      error = u"the dialog's name \"" + head[0].text + u"\" has no value";
      return false;
    }
    Statement rest(head.begin() + 1, head.end());
    const auto f = fields(rest);
    int x = 0, y = 0;
    if (f.size() < 4 || !value(f[0], x) || !value(f[1], y) || !value(f[2], d.width) || !value(f[3], d.height)) {
      error = u"a dialog's place is x, y, width, height";
      return false;
    }
    for (++m_at; m_at < lines.size() && !isBlockStart(lines[m_at].tokens); ++m_at) {
      const Statement& s = lines[m_at].tokens;
      if (s[0].text == u"CAPTION" && s.size() == 2 && s[1].kind == Token::String) d.caption = s[1].text;
    }
    for (++m_at; m_at < lines.size(); ++m_at) {
      const Statement& s = lines[m_at].tokens;
      if (isBlockEnd(s)) {
        const int id = d.id;
        m_dialogs[id] = std::move(d);
        return true;
      }
      ControlTemplate c;
      if (!control(s, c, error)) return false;
      for (const ControlTemplate& other : d.controls)
        if (other.id == c.id && c.id > 0) {
          error = u"the id " + c.name + u" is given twice";
          return false;
        }
      d.controls.push_back(std::move(c));
    }
    error = u"the dialog " + d.name + u" has no END";
    return false;
  }

  static void styleWords(const Statement& field, std::set<std::u16string>& out) {
    for (size_t i = 0; i < field.size(); ++i) {
      if (field[i].text == u"NOT" && i + 1 < field.size()) {
        out.insert(u"NOT_" + field[++i].text);  // a style taken away
        continue;
      }
      if (field[i].kind == Token::Word) out.insert(field[i].text);
    }
  }

  bool control(const Statement& s, ControlTemplate& c, std::u16string& error) {
    const std::u16string word = s[0].text;
    const auto f = fields(s);
    auto place = [&](size_t from) {
      return f.size() >= from + 4 && value(f[from], c.x) && value(f[from + 1], c.y) && value(f[from + 2], c.width) &&
             value(f[from + 3], c.height);
    };
    auto idField = [&](const Statement& field) {
      if (field.size() == 1 && field[0].kind == Token::Word && !m_defines.count(field[0].text) && field[0].text != u"IDC_STATIC") {
        error = u"the id \"" + field[0].text + u"\" has no #define";
        return false;
      }
      if (field.size() == 1 && field[0].text == u"IDC_STATIC") {
        c.id = -1;
        c.name = u"IDC_STATIC";
        return true;
      }
      if (!value(field, c.id, &c.name)) {
        error = u"a control's id is a number or a defined name";
        return false;
      }
      return true;
    };
    if (word == u"CONTROL") {
      if (f.size() < 8 || f[0].size() != 1 || f[0][0].kind != Token::String || f[2].size() != 1 ||
          f[2][0].kind != Token::String) {
        error = u"CONTROL wants text, id, class, style, x, y, width, height";
        return false;
      }
      c.text = f[0][0].text;
      if (!idField(f[1])) return false;
      styleWords(f[3], c.styles);
      const auto kind = classKind(f[2][0].text, c.styles);
      if (!kind) {
        error = u"the window class \"" + f[2][0].text + u"\" is not one dialogs here can show";
        return false;
      }
      c.kind = *kind;
      if (!place(4)) {
        error = u"a control's place is x, y, width, height";
        return false;
      }
      return true;
    }
    for (const ControlWord& w : kControls) {
      if (word != w.word) continue;
      c.kind = w.kind;
      size_t at = 0;
      if (w.hasText) {
        if (f.empty() || f[0].size() != 1 || f[0][0].kind != Token::String) {
          error = word + u" wants its text first";
          return false;
        }
        c.text = f[0][0].text;
        at = 1;
      }
      if (f.size() <= at || !idField(f[at])) {
        if (error.empty()) error = word + u" wants an id";
        return false;
      }
      if (!place(at + 1)) {
        error = u"a control's place is x, y, width, height";
        return false;
      }
      for (size_t i = at + 5; i < f.size(); ++i) styleWords(f[i], c.styles);
      return true;
    }
    error = u"\"" + word + u"\" is no control this host knows";
    return false;
  }

  std::map<std::u16string, int>& m_defines;
  std::map<int, DialogTemplate>& m_dialogs;
  std::map<int, std::vector<MenuItem>>& m_menus;
  std::map<int, std::u16string>& m_strings;
  std::string m_folder;
  size_t m_at = 0;
};

}  // namespace

const ControlTemplate* DialogTemplate::control(int wanted) const {
  for (const auto& c : controls)
    if (c.id == wanted) return &c;
  return nullptr;
}
const ControlTemplate* DialogTemplate::control(const std::u16string& wanted) const {
  for (const auto& c : controls)
    if (c.name == wanted && c.id != -1) return &c;
  return nullptr;
}

bool ResourceScript::parse(const std::u16string& text, const std::string& fileName, std::u16string& error,
                           const std::string& folder) {
  m_defines = {{u"IDOK", 1}, {u"IDCANCEL", 2}, {u"IDHELP", 9}, {u"IDC_STATIC", -1}};
  m_dialogs.clear();
  m_menus.clear();
  m_strings.clear();
  std::vector<Line> lines;
  int line = 0;
  std::u16string why;
  if (statements(text, lines, why, line) && Parser(m_defines, m_dialogs, m_menus, m_strings, folder).run(lines, why, line)) return true;
  error = qd::text::fromUtf8(fileName) + u"(" + qd::text::fromUtf8(std::to_string(line)) + u"): " + why;
  return false;
}

const DialogTemplate* ResourceScript::dialog(int id) const {
  auto it = m_dialogs.find(id);
  return it == m_dialogs.end() ? nullptr : &it->second;
}
const std::vector<MenuItem>* ResourceScript::menu(int id) const {
  auto it = m_menus.find(id);
  return it == m_menus.end() ? nullptr : &it->second;
}
std::optional<std::u16string> ResourceScript::string(int id) const {
  auto it = m_strings.find(id);
  if (it == m_strings.end()) return std::nullopt;
  return it->second;
}
std::optional<int> ResourceScript::value(const std::u16string& name) const {
  auto it = m_defines.find(name);
  if (it != m_defines.end()) return it->second;
  if (!name.empty() && (isDigit(name[0]) || name[0] == u'-')) return std::atoi(qd::text::toUtf8(name).c_str());
  return std::nullopt;
}
std::u16string ResourceScript::nameOf(int id) const {
  for (const auto& [name, v] : m_defines)
    if (v == id && name.rfind(u"IDC_", 0) == 0) return name;
  for (const auto& [name, v] : m_defines)
    if (v == id) return name;
  return qd::text::fromUtf8(std::to_string(id));
}

}  // namespace qd::ui::native

// Dialog templates and string tables as a resource script holds them: the subset of the
// platform's resource compiler language that dialogs need ("#define" names, DIALOGEX with
// CAPTION and its controls, STRINGTABLE). A module ships its script beside its library.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qd::ui::native {

enum class ControlKind { Static, Button, DefaultButton, Check, Radio, Group, Edit, Combo, List, Tree, Tab };

struct ControlTemplate {
  ControlKind kind = ControlKind::Static;
  int id = -1;
  std::u16string name;     // the symbolic name of the id, or its number as text
  std::u16string text;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::set<std::u16string> styles;          // the style words given (WS_DISABLED, CBS_DROPDOWNLIST ...)
  bool hasStyle(const char16_t* s) const { return styles.count(s) != 0; }
};

struct DialogTemplate {
  int id = 0;
  std::u16string name;
  std::u16string caption;
  int width = 0, height = 0;
  std::vector<ControlTemplate> controls;
  const ControlTemplate* control(int id) const;
  const ControlTemplate* control(const std::u16string& name) const;
};

// A menu's items in order (those of its pop-ups, one after the other); separators left out.
struct MenuItem {
  std::u16string text;  // as written, with its '&'
  int id = 0;
};

class ResourceScript {
 public:
  // False with a message naming the line when the text is not a script of this kind.
  // '#include "header"' takes the header's "#define" names from `folder`, as the C++
  // code that shares them includes it; headers not there (the platform's) are passed over.
  bool parse(const std::u16string& text, const std::string& fileName, std::u16string& error,
             const std::string& folder = "");
  const DialogTemplate* dialog(int id) const;
  const std::vector<MenuItem>* menu(int id) const;
  std::optional<std::u16string> string(int id) const;
  // The value of a "#define" name, or of a number written out.
  std::optional<int> value(const std::u16string& name) const;
  std::u16string nameOf(int id) const;

 private:
  std::map<std::u16string, int> m_defines;
  std::map<int, DialogTemplate> m_dialogs;
  std::map<int, std::vector<MenuItem>> m_menus;
  std::map<int, std::u16string> m_strings;
};

// Resource scripts hold a few dozen dialogs.
constexpr size_t kScriptLimit = size_t{4} << 20;

}  // namespace qd::ui::native

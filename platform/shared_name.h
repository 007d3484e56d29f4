// A name many objects hold alike (the layer or linetype of every entity on it): each
// spelling is stored once while anything holds it, and a holder keeps a pointer to it.
#pragma once
#include <string>
#include <string_view>

namespace qd::text {

class SharedName {
 public:
  SharedName() : SharedName(std::u16string_view()) {}
  SharedName(std::u16string_view s);  // NOLINT: a name is given as its text
  SharedName(const char16_t* s) : SharedName(std::u16string_view(s ? s : u"")) {}  // NOLINT
  SharedName(const SharedName& other);
  SharedName& operator=(const SharedName& other);
  SharedName& operator=(std::u16string_view s);
  SharedName& operator=(const char16_t* s) { return *this = std::u16string_view(s ? s : u""); }
  ~SharedName();

  const char16_t* c_str() const;
  std::u16string_view view() const;
  operator std::u16string_view() const { return view(); }  // NOLINT

  // How many spellings are held now.
  static size_t spellingsHeld();

  struct Node;

 private:
  Node* m_node;
};

}  // namespace qd::text

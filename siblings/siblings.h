// Stand-ins for the sibling modules of the product family: the functions they define,
// answered through acedInvoke, with their texts and codes read from the data folder.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace qd::siblings {

// The message catalogue: texts by dictionary function and number.
class Catalogue {
 public:
  // Reads the catalogue text; malformed lines are reported in `problems` and skipped.
  void parse(const std::string& text, std::vector<std::string>& problems);
  const std::u16string* find(const std::u16string& dictionary, int number) const;
  size_t size() const { return m_texts.size(); }

 private:
  std::map<std::pair<std::u16string, int>, std::u16string> m_texts;
};

struct Floor {
  std::u16string code, description;
  double elevation = 0, angle = 0;  // angle in degrees
};
struct Suffix {
  int color = 7;
  std::u16string linetype = u"Continuous";
};

// The product's codes: sections, constructions, general layers, floors, suffix letters.
class Product {
 public:
  void parse(const std::string& text, std::vector<std::string>& problems);
  std::map<std::u16string, std::u16string> sections, constructions, generals;
  std::map<std::u16string, Floor> floors;
  std::map<char16_t, Suffix> suffixes;
};

// Reads data/messages.txt and data/product.txt and defines every sibling function.
void install(const std::string& dataDir);

}  // namespace qd::siblings

// Reading the message catalogue and the product table.
#include <sstream>

#include "platform/codepage.h"
#include "siblings/siblings.h"

namespace qd::siblings {
namespace {

std::vector<std::string> splitBar(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t bar = line.find('|', start);
    out.push_back(line.substr(start, bar - start));
    if (bar == std::string::npos) return out;
    start = bar + 1;
  }
}

template <class Each>
void eachLine(const std::string& text, Each each) {
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    each(line.substr(first), n);
  }
}

std::string where(int line) { return "line " + std::to_string(line) + ": "; }

}  // namespace

void Catalogue::parse(const std::string& text, std::vector<std::string>& problems) {
  eachLine(text, [&](const std::string& line, int n) {
    std::istringstream in(line);
    std::string dictionary;
    long number = -1;
    in >> dictionary >> number;
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (!in || number < 0 || number > 32767 || open == std::string::npos || close <= open) {
      problems.push_back(where(n) + "expected: dictionary number \"text\"");
      return;
    }
    std::string body;
    for (size_t i = open + 1; i < close; ++i) {
      char c = line[i];
      if (c == '\\' && i + 1 < close) {
        const char e = line[++i];
        c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
      }
      body += c;
    }
    if (!qd::text::isValidUtf8(body)) {
      problems.push_back(where(n) + "text is not UTF-8");
      return;
    }
    m_texts[{qd::text::toUpper(qd::text::fromUtf8(dictionary)), static_cast<int>(number)}] = qd::text::fromUtf8(body);
  });
}

const std::u16string* Catalogue::find(const std::u16string& dictionary, int number) const {
  auto it = m_texts.find({qd::text::toUpper(dictionary), number});
  return it == m_texts.end() ? nullptr : &it->second;
}

void Product::parse(const std::string& text, std::vector<std::string>& problems) {
  eachLine(text, [&](const std::string& line, int n) {
    if (!qd::text::isValidUtf8(line)) return problems.push_back(where(n) + "not UTF-8");
    const auto f = splitBar(line);
    auto u = [&](size_t i) { return qd::text::fromUtf8(i < f.size() ? f[i] : ""); };
    const std::string& kind = f[0];
    if (kind == "section" && f.size() == 3 && f[1].size() == 1) sections[u(1)] = u(2);
    else if (kind == "construction" && f.size() == 3 && u(1).size() == 3) constructions[u(1)] = u(2);
    else if (kind == "general" && f.size() == 3 && u(1).size() == 3) generals[u(1)] = u(2);
    else if (kind == "floor" && f.size() == 5 && u(1).size() == 2) {
      Floor fl{u(1), u(2), std::atof(f[3].c_str()), std::atof(f[4].c_str())};
      floors[fl.code] = fl;
    } else if (kind == "suffix" && f.size() == 4 && u(1).size() == 1) {
      suffixes[u(1)[0]] = Suffix{std::atoi(f[2].c_str()), u(3)};
    } else {
      problems.push_back(where(n) + "unknown or incomplete line");
    }
  });
}

}  // namespace qd::siblings

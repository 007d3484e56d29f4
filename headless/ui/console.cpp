#include "headless/ui/console.h"

#include <cstdio>
#include <iostream>
#include <sstream>

#include "platform/codepage.h"

namespace qd::ui {

std::vector<std::u16string> eventWords(const std::u16string& text) {
  std::vector<std::u16string> out;
  std::u16string w;
  bool quoted = false;
  for (char16_t c : text + u" ") {
    if (c == u'"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == u' ' || c == u'\t')) {
      if (!w.empty()) out.push_back(w);
      w.clear();
    } else {
      w += c;
    }
  }
  return out;
}

std::u16string eventRest(const std::u16string& text, size_t n) {
  size_t pos = 0;
  for (size_t i = 0; i < n; ++i) {
    pos = text.find_first_not_of(u" \t", pos);
    if (pos == std::u16string::npos) return u"";
    pos = text.find_first_of(u" \t", pos);
    if (pos == std::u16string::npos) return u"";
  }
  pos = text.find_first_not_of(u" \t", pos);
  std::u16string r = pos == std::u16string::npos ? u"" : text.substr(pos);
  if (r.size() >= 2 && r.front() == u'"' && r.back() == u'"') r = r.substr(1, r.size() - 2);
  return r;
}

ScriptSource::ScriptSource(std::string name, const std::string& text) : m_name(std::move(name)) {
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';') continue;
    const size_t last = line.find_last_not_of(" \t");
    m_lines.emplace_back(n, qd::text::fromUtf8(line.substr(first, last - first + 1)));
  }
}

bool ScriptSource::next(Event& e, const std::u16string&) {
  if (m_pos >= m_lines.size()) return false;
  e.line = m_lastLine = m_lines[m_pos].first;
  e.text = m_lines[m_pos].second;
  e.source = m_name;
  ++m_pos;
  return true;
}

Console& Console::get() {
  static Console c;
  return c;
}

void Console::insertEvents(const std::vector<std::u16string>& events, const std::string& name) {
  for (size_t i = events.size(); i-- > 0;) m_inserted.push_back(Event{events[i], name, static_cast<int>(i + 1)});
}

bool Console::nextEvent(EventSource& source, Event& e, const std::u16string& prompt) {
  if (m_inserted.empty()) return source.next(e, prompt);
  e = m_inserted.back();
  m_inserted.pop_back();
  return true;
}

bool Console::take(const std::u16string& prompt, Event& e) {
  if (m_stopped) return false;
  bool got = m_source && nextEvent(*m_source, e, prompt);
  while (got && checkHook && e.text.rfind(u"expect ", 0) == 0) {
    answer(e.text);
    checkHook(e);
    write(prompt);
    got = nextEvent(*m_source, e, prompt);
  }
  if (!got) {
    std::u16string where;
    if (auto* script = dynamic_cast<ScriptSource*>(m_source))
      where = u" after " + qd::text::fromUtf8(script->name()) + u" line " +
              qd::text::fromUtf8(std::to_string(script->lastLine()));
    answer(u"*Cancel*");
    note(u"; no event left for this prompt" + where + u": answered Esc\n");
    // A script that ends in the middle of a command is incomplete.
    m_stopped = true;
    ++m_failures;
    return false;
  }
  return true;
}

void Console::stop(const Event& e, const std::u16string& prompt, const std::u16string& expected) {
  answer(e.text);
  std::u16string p = prompt;
  while (!p.empty() && (p.back() == u' ' || p.back() == u':')) p.pop_back();
  while (!p.empty() && (p.front() == u'\n' || p.front() == u'\r' || p.front() == u' ')) p.erase(0, 1);
  // A person is told and goes on: the request is cancelled, the session is not.
  if (atTerminal()) {
    note(u"; \"" + e.text + u"\" does not answer \"" + p + u"\", which expects " + expected + u"\n");
    return;
  }
  note(u"; " + qd::text::fromUtf8(e.source) + u" line " + qd::text::fromUtf8(std::to_string(e.line)) +
       u": \"" + e.text + u"\" does not answer \"" + p + u"\", which expects " + expected +
       u"; the script stops\n");
  m_stopped = true;
  ++m_failures;
}

bool Console::atTerminal() const { return dynamic_cast<TerminalSource*>(m_source) != nullptr; }

void Console::write(const std::u16string& text) {
  m_transcript += text;
  m_printed += text;
  if (!m_echo) return;
  if (!atTerminal()) {
    std::fputs(qd::text::toUtf8(text).c_str(), stdout);
    std::fflush(stdout);
    return;
  }
  // At a terminal the open line waits for the line editor, which shows it as the prompt.
  m_openLine += qd::text::toUtf8(text);
  const size_t end = m_openLine.rfind('\n');
  if (end == std::string::npos) return;
  std::fwrite(m_openLine.data(), 1, end + 1, stdout);
  std::fflush(stdout);
  m_openLine.erase(0, end + 1);
}

std::string Console::takeOpenLine() {
  std::string line;
  line.swap(m_openLine);
  return line;
}

void Console::answer(const std::u16string& text) {
  m_transcript += text + u"\n";
  // The answer ends the prompt's line; what was typed is not the system's output.
  m_printed += u"\n";
  if (!m_echo) return;
  if (atTerminal()) {
    // What the person typed stands on the screen already; an answer that came from
    // elsewhere (events the host inserts) is shown after its prompt.
    if (!m_openLine.empty()) std::fputs((takeOpenLine() + qd::text::toUtf8(text) + "\n").c_str(), stdout);
    return;
  }
  std::fputs(qd::text::toUtf8(text + u"\n").c_str(), stdout);
}

void Console::note(const std::u16string& text) {
  m_transcript += text;
  if (m_echo) {
    std::fputs(takeOpenLine().c_str(), stdout);
    std::fputs(qd::text::toUtf8(text).c_str(), stdout);
    std::fflush(stdout);
  }
}

namespace {
// Calls `visit` with each line of `text` until it returns true.
template <class Visit>
bool anyLine(const std::u16string& text, Visit visit) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    if (visit(std::u16string_view(text.data() + start, end - start))) return true;
    start = end + 1;
  }
  return false;
}
}  // namespace

bool Console::hasLine(const std::u16string& line) const {
  return anyLine(m_transcript, [&](std::u16string_view l) { return l == line; });
}

bool Console::printedContains(const std::u16string& part) const {
  return anyLine(m_printed, [&](std::u16string_view l) { return l.find(part) != std::u16string_view::npos; });
}

std::vector<std::u16string> Console::lastPrintedLines(size_t n) const {
  std::vector<std::u16string> lines;
  size_t end = m_printed.size();
  while (lines.size() < n && end > 0) {
    const size_t start = m_printed.rfind(u'\n', end - 1);
    const size_t from = start == std::u16string::npos ? 0 : start + 1;
    std::u16string line = m_printed.substr(from, end - from);
    // Bare command prompts tell nothing about what was seen.
    if (!line.empty() && line != u"Command: ") lines.insert(lines.begin(), std::move(line));
    if (start == std::u16string::npos) break;
    end = start;
  }
  return lines;
}

void Console::initGet(int flags, const std::u16string& keywords) {
  m_flags = flags;
  m_keywords.clear();
  std::u16string word;
  for (char16_t c : keywords + u" ") {
    if (c == u' ' || c == u'\t') {
      if (!word.empty()) m_keywords.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
}

void Console::resetInitGet() {
  m_flags = 0;
  m_keywords.clear();
}

namespace {
// Whether `typed` names `keyword`: at least its capital letters (or its abbreviation
// after a comma), at most the whole word; case does not matter.
bool names(const std::u16string& keyword, const std::u16string& typed) {
  std::u16string full = keyword, abbrev;
  if (size_t comma = keyword.find(u','); comma != std::u16string::npos) {
    full = keyword.substr(0, comma);
    abbrev = keyword.substr(comma + 1);
  } else {
    size_t n = 0;
    while (n < keyword.size() && !(keyword[n] >= u'a' && keyword[n] <= u'z')) ++n;
    // A keyword without capitals is typed whole.
    abbrev = n == 0 ? keyword : keyword.substr(0, n);
  }
  const std::u16string t = qd::text::toUpper(typed), f = qd::text::toUpper(full);
  return t.size() >= abbrev.size() && t.size() <= f.size() && f.compare(0, t.size(), t) == 0;
}
}  // namespace

std::u16string Console::matchKeyword(const std::u16string& typed) const {
  if (typed.empty()) return u"";
  // "Ano Ne _Yes No": local keywords, then after "_" the global ones in the same order.
  std::vector<std::u16string> local, global;
  bool inGlobal = false;
  for (const auto& k : m_keywords) {
    if (k == u"_") {
      inGlobal = true;
      continue;
    }
    if (!inGlobal && k[0] == u'_') {
      inGlobal = true;
      global.push_back(k.substr(1));
      continue;
    }
    (inGlobal ? global : local).push_back(k);
  }
  auto result = [&](size_t i) {
    const std::u16string& k = i < global.size() ? global[i] : local[i];
    return k.substr(0, k.find(u','));
  };
  if (typed[0] == u'_') {
    const std::u16string rest = typed.substr(1);
    for (size_t i = 0; i < global.size(); ++i)
      if (names(global[i], rest)) return result(i);
    if (global.empty())
      for (size_t i = 0; i < local.size(); ++i)
        if (names(local[i], rest)) return result(i);
    return u"";
  }
  for (size_t i = 0; i < local.size(); ++i)
    if (names(local[i], typed)) return result(i);
  return u"";
}

}  // namespace qd::ui

#include "headless/dxf/parsing_ahead.h"

#include <algorithm>
#include <system_error>

#include "headless/dxf/survey.h"

namespace qd::dxf {

std::vector<StretchStart> stretchStarts(std::string_view text, size_t from, size_t end, size_t step) {
  std::vector<StretchStart> starts{{from, from}};
  end = std::min(end, text.size());
  for (size_t p = from; end > p && end - p > step;) {
    bool found = false;
    for (p = text.find('\n', p + step); p < end; p = text.find('\n', p + 1)) {
      const size_t value = zeroGroupValue(text, p + 1);
      if (value == std::string_view::npos) continue;
      if (value >= end) break;
      starts.push_back({p + 1, value});
      p = value;
      found = true;
      break;
    }
    if (!found) break;
  }
  return starts;
}

ParsingAhead::ParsingAhead(std::string_view text, int codePage, const GroupCursor& start, size_t end,
                           EntityFiling filing, bool thread, size_t step,
                           std::function<void(const char* from, const char* to)> done)
    : m_text(text),
      m_start(start),
      m_firstIndex(start.valid() ? start->index : 0),
      m_starts(stretchStarts(text, start.valid() ? start->offset : text.size(), end, step)),
      m_filing(filing),
      m_readersParser(text, codePage, kHandleSeedLimit),
      m_done(m_starts.size()),
      m_textDone(std::move(done)),
      m_doneTo(m_starts.front().code),
      m_threadsParser(text, codePage, kHandleSeedLimit) {
  if (thread) try {
      m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread to be had: the reader parses every stretch.
    }
}

ParsingAhead::~ParsingAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

std::unique_ptr<ParsedBatch> ParsingAhead::claim(size_t& stretch) {
  if (m_stop || m_claimed == m_starts.size() || m_claimed >= m_wanted + kAhead) return nullptr;
  std::unique_ptr<ParsedBatch> b;
  if (m_free.empty()) {
    b = std::make_unique<ParsedBatch>();
  } else {
    b = std::move(m_free.back());
    m_free.pop_back();
  }
  stretch = m_claimed++;
  return b;
}

void ParsingAhead::run() {
  try {
    for (;;) {
      std::unique_ptr<ParsedBatch> b;
      size_t n = 0;
      {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || m_claimed == m_starts.size() || (b = claim(n)) != nullptr; });
        if (!b) return;
      }
      parseStretch(n, m_threadsParser, *b);
      {
        std::lock_guard lock(m_mutex);
        m_done[n] = std::move(b);
      }
      m_changed.notify_all();
    }
  } catch (...) {
    {
      std::lock_guard lock(m_mutex);
      m_lost = std::current_exception();
    }
    m_changed.notify_all();
  }
}

std::unique_ptr<ParsedBatch> ParsingAhead::next() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (m_wanted == m_done.size()) return nullptr;
    if (std::unique_ptr<ParsedBatch> b = std::move(m_done[m_wanted])) {
      const size_t n = m_wanted++;
      lock.unlock();
      // The parser's thread may claim one more.
      m_changed.notify_all();
      renumber(n, *b);
      tellDone(n + 1);
      return b;
    }
    if (m_lost) std::rethrow_exception(m_lost);
    size_t n = 0;
    if (std::unique_ptr<ParsedBatch> b = claim(n)) {
      lock.unlock();
      parseStretch(n, m_readersParser, *b);
      lock.lock();
      m_done[n] = std::move(b);
      continue;
    }
    // The stretch wanted is being parsed on the other thread.
    m_changed.wait(lock);
  }
}

void ParsingAhead::giveBack(std::unique_ptr<ParsedBatch> b) {
  std::lock_guard lock(m_mutex);
  m_free.push_back(std::move(b));
}

void ParsingAhead::parseStretch(size_t n, ObjectParser& parser, ParsedBatch& b) const {
  b.count = 0;
  b.failure.reset();
  b.fault = nullptr;
  b.last = n + 1 == m_starts.size();
  const size_t until = b.last ? m_text.size() : m_starts[n + 1].value;
  try {
    GroupCursor c = n == 0 ? m_start : GroupCursor(m_text, m_starts[n].code, 0);
    const uint32_t first = c.valid() ? c->index : 0;
    parser.takeNextHandle();
    int previous = 2;  // before the section's first group, its name
    while (c.valid() && !isZero(m_text, c, "ENDSEC") && !(c->code == 0 && c->offset == until)) {
      if (c->code != 0) {  // groups before the first object
        parser.noteGroup(*c, previous);
        previous = c->code;
        c.next();
        continue;
      }
      // Where the file's structure was not checked before: a section or the file ends
      // only after the section's ENDSEC.
      if (const std::string_view word = trim(m_text.substr(c->offset, c->size)); word == "SECTION" || word == "EOF")
        throw Failure{lineOf(*c), std::string(word) + " before the section's ENDSEC"};
      if (b.objects.size() == b.count) b.objects.emplace_back();
      ParsedObject& o = b.objects[b.count];
      parser.decodeInto(trim(m_text.substr(c->offset, c->size)), o.type);
      c.next();
      if (m_filing == EntityFiling::Direct) {
        o.line = parser.parseEntity(c, o.type, o.tags, o.shared, o.direct);
      } else {
        o.direct.kind = db::DirectFields::Kind::None;
        o.line = parser.parse(c, o.type == std::u16string_view(u"DIMSTYLE"), o.tags, o.shared);
      }
      ++b.count;
    }
    // The section ends here, whatever stretches were found after it. (A walk that missed
    // the next stretch's start, which a checked text does not have, reads on to the end.)
    if (!c.valid() || c->offset != until) b.last = true;
    b.groups = c->index - first;
    b.nextHandle = parser.takeNextHandle();
  } catch (const Failure& f) {
    b.failure = f;
    b.last = true;
  } catch (...) {
    b.fault = std::current_exception();
    b.last = true;
  }
}

void ParsingAhead::tellDone(size_t n) {
  // The batches handed over hold no view of the text, and the stretches being parsed
  // start at n or after it.
  if (!m_textDone || n >= m_starts.size() || m_starts[n].code < m_doneTo + kDoneStep) return;
  m_textDone(m_text.data() + m_doneTo, m_text.data() + m_starts[n].code);
  m_doneTo = m_starts[n].code;
}

void ParsingAhead::renumber(size_t n, ParsedBatch& b) {
  // The first stretch is counted from the file's start already; the others from their own.
  if (n > 0) {
    const size_t lines = 2 * size_t{m_firstIndex};
    for (size_t i = 0; i < b.count; ++i) b.objects[i].line += lines;
    if (b.failure) b.failure->line += lines;
  }
  m_firstIndex += b.groups;
}

}  // namespace qd::dxf

#include "headless/dxf/parsing_ahead.h"

namespace qd::dxf {

void ParsingAhead::run(std::string_view text, int codePage, GroupCursor c) {
  try {
    parseAll(text, codePage, c);
  } catch (...) {
    {
      std::lock_guard lock(m_mutex);
      m_lost = std::current_exception();
    }
    m_changed.notify_all();
  }
}

void ParsingAhead::parseAll(std::string_view text, int codePage, GroupCursor& c) {
  ObjectParser parser(text, codePage);
  for (bool done = false; !done;) {
    std::unique_ptr<ParsedBatch> b = takeFree();
    if (!b) return;
    b->count = 0;
    b->fault = nullptr;
    try {
      while (b->count < kBatchSize && !done) {
        if (!c.valid() || isZero(text, c, "ENDSEC")) {
          done = true;
        } else if (c->code != 0) {
          c.next();
        } else {
          if (b->objects.size() == b->count) b->objects.emplace_back();
          ParsedObject& o = b->objects[b->count];
          parser.decodeInto(trim(text.substr(c->offset, c->size)), o.type);
          c.next();
          o.line = parser.parse(c, o.type == std::u16string_view(u"DIMSTYLE"), o.tags, o.shared);
          ++b->count;
        }
      }
    } catch (...) {
      b->fault = std::current_exception();
      done = true;
    }
    b->last = done;
    {
      std::lock_guard lock(m_mutex);
      m_ready.push_back(std::move(b));
    }
    m_changed.notify_all();
  }
}

std::unique_ptr<ParsedBatch> ParsingAhead::takeFree() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return m_stop || !m_free.empty() || m_made < kBatches; });
  if (m_stop) return nullptr;
  if (m_free.empty()) {
    ++m_made;
    return std::make_unique<ParsedBatch>();
  }
  std::unique_ptr<ParsedBatch> b = std::move(m_free.back());
  m_free.pop_back();
  return b;
}

}  // namespace qd::dxf

#include "headless/dxf/formatting_ahead.h"

namespace qd::dxf {

Recorder::Recorder(FormattingAhead& ahead) : m_ahead(ahead) { m_ops.reserve(FormattingAhead::kBatch + 4096); }

void Recorder::flushSome() {
  if (m_ops.size() >= FormattingAhead::kBatch) flush();
}
void Recorder::flush() {
  if (!m_ops.empty()) m_ops = m_ahead.hand(std::move(m_ops));
}


void Recorder::replay(std::string_view ops, Out& out) {
  auto take = [&](auto& v) {
    std::memcpy(&v, ops.data(), sizeof v);
    ops.remove_prefix(sizeof v);
  };
  auto takeBytes = [&]() {
    uint32_t n = 0;
    take(n);
    const std::string_view v = ops.substr(0, n);
    ops.remove_prefix(n);
    return v;
  };
  while (!ops.empty()) {
    Op o{};
    int32_t c = 0;
    take(o);
    take(c);
    switch (o) {
      case Op::Put: out.put(c, takeBytes()); break;
      case Op::Hex: {
        uint64_t v = 0;
        take(v);
        out.hexValue(c, v);
        break;
      }
      case Op::Integer: {
        int64_t v = 0;
        take(v);
        out.integer(c, v);
        break;
      }
      case Op::Real: {
        double v = 0;
        take(v);
        out.realValue(c, v);
        break;
      }
      case Op::Binary: out.binary(c, takeBytes()); break;
    }
  }
  out.flushSome();
}

}  // namespace qd::dxf

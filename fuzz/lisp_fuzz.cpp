// Arbitrary bytes as LISP text: reading, printing and converting to result buffers and
// back must never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/ads/resbuf_util.h"
#include "headless/lisp/lisp.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<qd::lisp::Value> values;
  std::u16string error;
  if (!qd::lisp::read(qd::text::fromCodePage(bytes, 1250), values, error)) return 0;
  for (const auto& v : values) {
    (void)qd::lisp::print(v);
    qd::ads::RbList rb(qd::lisp::toResbuf(v));
    (void)qd::lisp::fromResbufChain(rb.get());
    qd::ads::RbList group(qd::lisp::toGroupResbuf(v));
  }
  return 0;
}

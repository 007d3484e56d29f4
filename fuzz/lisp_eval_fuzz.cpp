// Arbitrary bytes as LISP evaluated against a drawing with the host's functions (entity
// lists, selections, tables, variables, conversions): every form must end in a value or
// an error message, never a crash, a hang or a leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/lisp/lisp.h"
#include "host/dbdatabase.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<qd::lisp::Value> forms;
  std::u16string error;
  if (!qd::lisp::read(qd::text::fromCodePage(bytes, 1250), forms, error)) return 0;
  AcDbDatabase db(true);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  // Host commands are left out: they open and save files by name.
  qd::lisp::Interpreter lisp([](const std::u16string&, const std::vector<qd::lisp::Value>&, int&, qd::lisp::Value&) {
    return false;
  });
  for (const auto& form : forms) {
    if (form.kind == qd::lisp::Value::Kind::List && !form.items.empty() && form.items[0].text == u"COMMAND") continue;
    qd::lisp::Value result;
    if (lisp.eval(form, result, error)) (void)qd::lisp::print(result);
  }
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return 0;
}

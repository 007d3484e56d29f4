// Arbitrary text as a resource script: it is read or refused with a message naming a
// line, and a dialog it holds is pictured; nothing crashes or loops.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "headless/ui/native/native_dialogs.h"
#include "headless/ui/native/resource_script.h"
#include "platform/codepage.h"

namespace {
struct Idle : win::DialogController {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace native = qd::ui::native;
  native::ResourceScript script;
  std::u16string error;
  const std::u16string text = qd::text::fromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  if (!script.parse(text, "fuzz.rc", error)) {
    if (error.rfind(u"fuzz.rc(", 0) != 0) std::abort();
    return 0;
  }
  for (int id = 0; id < 300; ++id)
    if (const native::DialogTemplate* d = script.dialog(id)) {
      Idle idle;
      native::Window w(script, *d, idle, nullptr);
      (void)native::windowHtml(w);
    }
  return 0;
}

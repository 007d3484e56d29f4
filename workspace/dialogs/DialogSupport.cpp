#include "workspace/dialogs/DialogSupport.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/codepage.h"
#include "workspace/strings.h"

namespace qd::workspace {

std::u16string resourceFile() {
  Dl_info info{};
  const std::filesystem::path folder = dladdr(reinterpret_cast<void*>(&resourceFile), &info) && info.dli_fname
                                           ? std::filesystem::path(info.dli_fname).parent_path()
                                           : std::filesystem::path(".");
  return qd::text::fromUtf8((folder / "QDSTRAT.rc").string());
}

void captions(win::DialogWindow& w, std::initializer_list<std::pair<int, int>> list) {
  for (const auto& [id, number] : list) w.setText(id, text(number));
}

std::u16string formatted(int number, std::initializer_list<std::u16string_view> items) {
  std::u16string out = text(number);
  size_t from = 0;
  for (std::u16string_view item : items) {
    const size_t at = out.find(u"%s", from);
    if (at == std::u16string::npos) break;
    out.replace(at, 2, item);
    from = at + item.size();
  }
  return out;
}

}  // namespace qd::workspace

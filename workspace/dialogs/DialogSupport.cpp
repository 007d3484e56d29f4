#include "workspace/dialogs/DialogSupport.h"

#include <filesystem>

#include "host/winhelp.h"
#include "platform/codepage.h"
#include "workspace/Manager.h"
#include "workspace/strings.h"

namespace qd::workspace {

std::u16string resourceFile() {
  return qd::text::fromUtf8((std::filesystem::path(libraryFolder()) / "QDSTRAT.rc").string());
}

void showHelp() {
  const std::u16string help = qd::text::fromUtf8(helpFile());
  if (!help.empty()) WinHelpW(state().parentWindow, help.c_str(), HELP_CONTEXT, kHelpContext);
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

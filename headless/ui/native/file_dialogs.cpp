// The platform's file dialogs at the command line: the dialog's title as the prompt,
// answered by "file PATH" (or typed as a path), Esc or "cancel" for none. A save over an
// existing file asks first when the caller wants it.
#include <filesystem>

#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/windlg.h"
#include "host/winlib.h"
#include "platform/codepage.h"

namespace {

using qd::ui::Console;

bool choose(win::FileDialog& d, bool save) {
  Console& c = Console::get();
  const std::u16string prompt = u"[File dialog " + d.title + u"] ";
  c.write(prompt);
  qd::ui::Event e;
  if (!c.take(prompt, e)) return false;
  c.answer(e.text);
  const auto w = qd::ui::eventWords(e.text);
  if (e.text == u"<esc>" || e.text == u"cancel" || w.empty()) return false;
  std::u16string typed = w[0] == u"file" ? qd::ui::eventRest(e.text, 1) : e.text;
  if (typed.empty()) return false;
  std::filesystem::path path(qd::text::toUtf8(typed));
  if (!path.has_extension() && !d.defaultExtension.empty()) path += "." + qd::text::toUtf8(d.defaultExtension);
  if (path.is_relative() && !d.initialFolder.empty()) path = std::filesystem::path(qd::text::toUtf8(d.initialFolder)) / path;
  const std::u16string chosen = qd::text::fromUtf8(path.string());
  std::error_code ec;
  if (!save && !std::filesystem::exists(path, ec)) {
    MessageBoxW(nullptr, (chosen + u"\nFile not found.").c_str(), d.title.c_str(), MB_OK);
    return false;
  }
  if (save && d.overwritePrompt && std::filesystem::exists(path, ec) &&
      MessageBoxW(nullptr, (chosen + u" already exists.\nDo you want to replace it?").c_str(), d.title.c_str(), MB_YESNO) !=
          IDYES)
    return false;
  d.file = chosen;
  return true;
}

}  // namespace

namespace win {
bool GetOpenFileNameW(FileDialog& dialog) { return choose(dialog, false); }
bool GetSaveFileNameW(FileDialog& dialog) { return choose(dialog, true); }
}  // namespace win

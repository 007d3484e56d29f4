// The command line at a terminal: readline edits the line (with the prompt the host
// printed, history kept across sessions, Tab completing the keywords of the prompt and
// the verbs and keys of an open dialog), Ctrl-C answers Esc and Ctrl-D ends the session.
#include <readline/history.h>
#include <readline/readline.h>
#include <strings.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "headless/ui/console.h"
#include "headless/ui/dialogs.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void onInterrupt(int) { g_interrupted = 1; }

// What readline hands over for one line.
struct Typed {
  bool done = false, end = false;
  std::string line;
};
Typed* g_typed = nullptr;

void onLine(char* line) {
  g_typed->done = true;
  if (line) g_typed->line = line;
  else g_typed->end = true;
  std::free(line);
  rl_callback_handler_remove();
}

// The words Tab completes at the prompt being answered.
std::vector<std::string> g_words;

char* nextWord(const char* text, int state) {
  static size_t next = 0;
  if (state == 0) next = 0;
  const size_t length = std::strlen(text);
  while (next < g_words.size()) {
    const std::string& w = g_words[next++];
    if (strncasecmp(w.c_str(), text, length) == 0) return strdup(w.c_str());
  }
  return nullptr;
}

char** complete(const char* text, int, int) {
  rl_attempted_completion_over = 1;  // words of the prompt, never file names
  return rl_completion_matches(text, nextWord);
}

void collectWords(const std::u16string& prompt) {
  g_words.clear();
  for (const auto& k : Console::get().keywords()) g_words.push_back(qd::text::toUtf8(k));
  if (prompt.rfind(u"[Dialog ", 0) == 0) {
    for (const char* verb : {"click", "enter", "set", "select", "double", "image", "ok", "cancel", "show", "tree",
                             "tab", "key", "context", "menu", "file"})
      g_words.emplace_back(verb);
    for (const auto& key : openDialogKeys()) g_words.push_back(qd::text::toUtf8(key));
  }
}

enum class Got { Line, End, Interrupted };

// One line edited after `prompt`. Ctrl-C leaves the line and says so.
Got editLine(const std::string& prompt, std::string& out) {
  Typed typed;
  g_typed = &typed;
  struct sigaction interrupt {}, previous {};
  interrupt.sa_handler = onInterrupt;
  sigemptyset(&interrupt.sa_mask);
  interrupt.sa_flags = 0;  // the wait returns at once on Ctrl-C
  sigaction(SIGINT, &interrupt, &previous);
  // Ctrl-C waits while a key is handled and comes only inside pselect(), so that one
  // pressed just after a key is never lost before the wait.
  sigset_t blocked, original;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigprocmask(SIG_BLOCK, &blocked, &original);
  sigset_t waiting = original;
  sigdelset(&waiting, SIGINT);
  g_interrupted = 0;
  rl_callback_handler_install(prompt.c_str(), onLine);
  Got got = Got::Line;
  while (!typed.done) {
    fd_set in;
    FD_ZERO(&in);
    FD_SET(STDIN_FILENO, &in);
    const int ready = pselect(STDIN_FILENO + 1, &in, nullptr, nullptr, nullptr, &waiting);
    if (g_interrupted) {
      got = Got::Interrupted;
      rl_free_line_state();
      rl_callback_sigcleanup();
      rl_callback_handler_remove();
      std::fputs("*Cancel*\n", stdout);
      break;
    }
    if (ready < 0) {
      if (errno == EINTR) continue;
      got = Got::End;
      rl_callback_handler_remove();
      break;
    }
    rl_callback_read_char();
  }
  sigprocmask(SIG_SETMASK, &original, nullptr);
  sigaction(SIGINT, &previous, nullptr);
  g_typed = nullptr;
  if (got == Got::Line && typed.end) got = Got::End;
  if (got == Got::Line) out = typed.line;
  return got;
}

std::string historyFile() {
  if (const char* own = std::getenv("QDHOST_HISTORY")) return own;
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/.qdhost_history" : std::string();
}

}  // namespace

TerminalSource::TerminalSource() : m_editing(isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
  if (!m_editing) return;
  rl_readline_name = "qdhost";
  rl_catch_signals = 0;  // Ctrl-C is this source's, as Esc
  rl_attempted_completion_function = complete;
  using_history();
  m_historyFile = historyFile();
  if (!m_historyFile.empty()) read_history(m_historyFile.c_str());
}

TerminalSource::~TerminalSource() {
  if (!m_editing || m_historyFile.empty()) return;
  // Written beside and moved over, so that a history is never left half written.
  const std::string temporary = m_historyFile + ".new";
  stifle_history(1000);
  std::error_code ec;
  if (write_history(temporary.c_str()) == 0) std::filesystem::rename(temporary, m_historyFile, ec);
  else std::filesystem::remove(temporary, ec);
}

bool TerminalSource::next(Event& e, const std::u16string& prompt) {
  const std::string shown = Console::get().takeOpenLine();
  std::string line;
  if (!m_editing) {
    std::fputs(shown.c_str(), stdout);
    std::fflush(stdout);
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
  } else {
    collectWords(prompt);
    switch (editLine(shown, line)) {
      case Got::End: std::fputs("\n", stdout); return false;
      case Got::Interrupted: line = "<esc>"; break;
      case Got::Line:
        if (!line.empty() && (history_length == 0 || line != history_get(history_base + history_length - 1)->line))
          add_history(line.c_str());
        break;
    }
  }
  e.text = qd::text::fromUtf8(line);
  e.source = "terminal";
  e.line = ++m_line;
  return true;
}

}  // namespace qd::ui

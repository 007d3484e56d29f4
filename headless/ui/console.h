// The command line: where input comes from (session scripts or a person at a terminal),
// the transcript that shows each prompt with its answer, and the state of acedInitGet.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qd::ui {

// One event: a line of a script (or typed), with where it came from.
struct Event {
  std::u16string text;
  std::string source;  // script name, or "terminal"
  int line = 0;
};

// The words of an event ("set name \"Okno 1\"" gives set, name, Okno 1: quotes group
// blanks), and the text after its first `n` words, unquoted.
std::vector<std::u16string> eventWords(const std::u16string& text);
std::u16string eventRest(const std::u16string& text, size_t n);

class EventSource {
 public:
  virtual ~EventSource() = default;
  virtual bool next(Event& e, const std::u16string& prompt) = 0;
};

// The lines of a script file; blank lines and lines starting with ";" are skipped.
class ScriptSource : public EventSource {
 public:
  ScriptSource(std::string name, const std::string& text);
  bool next(Event& e, const std::u16string& prompt) override;
  std::string name() const { return m_name; }
  int lastLine() const { return m_lastLine; }

 private:
  std::string m_name;
  std::vector<std::pair<int, std::u16string>> m_lines;
  size_t m_pos = 0;
  int m_lastLine = 0;
};

// Lines a person types at the terminal (the transcript shows the prompt). On a terminal
// the line is edited with readline, with the history of earlier sessions and the
// prompt's keywords completed by Tab; Ctrl-C answers Esc, Ctrl-D ends the session.
// From a pipe the lines are read as they come.
class TerminalSource : public EventSource {
 public:
  TerminalSource();
  ~TerminalSource() override;
  TerminalSource(const TerminalSource&) = delete;
  TerminalSource& operator=(const TerminalSource&) = delete;
  bool next(Event& e, const std::u16string& prompt) override;

 private:
  bool m_editing = false;  // standard input is a terminal
  std::string m_historyFile;
  int m_line = 0;
};

class Console {
 public:
  static Console& get();

  void setSource(EventSource* source) { m_source = source; }
  EventSource* source() const { return m_source; }
  // Echoes the transcript to standard output as it grows.
  void setEcho(bool echo) { m_echo = echo; }
  // Whether a person answers at the terminal.
  bool atTerminal() const;
  // The echo of the line not yet ended (the prompt a person answers), taken for the line
  // editor to show, which redraws it as the line is edited.
  std::string takeOpenLine();

  // Script checks ("expect ...") may stand between any two events; they run as they
  // are met.
  std::function<void(const Event&)> checkHook;
  // Takes the next event for an input request. With none left, the request is answered
  // with Esc and the transcript says so; false then.
  bool take(const std::u16string& prompt, Event& e);
  // Events that come before the source's next ones, as a script the host runs: each
  // token of it one event. The next event from the source, or from those.
  void insertEvents(const std::vector<std::u16string>& events, const std::string& name);
  bool nextEvent(EventSource& source, Event& e, const std::u16string& prompt);
  // Stops the script: an event did not fit its request. Every later request is cancelled.
  void stop(const Event& e, const std::u16string& prompt, const std::u16string& expected);
  bool stopped() const { return m_stopped; }
  void clearStop() { m_stopped = false; }
  int failures() const { return m_failures; }
  void countFailure() { ++m_failures; }

  // The transcript: what acutPrintf writes, prompts and their answers.
  void write(const std::u16string& text);
  void answer(const std::u16string& text);
  // A line of the runner's own (a failed check, a stopped script): in the transcript,
  // never taken for something the system printed.
  void note(const std::u16string& text);
  const std::u16string& transcript() const { return m_transcript; }
  // Starts an empty transcript, for runs that must not keep what came before.
  void clearTranscript() {
    m_transcript.clear();
    m_printed.clear();
  }
  // Whether a line of the transcript equals `line`, prompts and answers together.
  bool hasLine(const std::u16string& line) const;
  // Whether a line of what the system printed (prompts and messages, without the echo of
  // answers and script lines) contains `part`.
  bool printedContains(const std::u16string& part) const;
  // The last `n` lines the system printed (bare command prompts left out), for a failed
  // check to show what it saw.
  std::vector<std::u16string> lastPrintedLines(size_t n) const;

  // acedInitGet: flags and keywords for the next input request only.
  void initGet(int flags, const std::u16string& keywords);
  int flags() const { return m_flags; }
  const std::vector<std::u16string>& keywords() const { return m_keywords; }
  void resetInitGet();
  // The keyword a typed text stands for (abbreviation or longer, any case), or empty.
  std::u16string matchKeyword(const std::u16string& typed) const;
  std::u16string lastInput;  // acedGetInput after RTKWORD

 private:
  EventSource* m_source = nullptr;
  std::vector<Event> m_inserted;  // the next first, at the back
  std::u16string m_transcript;
  std::u16string m_printed;  // the transcript without answers and notes
  bool m_echo = false, m_stopped = false;
  std::string m_openLine;  // echoed text after the last line break, held back at a terminal
  int m_failures = 0;
  int m_flags = 0;
  std::vector<std::u16string> m_keywords;
};

}  // namespace qd::ui

// Host commands: what acedCommand and the command line run. Each command takes its
// answers from the arguments it was sent and, when they run out or say PAUSE, from
// the user (the session's events).
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/dbdatabase.h"

namespace qd::commands {

// The arguments of one command call, consumed as the command asks.
class Args {
 public:
  explicit Args(const resbuf* list);
  // Each reader takes the next argument or, with none left or at PAUSE, asks the user.
  // False means cancel.
  bool text(const std::u16string& prompt, std::u16string& out);
  bool point(const std::u16string& prompt, AcGePoint3d& out);
  bool real(const std::u16string& prompt, double& out);
  // A point, or else a word (a keyword or an empty answer) in `word`.
  bool pointOrWord(const std::u16string& prompt, AcGePoint3d& pt, std::u16string& word, bool& isPoint);
  // Objects up to the empty string (or one selection set, or the user's selection).
  bool objects(std::vector<AcDbObjectId>& out);
  bool cancelled() const { return m_cancelled; }
  bool atEnd() const { return m_pos >= m_items.size(); }

 private:
  const resbuf* peek() const;
  std::vector<const resbuf*> m_items;
  size_t m_pos = 0;
  bool m_cancelled = false;
};

using Command = std::function<int(AcDbDatabase* db, Args& args)>;

// The host's commands by upper-case name without "_", "." or "-" prefixes, except
// where the dash names another command ("-LAYER" is not "LAYER").
const Command* findCommand(const std::u16string& typed);
// Runs a command typed at the command line, with the given arguments (then the
// user's answers); RTNORM, RTCAN or RTERROR.
int run(const std::u16string& name, const resbuf* args);
// Runs the commands of an acedCommand argument list in turn.
int runCommands(const resbuf* list);

// Saving the drawing (QSAVE) and opening another (NEW, OPEN; an empty path starts from
// the template) are done by the runner, which owns the drawing and knows its file.
std::function<int(AcDbDatabase* db)>& saveHook();
std::function<int(const std::string& path)>& openHook();

}  // namespace qd::commands

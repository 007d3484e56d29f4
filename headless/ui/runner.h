// The command line: runs the events of a session at the "Command: " prompt (command
// names, LISP, and the script's own checks) until the events run out.
#pragma once
#include <string>

#include "headless/ui/console.h"

namespace qd::ui {

// Runs every event the source gives. Returns the number of failed checks and stopped
// scripts (0 when all went as expected).
int runSession(EventSource& source);

// Runs one line typed at the command line.
void runCommandLine(const Event& e);

}  // namespace qd::ui

#!/usr/bin/python3
"""A person at qdhost's command line, through a pseudo-terminal: LISP typed and answered,
Ctrl-C cancelling a line, a dialog shown as a text form and
answered with completed verbs and keys, a line that does not fit told and the dialog
going on, the history recalled with the arrow key and kept for the next session, and
Ctrl-D ending the session with the drawing saved.

    terminal_session.py QDHOST DATA QDLBL_MODULE WORKDIR
"""
import os
import pty
import re
import select
import shutil
import sys
import time

qdhost, data, module, work = (os.path.abspath(a) for a in sys.argv[1:5])
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
history = os.path.join(work, "history")
env = dict(os.environ, HOME=work, TERM="xterm", QDHOST_HISTORY=history, INPUTRC=os.devnull)


def session():
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(work)
        os.execve(qdhost, [qdhost, "--data", data, "--no-modules", "--module", module, "--interactive",
                           "--save", os.path.join(work, "out.dxf")], env)
    return pid, fd


class Screen:
    def __init__(self, fd):
        self.fd, self.text = fd, ""

    def read_until(self, pattern, timeout=10.0):
        """What the terminal shows up to `pattern`, escape sequences left out."""
        end = time.time() + timeout
        while time.time() < end:
            clean = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", self.text).replace("\r", "")
            if re.search(pattern, clean):
                self.text = ""
                return clean
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if ready:
                try:
                    self.text += os.read(self.fd, 65536).decode("utf-8", "replace")
                except OSError:
                    break
        sys.exit(f"the terminal never showed {pattern!r}; it showed:\n{self.text!r}")

    def type(self, keys, pattern):
        os.write(self.fd, keys.encode())
        return self.read_until(pattern)


pid, fd = session()
s = Screen(fd)
s.read_until(r"Command: $")
s.type("(setq a 5)\r", r"\n5\nCommand: $")
# Ctrl-C leaves the half-typed line: nothing is evaluated, the prompt comes back.
shown = s.type("(+ a 2", r"\(\+ a 2$")
shown = s.type("\x03", r"\*Cancel\*\nCommand: $")
# The purge dialog as a form; "cli<Tab> lay<Tab>" completes to "click layer".
form = s.type("QDPURGE\r", r"\[Dialog purge\] $")
for expected in (r"\| <Konec>\s+cancel", r"\|   <Hladiny\.\.\.>\s+layer", r"\+-- enter KEY TEXT \| click KEY"):
    if not re.search(expected, form):
        sys.exit(f"the purge form lacks {expected!r}:\n{form}")
s.type("click bogus\r", r'has no tile "bogus".*\n.*\[Dialog purge\] $')
form = s.type("cli\tlay\t\r", r"\[Dialog purge1\] $")
if "(purge1)" not in form or "| Maska: [" not in form:
    sys.exit(f"the layer review is not shown as a form:\n{form}")
s.type("cancel\r", r"\[Dialog purge\] $")
s.type("cancel\r", r"Command: $")
# The arrow key brings back the LISP typed before.
s.type("\x1b[A" * 5 + "\r", r"\n5\nCommand: $")
s.type("\x04", r"$")
_, status = os.waitpid(pid, 0)
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit(f"qdhost ended with {os.waitstatus_to_exitcode(status)}")
if not os.path.exists(os.path.join(work, "out.dxf")):
    sys.exit("the drawing was not saved")
with open(history, encoding="utf-8") as f:
    kept = f.read().splitlines()
if "(setq a 5)" not in kept or "QDPURGE" not in kept:
    sys.exit(f"the history kept {kept}")

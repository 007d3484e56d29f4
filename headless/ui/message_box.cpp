// The platform's message box at the command line: the caption and the text are shown,
// and a Yes/No box takes its answer as a keyword (Enter or Esc answer No).
#include <string>

#include "host/acedads.h"
#include "host/adslib.h"
#include "host/winlib.h"

int MessageBoxW(void*, const ACHAR* text, const ACHAR* caption, unsigned type) {
  acutPrintf(u"\n[%ls] %ls", caption ? caption : u"", text ? text : u"");
  if ((type & 0xF) != MB_YESNO) return IDOK;
  acedInitGet(0, u"Yes No");
  ACHAR answer[16] = {};
  const int rc = acedGetKword(u" [Yes/No] <No>: ", answer, 16);
  return rc == RTNORM && std::u16string(answer) == u"Yes" ? IDYES : IDNO;
}

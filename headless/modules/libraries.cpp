// Libraries bound by name as the platform binds them: "QDMATUCS.ARX" is the module of
// that name when it is loaded, else the shared library of that name in a module folder.
#include <dlfcn.h>

#include "headless/modules/modules.h"
#include "host/winlib.h"
#include "platform/codepage.h"

HMODULE LoadLibraryW(const ACHAR* fileName) {
  if (!fileName) return nullptr;
  return qd::modules::Manager::get().openLibrary(qd::text::toUtf8(fileName));
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  if (!module || !procName) return nullptr;
  return reinterpret_cast<FARPROC>(dlsym(module, procName));
}

int FreeLibrary(HMODULE module) { return module && dlclose(module) == 0 ? 1 : 0; }

// Libraries bound by name as the platform binds them: "QDMATUCS.ARX" is the module of
// that name when it is loaded, else the shared library of that name in a module folder.
#include <dlfcn.h>

#include <algorithm>

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

HMODULE GetModuleHandleW(const ACHAR* moduleName) {
  if (!moduleName) return nullptr;
  const qd::modules::Module* m = qd::modules::Manager::get().find(qd::modules::moduleName(qd::text::toUtf8(moduleName)));
  return m ? m->handle : nullptr;
}

unsigned GetModuleFileNameW(HMODULE module, ACHAR* buffer, unsigned size) {
  if (!module || !buffer || size == 0) return 0;
  const qd::modules::Module* m = qd::modules::Manager::get().findByHandle(module);
  if (!m) return 0;
  const std::u16string path = qd::text::fromUtf8(m->path);
  const size_t n = std::min<size_t>(path.size(), size - 1);
  std::copy_n(path.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<unsigned>(n);
}

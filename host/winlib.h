// The platform's binding of libraries by name: a library loaded (or found loaded) by its
// file name, an entry looked up by name, the library given back.
#pragma once
#include "host/adsdef.h"

typedef void* HMODULE;
typedef void (*FARPROC)();

// The library of that file name; null when it cannot be had. Each call is given back
// with FreeLibrary.
HMODULE LoadLibraryW(const ACHAR* fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
int FreeLibrary(HMODULE module);
// The loaded module of that name (file name, any extension), not to be given back; null
// when none is loaded.
HMODULE GetModuleHandleW(const ACHAR* moduleName);
// The module's file name; its length, 0 when the handle is no loaded module.
unsigned GetModuleFileNameW(HMODULE module, ACHAR* buffer, unsigned size);

// A message box of the platform: its text and caption, answered OK, Yes or No.
constexpr unsigned MB_OK = 0x0, MB_YESNO = 0x4;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7, IDHELP = 9;
int MessageBoxW(void* owner, const ACHAR* text, const ACHAR* caption, unsigned type);

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

// The platform's help call that the modules use for their help files. The headless
// host writes each request into the transcript.
#pragma once
#include <cstdint>

#include "host/adsdef.h"

#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_INDEX 0x0003
#define HELP_FINDER 0x000b

bool WinHelpW(void* owner, const ACHAR* helpFile, unsigned int command, uintptr_t data);

#pragma once
#include "platform/platform.h"

// True on the Windows NT family, whose keyboard reports AltGr as Ctrl plus
// the right Alt key.
bool DetectWinNT(win::SystemApi& system);

// True under Wine, whose ntdll.dll exports wine_get_version. There the X
// server owns the lock keys' states: a toggle made inside Windows alone is
// turned back at the next key.
bool DetectWine(win::SystemApi& system);

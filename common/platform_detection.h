#pragma once
#include "platform/platform.h"

// True on the Windows NT family, whose keyboard reports AltGr as Ctrl plus
// the right Alt key.
bool DetectWinNT(win::SystemApi& system);

#pragma once
#include <string>

#include "platform/platform.h"

// Opens a program or document with the shell's "open" verb, owned by the
// window of the calling thread that has the keyboard focus (normally none).
// ShellExecuteA reports success by a result above 32, taken unsigned.
bool ShellOpen(win::Platform& platform, const std::string& path);

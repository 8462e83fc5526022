#pragma once
#include <string>

#include "platform/platform.h"

// Opens a program or document with the shell's "open" verb, owned by the
// window of the calling thread that has the keyboard focus (normally none).
// ShellExecute reports success by a result above 32, taken unsigned. The
// wide call, so that a path may hold any character.
bool ShellOpen(win::Platform& platform, const std::wstring& path);

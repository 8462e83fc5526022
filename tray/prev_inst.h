#pragma once
#include <string>

#include "platform/platform.h"

// The file name of the program as the system reports it, in capitals and
// without a final ".EXE": the system reports the name as the program was
// started, so "zolvik32" and "Zolvik32.exe" both give ZOLVIK32, while a
// copy under another file name gives another name.
std::string ExeBaseName(win::Platform& platform, win::Instance module);

// Creates the instance mutex of the user's session, named after the
// program's file name. True when another copy holds it already; a new
// mutex stays open for the life of the process.
bool CheckPrevInstance(win::Platform& platform, win::Instance module);

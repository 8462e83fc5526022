#pragma once
#include <string>

#include "platform/platform.h"

// The file name of the program as the system reports it, without its last
// four characters when ".EXE" (in capitals) occurs in it: ZOLVIK32.EXE gives
// ZOLVIK32, while Zolvik32.exe stays as it is.
std::string ExeBaseName(win::SystemApi& system, win::Instance module);

// Creates the instance mutex named after the program's file name. True when
// another copy holds it already; a new mutex stays open for the life of the
// process.
bool CheckPrevInstance(win::SystemApi& system, win::Instance module);

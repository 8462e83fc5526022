#pragma once
#include "platform/win_types.h"

// The 32-bit library's unwind tables, made known to its own unwinder where
// GCC's start-up code gave them to the process's shared GCC runtime.
void KeepUnwindTablesOwn(win::Instance library);
void ReleaseUnwindTables();

#pragma once
#include <cstdint>

#include "platform/win_types.h"

class TTrayProgram;

// The 64-bit host, Zolvik64.exe, that the tray program runs beside itself
// on a 64-bit Windows, so that 64-bit applications get the 64-bit hook
// library.
struct TCompanion {
    win::Handle Process = 0;
    std::uint32_t ThreadId = 0;
};

// How long the tray program waits for a starting host to install its hook.
inline constexpr std::uint32_t CompanionStartLimit = 10000;
// How long it waits for the host to unhook and end.
inline constexpr std::uint32_t CompanionEndLimit = 5000;

// On a 64-bit Windows starts the host from the tray program's folder and
// waits until its hook is in place. A host that is missing or does not
// start is signalled once by a short beep; the tray program then serves
// 32-bit applications alone. Elsewhere nothing happens.
void StartCompanion(TTrayProgram& program);
// Asks a running host to end, and waits for it.
void EndCompanion(TTrayProgram& program);

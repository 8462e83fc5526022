#pragma once
#include <cstdint>

#include "platform/platform.h"

// The tray program's control window, found by class and title, and the
// private messages it serves. Other programs use these numbers too: they
// must never change.
inline constexpr const char* ControlWindowName = "Zolvik32";

inline constexpr std::uint32_t UM_PLAYSOUND = 0x0400 + 100;
inline constexpr std::uint32_t UM_REFRESHICON = 0x0400 + 101;
inline constexpr std::uint32_t UM_SETENABLED = 0x0400 + 102;
inline constexpr std::uint32_t UM_SHUTDOWN = 0x0400 + 104;
inline constexpr std::uint32_t UM_GETHOOK = 0x0400 + 106;
inline constexpr std::uint32_t UM_TRAYICON = 0x0400 + 199;

// The control window of the running tray program; 0 when none runs.
win::Window FindControlWindow(win::WindowApi& windows);

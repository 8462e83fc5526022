#pragma once
#include <cstdint>

#include "platform/win_types.h"
#include "tray/tray_program.h"

// The control window's procedure: the tray program's mailbox for the hook
// library, a second start, other programs and the shell.
win::LResult ZV_STDCALL ControlWindowProc(win::Window window, std::uint32_t message,
                                          win::WParam wParam, win::LParam lParam);

// Hides the window and brings the tray icon in line with the settings.
void RefreshTrayIcon(TTrayProgram& program, win::Window window);

// Starts the configuration program from the program's own folder; false
// when it cannot be started.
bool StartSetup(TTrayProgram& program);

#pragma once
#include <exception>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "settings/options_registry.h"
#include "tray/hook_library.h"
#include "tray/low_level_thread.h"
#include "tray/sound_player.h"
#include "tray/tray_icon.h"

// Exit codes of the tray program besides the WM_QUIT parameter.
inline constexpr int ExitAlreadyRunning = 103;
inline constexpr int ExitNoWindowClass = 255;
inline constexpr int ExitNoControlWindow = 254;
inline constexpr int ExitNoHook = 2;
inline constexpr int ExitUncaughtError = 1;

// The tray program's state, built as its modules start: the check for a
// running copy first, then the settings store with its key.
class TTrayProgram {
public:
    TTrayProgram(win::Platform& platform, win::Instance module, HookLibrary& library);

    win::Platform& Api;
    win::Instance Module;
    HookLibrary& Library;
    const bool PrevInstance;
    TOptionsRegistry OptionsRegistry;
    win::WindowClass WindowClass{};
    win::Window ControlWindow = 0;
    win::HookHandle TrayHookHandle = 0;
    std::unique_ptr<TTrayIcon> TrayIcon;
    std::unique_ptr<TSoundPlayer> Sounds;
    // The message the shell sends to every top-level window when its
    // taskbar is made, at its start and whenever Explorer starts anew.
    std::uint32_t TaskbarCreated = 0;
    std::unique_ptr<TLowLevelThread> LowLevel;
    // An error raised in the window procedure, carried out of the platform's
    // message dispatch to the message loop, which it ends.
    std::exception_ptr PendingError;
};

// The program's main steps, from the second-copy check to the exit code. An
// error that nothing caught is reported in the "Anwendungsfehler" box and
// gives exit code 1. The command line is what follows the program's name.
int RunTrayProgram(TTrayProgram& program, const std::string& commandLine);

// The first command-line argument: arguments are separated by blanks and
// control characters; double quotes group characters and are removed.
std::string FirstArgument(const std::string& commandLine);

// The program whose control window is running; the window procedure finds
// its state here.
TTrayProgram& ThisTray();

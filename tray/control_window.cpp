#include "tray/control_window.h"

#include <string>

#include "common/control_messages.h"
#include "common/module_path.h"
#include "common/shell_open.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr const wchar_t* SetupProgram = L"Zolsetup.exe";

void Shutdown(TTrayProgram& program, WParam flags) {
    if (!program.Api.windows.ExitWindowsEx(static_cast<std::uint32_t>(flags), 0)) {
        program.Api.windows.MessageBeep(MB_ICONEXCLAMATION);
    }
}

void TrayIconEvent(TTrayProgram& program, LParam mouseMessage) {
    if (static_cast<std::uint32_t>(mouseMessage) == WM_LBUTTONUP && !StartSetup(program)) {
        program.Api.windows.MessageBeep(MB_SIMPLE_BEEP);
    }
}

// The message's handling and result.
LResult HandleMessage(TTrayProgram& program, Window window, std::uint32_t message, WParam wParam,
               LParam lParam) {
    WindowApi& windows = program.Api.windows;
    // Before the icon is made, and after it was freed while the error box's
    // own message loop still serves this window, no request is served; and
    // the window's end asks for no quit then, which would close the box.
    if (!program.TrayIcon && (message >= WM_USER || message == WM_DESTROY)) return 0;
    if (message == program.TaskbarCreated && message != 0) {
        program.TrayIcon->ShellRestarted();
        RefreshTrayIcon(program, window);
        return windows.DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_DESTROY:
            windows.PostQuitMessage(0);
            return 0;
        case WM_QUERYOPEN:
            return 0;
        case UM_GETHOOK:
            return static_cast<LResult>(program.TrayHookHandle);
        case UM_PLAYSOUND:
            program.Sounds->Request(static_cast<std::uint8_t>(wParam & 0xFF));
            break;
        case UM_SOUNDFAILED:
            program.Sounds->RaiseError();
            break;
        case UM_REFRESHICON:
            RefreshTrayIcon(program, window);
            break;
        case UM_SETENABLED:
            program.OptionsRegistry.WriteOption(opEnabled, static_cast<std::uint8_t>(wParam & 0xFF));
            break;
        case UM_SHUTDOWN:
            Shutdown(program, wParam);
            break;
        case UM_TRAYICON:
            TrayIconEvent(program, lParam);
            break;
        default:
            break;
    }
    return windows.DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// An error may not unwind through the platform's message dispatch: it is
// kept for the message loop, which raises it again. The quit message ends
// the loop also when the error came with a sent message, which the loop
// never sees. The first error is the one reported.
LResult ZV_STDCALL ControlWindowProc(Window window, std::uint32_t message, WParam wParam,
                                     LParam lParam) {
    TTrayProgram& program = ThisTray();
    try {
        return HandleMessage(program, window, message, wParam, lParam);
    } catch (...) {
        if (!program.PendingError) {
            program.PendingError = std::current_exception();
            program.Api.windows.PostQuitMessage(ExitUncaughtError);
        }
        return 0;
    }
}

void RefreshTrayIcon(TTrayProgram& program, Window window) {
    program.Api.windows.ShowWindow(window, SW_HIDE);
    program.TrayIcon->SetTip(ControlWindowName);
    if (program.OptionsRegistry.ReadOption(opHideIcon) != 0) {
        program.TrayIcon->Hide();
    } else {
        program.TrayIcon->Show();
    }
}

bool StartSetup(TTrayProgram& program) {
    return ShellOpen(program.Api,
                     DirectoryPart(WideModulePath(program.Api.system, program.Module)) + SetupProgram);
}

// Entry point of Zolsetup.exe, the configuration program that the tray
// icon starts: one window, brought to the front by a second start.
#include <windows.h>
#include <commctrl.h>

#include "common/module_path.h"
#include "platform/win32/win32_platform.h"
#include "setup/win32/main_window.h"

namespace {

// A second start shows the window that is open, restored if need be. The
// open copy brings itself to the front too: it owns the window, and Windows
// may refuse the foreground to a program that has no window yet.
bool ShowRunningCopy() {
    HWND running = FindWindowA(nullptr, ProgramTitle);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    PostMessageA(running, UM_SHOWSETUP, 0, 0);
    return true;
}

// Keys pressed in the capture field go to it alone: the dialog manager
// would take Alt+key for a mnemonic and Enter for OK. Tab still leaves it.
bool IsCaptureKey(const MSG& message, HWND captureField) {
    bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    bool tab = message.wParam == VK_TAB && (message.message == WM_KEYDOWN || message.message == WM_KEYUP);
    return key && !tab && message.hwnd == captureField && captureField != nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    HANDLE instance = CreateMutexA(nullptr, FALSE, "Zolsetup");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The first copy may still be making its window.
        for (int tries = 0; tries < 50 && !ShowRunningCopy(); ++tries) Sleep(100);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    win::Platform& platform = win::Win32Platform();
    TSetupConfig config(platform, FolderOf(ModulePath(platform.system, 0)));
    config.Load();
    TMainWindow main(config);
    HWND window = main.Create();
    if (!window) return 1;
    ShowWindow(window, show);
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsCaptureKey(message, main.CaptureField())) {
            DispatchMessageA(&message);
        } else if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    CloseHandle(instance);
    return 0;
}

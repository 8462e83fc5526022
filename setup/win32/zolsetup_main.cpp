// Entry point of Zolsetup.exe, the configuration program that the tray
// icon starts: one window, brought to the front by a second start.
#include <windows.h>
#include <commctrl.h>

#include <string>

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

// The hook library lets every key pass to the capture field of this
// process, so that a combination bound to a macro or claimed by a rule of
// the running system is recorded instead of run. It is the library beside
// this program, which the system maps into this process anyway; without it
// nothing needs to pass.
void NameCaptureField(const std::string& folder, HWND field) {
    HMODULE library = GetModuleHandleA("Zolhook.dll");
    if (!library) library = LoadLibraryA((folder + "Zolhook.dll").c_str());
    if (!library) return;
    using SetCaptureWindow = void(WINAPI*)(HWND);
    // GetProcAddress gives every export the same type; the cast through
    // void* to the export's own is how Windows means it to be used.
    auto set = reinterpret_cast<SetCaptureWindow>(
        reinterpret_cast<void*>(GetProcAddress(library, "SetCaptureWindow")));
    if (set) set(field);
}

bool IsPageTurn(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0;
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
    std::string folder = FolderOf(ModulePath(platform.system, 0));
    TSetupConfig config(platform, folder);
    config.Load();
    TMainWindow main(config);
    HWND window = main.Create();
    if (!window) return 1;
    NameCaptureField(folder, main.CaptureField());
    ShowWindow(window, show);
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsCaptureKey(message, main.CaptureField())) {
            DispatchMessageA(&message);
        } else if (IsPageTurn(message)) {
            main.TurnPage(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        } else if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    NameCaptureField(folder, nullptr);
    CloseHandle(instance);
    return 0;
}

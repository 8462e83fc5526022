// Entry point of Zolsetup.exe, the configuration program that the tray
// icon starts: one window, brought to the front by a second start.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "common/module_path.h"
#include "platform/win32/win32_platform.h"
#include "setup/win32/files.h"
#include "setup/win32/library.h"
#include "setup/win32/main_window.h"

namespace {

// The class of every dialog box.
constexpr const char* DialogClass = "#32770";

// A second start shows the window that is open, restored if need be: the
// dialog of that class and title, not an Explorer folder named alike. The
// open copy brings itself to the front too: it owns the window, and
// Windows may refuse the foreground to a program that has no window yet.
bool ShowRunningCopy() {
    HWND running = FindWindowA(DialogClass, ProgramTitle);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    PostMessageA(running, UM_SHOWSETUP, 0, 0);
    return true;
}

// The path in the ANSI code page when each of its characters has a byte
// of its own there. Windows would otherwise put a look-alike in (the "L"
// of a Polish "\u0141"), which names another file.
std::optional<std::string> ExactAnsiPath(const wchar_t* path) {
    char ansi[2 * MAX_PATH];
    BOOL lost = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, ansi, sizeof ansi, nullptr, &lost);
    if (size == 0 || lost) return std::nullopt;
    return std::string(ansi);
}

// The program's folder as the ANSI calls can use it: to load the library,
// to open the guide, and in the logon command Zolsetup writes. A folder
// whose name the code page lacks (a profile named with a Polish letter on a
// German Windows) has a short name, where the volume keeps short names,
// of ASCII characters only.
std::string ProgramFolder(win::SystemApi& system) {
    std::wstring path = WideModulePath(system, 0);
    if (auto exact = ExactAnsiPath(path.c_str())) return FolderOf(*exact);
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        if (auto exact = ExactAnsiPath(shortPath)) return FolderOf(*exact);
    }
    return FolderOf(ModulePath(system, 0));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    HANDLE instance = CreateMutexA(nullptr, FALSE, "Zolsetup");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The first copy may still be making its window.
        for (int tries = 0; tries < 50 && !ShowRunningCopy(); ++tries) Sleep(100);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    win::Platform& platform = win::Win32Platform();
    std::string folder = ProgramFolder(platform.system);
    TWin32BackupFolder backups;
    TSetupConfig config(platform, folder, backups);
    config.Load();
    TMainWindow main(config, folder);
    HWND window = main.Create();
    if (!window) return 1;
    LoadLibraryBeside(folder);
    StepAsideInLibrary(main.TestField());
    ShowWindow(window, show);
    SetForegroundWindow(window);

    // Unicode messages, so that a character typed into a text field that
    // code page 1252 lacks reaches it and can be named.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (main.PreTranslate(message)) continue;
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    CloseHandle(instance);
    return 0;
}

// The end-to-end tests' own Windows program. It talks to Windows directly:
// it stands for the applications and the tray program around the system,
// not for the system itself.
//
//   probe window LOG [TITLE [password|unicode]]  a window "probe" (or TITLE)
//                              with an edit control; every key message and
//                              character the edit control receives is written
//                              to LOG ("CHAR nn", the ANSI byte). With
//                              "password" a password field (ES_PASSWORD)
//                              above it has the focus first; F12 moves the
//                              focus from one field to the other and writes
//                              "FOCUS password" or "FOCUS text". With
//                              "unicode" the edit control is a Unicode window
//                              and its messages are taken with the wide calls,
//                              as in a Unicode program: "WCHAR nnnn", the
//                              UTF-16 unit
//   probe host LOG DLL         loads DLL, calls Install(1) (ordinal 10), and
//                              serves as the control window "Zolvik32": answers
//                              UM_GETHOOK with the handle and writes what it
//                              receives to LOG; WM_CLOSE removes the hook. Like
//                              the tray program, it has every UM_PLAYSOUND
//                              played by the library's PlaySound (ordinal 13)
//                              and logs the result, and for an error the text
//                              of the tray program's error box, built from
//                              what TakeLibraryError (ordinal 14) hands over
//   probe send LOG MSG WP LP   sends the message to the window "Zolvik32" and
//                              writes "RESULT n" (or "NOWINDOW") to LOG
//   probe post LOG MSG WP LP   posts it instead
//   probe broadcast LOG NAME   posts the registered message NAME to every
//                              top-level window, as the shell announces its
//                              taskbar, and writes "RESULT 1" (or 0)
//   probe untray LOG           takes the icon of the window "Zolvik32" out of
//                              the tray, as a restarting shell loses it, and
//                              writes "RESULT 1" (or 0)
//   probe dialog LOG TITLE [ID [TEXT]]  writes the texts in the dialog box
//                              titled TITLE (a message box) to LOG, then presses
//                              its button (the one of command ID: 6 Ja, 7 Nein,
//                              2 Abbrechen); with TEXT, only a box showing it
//   probe command LOG TITLE ID presses the button of command ID in Zolsetup's
//                              main window titled TITLE (1 OK, 2 Abbrechen)
//   probe controls LOG TITLE   writes every control of that window to LOG:
//                              "CONTROL parent handle visible class text"
//   probe unicode LOG UNITS    enters the UTF-16 units (hex, four digits
//                              each) as Unicode input into the window with
//                              the focus, as Windows' emoji panel and
//                              on-screen keyboards enter what keys cannot;
//                              writes "SENT n", the events inserted
//
// In the probe window, F11 writes the state of Shift, Ctrl and Alt as
// GetAsyncKeyState reports it, and whether Zolhook.dll is mapped into the
// probe ("LIBRARY 1"). F9 unloads Zolhook.dll from the probe, as Windows
// does once its hook is removed and Wine never does, and writes "LIBRARY 0"
// when it is gone. The window also logs the end of the session.
//
// Every line is flushed at once, so the test runner can wait for it.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/library_error.h"

namespace {

constexpr UINT UM_PLAYSOUND = WM_USER + 100;
constexpr UINT UM_GETHOOK = WM_USER + 106;

FILE* Log = nullptr;
WNDPROC EditProc = nullptr;
// The probe window's text field and its password field, if it has one;
// the one that has the focus.
bool WithPasswordField = false;
bool Unicode = false;
HWND TextField = nullptr;
HWND PasswordField = nullptr;
HWND FocusedField = nullptr;
HHOOK HookHandle = nullptr;
HMODULE Library = nullptr;

using PlaySoundFunction = BYTE(WINAPI*)(BYTE);
using TakeLibraryErrorFunction = BYTE(WINAPI*)(TLibraryError*);
PlaySoundFunction PlayLibrarySound = nullptr;
TakeLibraryErrorFunction TakeLibraryError = nullptr;

void Write(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(Log, format, args);
    va_end(args);
    std::fputc('\n', Log);
    std::fflush(Log);
}

const char* KeyMessageName(UINT message) {
    switch (message) {
        case WM_KEYDOWN: return "KEYDOWN";
        case WM_KEYUP: return "KEYUP";
        case WM_SYSKEYDOWN: return "SYSKEYDOWN";
        case WM_SYSKEYUP: return "SYSKEYUP";
        default: return nullptr;
    }
}

void WriteModifiers() {
    Write("MODIFIERS 10=%d 11=%d 12=%d A4=%d A5=%d", GetAsyncKeyState(VK_SHIFT) < 0,
          GetAsyncKeyState(VK_CONTROL) < 0, GetAsyncKeyState(VK_MENU) < 0,
          GetAsyncKeyState(VK_LMENU) < 0, GetAsyncKeyState(VK_RMENU) < 0);
    Write("LIBRARY %d", GetModuleHandleA("Zolhook.dll") != nullptr);
}

void UnloadLibrary() {
    for (int references = 0; references < 16; ++references) {
        HMODULE library = GetModuleHandleA("Zolhook.dll");
        if (!library) break;
        FreeLibrary(library);
    }
    Write("LIBRARY %d", GetModuleHandleA("Zolhook.dll") != nullptr);
}

LRESULT CALLBACK LoggingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_F11) WriteModifiers();
    if (message == WM_KEYDOWN && wParam == VK_F9) UnloadLibrary();
    if (message == WM_KEYDOWN && wParam == VK_F12 && PasswordField) {
        FocusedField = window == PasswordField ? TextField : PasswordField;
        SetFocus(FocusedField);
        Write("FOCUS %s", FocusedField == PasswordField ? "password" : "text");
        return 0;
    }
    if (const char* name = KeyMessageName(message)) {
        Write("%s %02X %08lX", name, static_cast<unsigned>(wParam), static_cast<unsigned long>(lParam));
    } else if (message == WM_CHAR && Unicode) {
        Write("WCHAR %04X", static_cast<unsigned>(wParam & 0xFFFF));
    } else if (message == WM_CHAR) {
        Write("CHAR %02X", static_cast<unsigned>(wParam & 0xFF));
    }
    return Unicode ? CallWindowProcW(EditProc, window, message, wParam, lParam)
                   : CallWindowProcA(EditProc, window, message, wParam, lParam);
}

HWND AddLoggingField(HWND window, DWORD style, int y, int height) {
    DWORD fieldStyle = WS_CHILD | WS_VISIBLE | style;
    if (Unicode) {
        HWND field = CreateWindowExW(0, L"EDIT", L"", fieldStyle, 0, y, 600, height, window, nullptr, nullptr, nullptr);
        EditProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingEditProc)));
        return field;
    }
    HWND field = CreateWindowExA(0, "EDIT", "", fieldStyle, 0, y, 600, height, window, nullptr, nullptr, nullptr);
    EditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingEditProc)));
    return field;
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            TextField = AddLoggingField(window, ES_MULTILINE | ES_AUTOVSCROLL, WithPasswordField ? 30 : 0, 400);
            if (WithPasswordField) {
                PasswordField = AddLoggingField(window, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER, 0, 24);
            }
            FocusedField = WithPasswordField ? PasswordField : TextField;
            return 0;
        case WM_SETFOCUS:
            SetFocus(FocusedField);
            return 0;
        case WM_QUERYENDSESSION:
            Write("QUERYENDSESSION");
            return TRUE;
        case WM_ENDSESSION:
            Write("ENDSESSION %u", static_cast<unsigned>(wParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

FARPROC LibraryFunction(int ordinal) { return GetProcAddress(Library, MAKEINTRESOURCEA(ordinal)); }

// The tray program's error box text, with its line break written as "\n"
// so that it stays one log line.
void WriteLibraryError() {
    TLibraryError error{};
    if (!TakeLibraryError(&error)) {
        Write("SOUNDERROR none handed over");
        return;
    }
    std::size_t length = std::strlen(error.Message);
    bool addDot = length > 0 && error.Message[length - 1] != '.';
    Write("SOUNDERROR Exception %s in Modul %s bei %p.\\n%s%s", error.ClassName, error.ModuleName,
          error.Address, error.Message, addDot ? "." : "");
}

void PlayRequestedSound(WPARAM wParam) {
    auto event = static_cast<BYTE>(wParam & 0xFF);
    BYTE result = PlayLibrarySound(event);
    if (!result) WriteLibraryError();
    Write("PLAYED %u %u", static_cast<unsigned>(event), static_cast<unsigned>(result));
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case UM_GETHOOK:
            Write("GETHOOK %s", InSendMessage() ? "other-thread" : "own-thread");
            return reinterpret_cast<LRESULT>(HookHandle);
        case UM_PLAYSOUND:
            Write("PLAYSOUND %u", static_cast<unsigned>(wParam));
            PlayRequestedSound(wParam);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            if (message >= WM_USER) Write("MESSAGE %u %u %ld", message, static_cast<unsigned>(wParam),
                                         static_cast<long>(lParam));
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateTopWindow(const char* className, const char* title, WNDPROC proc, bool visible) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (visible) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

int RunLoop() {
    MSG message;
    while ((Unicode ? GetMessageW(&message, nullptr, 0, 0) : GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        if (Unicode) {
            DispatchMessageW(&message);
        } else {
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

int RunWindow(const char* title, bool password) {
    WithPasswordField = password;
    CreateTopWindow("ProbeWindow", title, ProbeWindowProc, true);
    Write("READY");
    return RunLoop();
}

int RunHost(const char* dllPath) {
    Library = LoadLibraryA(dllPath);
    if (!Library) {
        Write("ERROR cannot load %s", dllPath);
        return 2;
    }
    using InstallFunction = HHOOK(WINAPI*)(BYTE);
    auto install = reinterpret_cast<InstallFunction>(reinterpret_cast<void*>(LibraryFunction(10)));
    PlayLibrarySound = reinterpret_cast<PlaySoundFunction>(reinterpret_cast<void*>(LibraryFunction(13)));
    TakeLibraryError =
        reinterpret_cast<TakeLibraryErrorFunction>(reinterpret_cast<void*>(LibraryFunction(14)));
    CreateTopWindow("Zolvik32", "Zolvik32", ControlWindowProc, false);
    HookHandle = install(1);
    Write("INSTALLED %s", HookHandle ? "yes" : "no");
    int code = RunLoop();
    Write("REMOVED %p", static_cast<void*>(install(0)));
    return code;
}

}  // namespace

int Deliver(bool send, const char* message, const char* wParam, const char* lParam) {
    HWND control = FindWindowA("Zolvik32", "Zolvik32");
    if (!control) {
        Write("NOWINDOW");
        return 1;
    }
    UINT number = std::strtoul(message, nullptr, 0);
    WPARAM w = std::strtoul(wParam, nullptr, 0);
    LPARAM l = std::strtol(lParam, nullptr, 0);
    if (send) {
        Write("RESULT %ld", static_cast<long>(SendMessageA(control, number, w, l)));
    } else {
        Write("RESULT %d", PostMessageA(control, number, w, l) ? 1 : 0);
    }
    return 0;
}

int Broadcast(const char* name) {
    UINT message = RegisterWindowMessageA(name);
    Write("RESULT %d", PostMessageA(HWND_BROADCAST, message, 0, 0) ? 1 : 0);
    return 0;
}

// The first, 88-byte form of the record, as the tray program uses it.
int Untray() {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = FindWindowA("Zolvik32", "Zolvik32");
    Write("RESULT %d", data.hWnd && Shell_NotifyIconA(NIM_DELETE, &data) ? 1 : 0);
    return 0;
}

BOOL CALLBACK WriteChildText(HWND child, LPARAM) {
    char text[4096] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) Write("TEXT %s", text);
    return TRUE;
}

// Without a window manager only Wine can bring one of its windows to the
// front; X focus alone does not move Wine's keyboard focus there.
int Activate(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    if (!window) {
        Write("NOWINDOW");
        return 1;
    }
    Write("ACTIVATED %d", SetForegroundWindow(window) ? 1 : 0);
    return 0;
}

int EnterUnicode(const char* units) {
    std::vector<INPUT> inputs;
    for (const char* unit = units; std::strlen(unit) >= 4; unit += 4) {
        char digits[5] = {unit[0], unit[1], unit[2], unit[3], 0};
        for (DWORD release : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = static_cast<WORD>(std::strtoul(digits, nullptr, 16));
            input.ki.dwFlags = KEYEVENTF_UNICODE | release;
            inputs.push_back(input);
        }
    }
    Write("SENT %u", SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
    return 0;
}

// Zolsetup's main window is a dialog of class #32770 too, and shares its
// title with its message boxes: it is the one with a tab strip.
struct TDialogSearch {
    const char* title;
    bool main;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
    auto search = reinterpret_cast<TDialogSearch*>(parameter);
    char className[64] = {};
    char title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(className, "#32770") != 0 || std::strcmp(title, search->title) != 0) return TRUE;
    bool main = FindWindowExA(window, nullptr, "SysTabControl32", nullptr) != nullptr;
    if (main != search->main) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Dialog(const char* title, bool main) {
    TDialogSearch search{title, main, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM parameter) {
    char text[4096] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) reinterpret_cast<std::string*>(parameter)->append(text).append("\n");
    return TRUE;
}

// Message boxes are dialogs of class #32770; a button (IDOK unless named)
// ends them, after their texts are written. With a text to expect, a box
// that does not show it is left alone ("OTHER"): the one before may still
// be going.
int AnswerDialog(const char* title, const char* button, const char* expected) {
    HWND dialog = Dialog(title, false);
    if (!dialog) {
        Write("NODIALOG");
        return 1;
    }
    std::string texts;
    EnumChildWindows(dialog, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    if (expected && texts.find(expected) == std::string::npos) {
        Write("OTHER");
        return 1;
    }
    EnumChildWindows(dialog, WriteChildText, 0);
    PostMessageA(dialog, WM_COMMAND, button ? std::strtoul(button, nullptr, 0) : IDOK, 0);
    Write("ANSWERED");
    return 0;
}

// A button of Zolsetup's main window, pressed by its command id.
int Command(const char* title, const char* id) {
    HWND dialog = Dialog(title, true);
    if (!dialog) {
        Write("NOWINDOW");
        return 1;
    }
    PostMessageA(dialog, WM_COMMAND, std::strtoul(id, nullptr, 0), 0);
    Write("POSTED");
    return 0;
}

// Every control of a window with its text, for the mnemonics of each page.
// GetWindowText gives no control's text across processes: it is asked for.
BOOL CALLBACK WriteControl(HWND child, LPARAM) {
    char text[512] = {};
    char className[64] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    GetClassNameA(child, className, sizeof className);
    Write("CONTROL %p %p %d %s %s", static_cast<void*>(GetParent(child)), static_cast<void*>(child),
          IsWindowVisible(child) ? 1 : 0, className, text);
    return TRUE;
}

int Controls(const char* title) {
    HWND dialog = Dialog(title, true);
    if (!dialog) {
        Write("NOWINDOW");
        return 1;
    }
    Write("MAIN %p", static_cast<void*>(dialog));
    EnumChildWindows(dialog, WriteControl, 0);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Log = std::fopen(argv[2], "a");
    if (!Log) return 2;
    if (std::strcmp(argv[1], "window") == 0) {
        Unicode = argc >= 5 && std::strcmp(argv[4], "unicode") == 0;
        return RunWindow(argc >= 4 ? argv[3] : "probe", argc >= 5 && std::strcmp(argv[4], "password") == 0);
    }
    if (std::strcmp(argv[1], "host") == 0 && argc >= 4) return RunHost(argv[3]);
    if (std::strcmp(argv[1], "send") == 0 && argc >= 6) return Deliver(true, argv[3], argv[4], argv[5]);
    if (std::strcmp(argv[1], "post") == 0 && argc >= 6) return Deliver(false, argv[3], argv[4], argv[5]);
    if (std::strcmp(argv[1], "dialog") == 0 && argc >= 4) {
        return AnswerDialog(argv[3], argc >= 5 ? argv[4] : nullptr, argc >= 6 ? argv[5] : nullptr);
    }
    if (std::strcmp(argv[1], "command") == 0 && argc >= 5) return Command(argv[3], argv[4]);
    if (std::strcmp(argv[1], "controls") == 0 && argc >= 4) return Controls(argv[3]);
    if (std::strcmp(argv[1], "broadcast") == 0 && argc >= 4) return Broadcast(argv[3]);
    if (std::strcmp(argv[1], "untray") == 0) return Untray();
    if (std::strcmp(argv[1], "activate") == 0 && argc >= 4) return Activate(argv[3]);
    if (std::strcmp(argv[1], "unicode") == 0 && argc >= 4) return EnterUnicode(argv[3]);
    return 2;
}

#pragma once
// Plain types for the platform seam. They mirror the Win32 types by size and
// meaning without pulling in <windows.h>, so the system's logic compiles on
// Linux against the simulated backend.
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define ZV_STDCALL __attribute__((stdcall))
#else
#define ZV_STDCALL
#endif

namespace win {

using Handle = std::uintptr_t;
using RegKey = std::uintptr_t;
using Window = std::uintptr_t;
using HookHandle = std::uintptr_t;
using Instance = std::uintptr_t;
using IconHandle = std::uintptr_t;
using CursorHandle = std::uintptr_t;
using BrushHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using KeyboardLayoutHandle = std::uintptr_t;

using WindowProc = LResult(ZV_STDCALL*)(Window, std::uint32_t, WParam, LParam);
using HookProc = LResult(ZV_STDCALL*)(int, WParam, LParam);
using ThreadProc = std::uint32_t(ZV_STDCALL*)(void*);
using ProcAddress = void (*)();

// OSVERSIONINFOA: 148 bytes, the size field must say so.
struct OsVersionInfo {
    std::uint32_t size;
    std::uint32_t majorVersion;
    std::uint32_t minorVersion;
    std::uint32_t buildNumber;
    std::uint32_t platformId;
    char servicePack[128];
};
static_assert(sizeof(OsVersionInfo) == 148);

// SYSTEMTIME
struct SystemTime {
    std::uint16_t year;
    std::uint16_t month;
    std::uint16_t dayOfWeek;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

// PROCESS_INFORMATION
struct ProcessInformation {
    Handle process;
    Handle thread;
    std::uint32_t processId;
    std::uint32_t threadId;
};

// MSG
struct Message {
    Window window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
    std::uint32_t time;
    std::int32_t x;
    std::int32_t y;
};

// WNDCLASSA
struct WindowClass {
    std::uint32_t style;
    WindowProc windowProc;
    std::int32_t classExtra;
    std::int32_t windowExtra;
    Instance instance;
    IconHandle icon;
    CursorHandle cursor;
    BrushHandle background;
    const char* menuName;
    const char* className;
};

// NOTIFYICONDATAA in its first, 88-byte form. Handles are 32 bits wide as on
// 32-bit Windows, so the record has the same bytes on every build.
struct NotifyIconData {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    char szTip[64];
};
static_assert(sizeof(NotifyIconData) == 88);

// KBDLLHOOKSTRUCT: what a low-level keyboard hook's lParam points to.
struct KbdLlHookStruct {
    std::uint32_t vkCode;
    std::uint32_t scanCode;
    std::uint32_t flags;  // LLKHF_*
    std::uint32_t time;
    std::uintptr_t dwExtraInfo;
};

// KEYBDINPUT
struct KeyboardInput {
    std::uint16_t wVk;
    std::uint16_t wScan;
    std::uint32_t dwFlags;  // KEYEVENTF_*
    std::uint32_t time;     // 0: the system's own time stamp
    std::uintptr_t dwExtraInfo;
};

// INPUT of type INPUT_KEYBOARD; the backend builds the system's record from
// it, so the mouse and hardware members of the union are left out.
struct Input {
    std::uint32_t type;
    KeyboardInput ki;
};

// RECT
struct Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// GUITHREADINFO: the size field must say so.
struct GuiThreadInfo {
    std::uint32_t cbSize;
    std::uint32_t flags;
    Window hwndActive;
    Window hwndFocus;
    Window hwndCapture;
    Window hwndMenuOwner;
    Window hwndMoveSize;
    Window hwndCaret;
    Rect rcCaret;
};

// TOKEN_MANDATORY_LABEL: the SID of the token's integrity level, whose last
// sub-authority is the level (SECURITY_MANDATORY_*_RID).
struct TokenMandatoryLabel {
    void* Sid;
    std::uint32_t Attributes;
};

// LASTINPUTINFO: the size field must say so.
struct LastInputInfo {
    std::uint32_t cbSize;
    std::uint32_t dwTime;
};
static_assert(sizeof(LastInputInfo) == 8);

}  // namespace win

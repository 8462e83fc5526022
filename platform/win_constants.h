#pragma once
// The Win32 constants the system uses, with their Windows values. Kept apart
// from the interfaces because <windows.h> defines most of these as macros: the
// Win32 backend includes <windows.h> and never this header.
#include <cstdint>

#include "platform/win_types.h"

namespace win {

// Error codes
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::int32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::int32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::int32_t ERROR_BAD_PATHNAME = 161;
inline constexpr std::int32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr std::int32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr std::int32_t ERROR_PROC_NOT_FOUND = 127;
inline constexpr std::int32_t ERROR_MORE_DATA = 234;
inline constexpr std::int32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr std::int32_t ERROR_KEY_DELETED = 1018;
inline constexpr std::int32_t ERROR_GLOBAL_ONLY_HOOK = 1429;

// Registry
inline constexpr RegKey HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RegKey HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RegKey HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;
inline constexpr std::uint32_t REG_OPTION_NON_VOLATILE = 0;
inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
// The types whose data Windows NT converts between the ANSI and the wide
// calls, and stores in UTF-16LE.
constexpr bool IsConvertedString(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}
inline constexpr std::uint32_t REG_QWORD = 11;

inline constexpr std::uint32_t FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
inline constexpr std::uint32_t FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// Platform detection
inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// Hooks
inline constexpr int WH_KEYBOARD = 2;
inline constexpr int WH_KEYBOARD_LL = 13;
inline constexpr int HC_ACTION = 0;
inline constexpr std::uint32_t LLKHF_EXTENDED = 0x01;
inline constexpr std::uint32_t LLKHF_INJECTED = 0x10;
inline constexpr std::uint32_t LLKHF_ALTDOWN = 0x20;
inline constexpr std::uint32_t LLKHF_UP = 0x80;

// Virtual keys
inline constexpr std::uint8_t VK_TAB = 0x09;
inline constexpr std::uint8_t VK_SHIFT = 0x10;
inline constexpr std::uint8_t VK_CONTROL = 0x11;
inline constexpr std::uint8_t VK_MENU = 0x12;
inline constexpr std::uint8_t VK_CAPITAL = 0x14;
inline constexpr std::uint8_t VK_LWIN = 0x5B;
inline constexpr std::uint8_t VK_RWIN = 0x5C;
inline constexpr std::uint8_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint8_t VK_ADD = 0x6B;
inline constexpr std::uint8_t VK_SUBTRACT = 0x6D;
inline constexpr std::uint8_t VK_DECIMAL = 0x6E;
inline constexpr std::uint8_t VK_F1 = 0x70;
inline constexpr std::uint8_t VK_NUMLOCK = 0x90;
inline constexpr std::uint8_t VK_SCROLL = 0x91;
inline constexpr std::uint8_t VK_LSHIFT = 0xA0;
inline constexpr std::uint8_t VK_RSHIFT = 0xA1;
inline constexpr std::uint8_t VK_LCONTROL = 0xA2;
inline constexpr std::uint8_t VK_RCONTROL = 0xA3;
inline constexpr std::uint8_t VK_LMENU = 0xA4;
inline constexpr std::uint8_t VK_RMENU = 0xA5;
inline constexpr std::uint8_t VK_OEM_2 = 0xBF;
// Carries a character of a KEYEVENTF_UNICODE event instead of a key.
inline constexpr std::uint8_t VK_PACKET = 0xE7;

// keybd_event and SendInput
inline constexpr std::uint32_t KEYEVENTF_EXTENDEDKEY = 0x0001;
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;
inline constexpr std::uint32_t KEYEVENTF_UNICODE = 0x0004;
inline constexpr std::uint32_t KEYEVENTF_SCANCODE = 0x0008;
inline constexpr std::uint32_t INPUT_KEYBOARD = 1;

// Window messages
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUERYOPEN = 0x0013;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_NEXTDLGCTL = 0x0028;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_USER = 0x0400;
inline constexpr std::uint32_t WM_APP = 0x8000;

// Windows, beeps and boxes
inline constexpr std::int32_t SW_HIDE = 0;
inline constexpr std::int32_t SW_SHOWNORMAL = 1;
inline constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr int GWL_STYLE = -16;
// Of the Edit class only; other classes give the bit other meanings.
inline constexpr std::uint32_t ES_PASSWORD = 0x0020;
inline constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::uintptr_t IDC_ARROW = 0x7F00;
inline constexpr int WHITE_BRUSH = 0;
inline constexpr std::uint32_t MB_OK = 0x00000000;
inline constexpr std::uint32_t MB_ICONERROR = 0x00000010;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 0x00000030;
inline constexpr std::uint32_t MB_TASKMODAL = 0x00002000;
inline constexpr std::uint32_t MB_SIMPLE_BEEP = 0xFFFFFFFFu;

// Shell
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// User Interface Privilege Isolation
inline constexpr std::uint32_t MSGFLT_RESET = 0;
inline constexpr std::uint32_t MSGFLT_ALLOW = 1;
inline constexpr std::uint32_t MSGFLT_DISALLOW = 2;

// Processes, events and waits
inline constexpr std::uint32_t SYNCHRONIZE = 0x00100000;
inline constexpr std::uint32_t PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;
inline constexpr std::uint32_t TOKEN_QUERY = 0x0008;
inline constexpr int TokenIntegrityLevel = 25;
inline constexpr std::uint32_t SECURITY_MANDATORY_LOW_RID = 0x1000;
inline constexpr std::uint32_t SECURITY_MANDATORY_MEDIUM_RID = 0x2000;
inline constexpr std::uint32_t SECURITY_MANDATORY_HIGH_RID = 0x3000;
inline constexpr std::uint32_t WAIT_OBJECT_0 = 0;
inline constexpr std::uint32_t WAIT_ABANDONED = 0x80;
inline constexpr std::uint32_t WAIT_TIMEOUT = 0x102;
inline constexpr std::uint32_t WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr std::uint32_t QS_ALLINPUT = 0x04FF;
inline constexpr std::uint32_t PM_REMOVE = 0x0001;

// Sound
inline constexpr std::uint32_t SND_ASYNC = 0x00000001;
inline constexpr std::uint32_t SND_FILENAME = 0x00020000;

// Locale
inline constexpr std::uint32_t LOCALE_SDATE = 0x1D;
inline constexpr std::uint32_t LOCALE_STIME = 0x1E;
inline constexpr std::uint32_t LOCALE_SSHORTDATE = 0x1F;
inline constexpr std::uint32_t LOCALE_SLONGDATE = 0x20;
inline constexpr std::uint32_t LOCALE_ITIME = 0x23;
inline constexpr std::uint32_t LOCALE_ITLZERO = 0x25;
inline constexpr std::uint32_t LOCALE_S1159 = 0x28;
inline constexpr std::uint32_t LOCALE_S2359 = 0x29;
inline constexpr std::uint32_t LOCALE_SDAYNAME1 = 0x2A;
inline constexpr std::uint32_t LOCALE_SABBREVDAYNAME1 = 0x31;
inline constexpr std::uint32_t LOCALE_SMONTHNAME1 = 0x38;
inline constexpr std::uint32_t LOCALE_SABBREVMONTHNAME1 = 0x44;
inline constexpr std::uint32_t LOCALE_ITIMEMARKPOSN = 0x1005;

}  // namespace win

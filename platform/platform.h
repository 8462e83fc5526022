#pragma once
// The platform seam: the Win32 calls the system makes, grouped by concern:
// the ANSI ones, and the wide ones where a path must hold any character.
// Each method has the Win32 function's name, arguments and results (Windows
// error codes included), so the real backend is a one-line pass-through and
// the simulated backend can be held to the same contract.
#include <cstdint>

#include "platform/win_types.h"

namespace win {

// advapi32
class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    virtual std::int32_t RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                                       std::uint32_t access, RegKey* result) = 0;
    virtual std::int32_t RegCreateKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                                         std::uint32_t access, RegKey* result,
                                         std::uint32_t* disposition) = 0;
    virtual std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // A string value in UTF-16LE, as Windows NT stores it. The ANSI call
    // turns what code page 1252 lacks into a near letter where Windows
    // knows one ("ř" reads as "r") and into "?" otherwise; the simulation
    // always gives "?": nothing may rely on either.
    virtual std::int32_t RegQueryValueExW(RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* dataSize) = 0;
    virtual std::int32_t RegSetValueExA(RegKey key, const char* valueName, std::uint32_t type,
                                        const std::uint8_t* data, std::uint32_t dataSize) = 0;
    // A string value's data in UTF-16LE, stored as given; the size counts
    // bytes.
    virtual std::int32_t RegSetValueExW(RegKey key, const wchar_t* valueName, std::uint32_t type,
                                        const std::uint8_t* data, std::uint32_t dataSize) = 0;
    virtual std::int32_t RegDeleteValueA(RegKey key, const char* valueName) = 0;
    virtual std::int32_t RegDeleteKeyA(RegKey key, const char* subKey) = 0;
    virtual std::int32_t RegCloseKey(RegKey key) = 0;
    // The reserved, class and last-write-time arguments of RegEnumKeyExA and
    // the reserved argument of RegEnumValueA are always null. Sizes count
    // characters, the NUL included on the way in and left out on the way out.
    virtual std::int32_t RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize) = 0;
    virtual std::int32_t RegEnumValueA(RegKey key, std::uint32_t index, char* name,
                                       std::uint32_t* nameSize, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* dataSize) = 0;
};

// user32: keyboard state and input synthesis
class KeyboardApi {
public:
    virtual ~KeyboardApi() = default;
    virtual bool GetKeyboardState(std::uint8_t state[256]) = 0;
    virtual bool SetKeyboardState(const std::uint8_t state[256]) = 0;
    virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;
    virtual void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                             std::uintptr_t extraInfo) = 0;
    virtual std::int16_t VkKeyScanA(char character) = 0;
    // The same in the given layout, as another thread types with it.
    virtual std::int16_t VkKeyScanExA(char character, KeyboardLayoutHandle layout) = 0;
    virtual std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) = 0;
    // Keyboard input only; size is sizeof(Input). The number of events
    // inserted.
    virtual std::uint32_t SendInput(std::uint32_t count, const Input* inputs, int size) = 0;
    // The layout of a thread (0: the calling one).
    virtual KeyboardLayoutHandle GetKeyboardLayout(std::uint32_t threadId) = 0;
    virtual bool GetLastInputInfo(LastInputInfo* info) = 0;
};

// user32: windows, messages, beeps and boxes
class WindowApi {
public:
    virtual ~WindowApi() = default;
    virtual Window FindWindowA(const char* className, const char* windowName) = 0;
    virtual bool PostMessageA(Window window, std::uint32_t message, WParam wParam, LParam lParam) = 0;
    virtual LResult SendMessageA(Window window, std::uint32_t message, WParam wParam, LParam lParam) = 0;
    virtual Window GetFocus() = 0;
    virtual Window GetParent(Window window) = 0;
    virtual bool IsChild(Window parent, Window window) = 0;
    virtual std::uint16_t RegisterClassA(const WindowClass* windowClass) = 0;
    virtual Window CreateWindowExA(std::uint32_t exStyle, const char* className,
                                   const char* windowName, std::uint32_t style, std::int32_t x,
                                   std::int32_t y, std::int32_t width, std::int32_t height,
                                   Window parent, Handle menu, Instance instance, void* param) = 0;
    virtual int GetMessageA(Message* message, Window window, std::uint32_t filterMin,
                            std::uint32_t filterMax) = 0;
    virtual bool TranslateMessage(const Message* message) = 0;
    virtual LResult DispatchMessageA(const Message* message) = 0;
    virtual LResult DefWindowProcA(Window window, std::uint32_t message, WParam wParam,
                                   LParam lParam) = 0;
    virtual bool ShowWindow(Window window, int command) = 0;
    virtual bool UpdateWindow(Window window) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual IconHandle LoadIconA(Instance instance, const char* name) = 0;
    virtual CursorHandle LoadCursorA(Instance instance, std::uintptr_t resourceId) = 0;
    virtual BrushHandle GetStockObject(int object) = 0;
    virtual bool MessageBeep(std::uint32_t type) = 0;
    virtual int MessageBoxA(Window owner, const char* text, const char* caption,
                            std::uint32_t type) = 0;
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual Window GetForegroundWindow() = 0;
    virtual std::uint32_t GetWindowThreadProcessId(Window window, std::uint32_t* processId) = 0;
    virtual bool PostThreadMessageA(std::uint32_t threadId, std::uint32_t message, WParam wParam,
                                    LParam lParam) = 0;
    virtual bool PeekMessageA(Message* message, Window window, std::uint32_t filterMin,
                              std::uint32_t filterMax, std::uint32_t remove) = 0;
    virtual std::uint32_t MsgWaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                                    bool waitAll, std::uint32_t milliseconds,
                                                    std::uint32_t wakeMask) = 0;
    virtual std::uint32_t RegisterWindowMessageA(const char* name) = 0;
    virtual std::uint32_t CharUpperBuffA(char* text, std::uint32_t length) = 0;
    // The extended-result argument is always null.
    virtual bool ChangeWindowMessageFilterEx(Window window, std::uint32_t message,
                                             std::uint32_t action) = 0;
    // The standard class the window was made from: "Edit" also for an edit
    // control a program superclassed under a name of its own.
    virtual std::uint32_t RealGetWindowClassA(Window window, char* className, std::uint32_t size) = 0;
    virtual std::int32_t GetWindowLongA(Window window, int index) = 0;
    // The active and focus windows of a thread (0: the foreground one).
    virtual bool GetGUIThreadInfo(std::uint32_t threadId, GuiThreadInfo* info) = 0;
};

// shell32
class ShellApi {
public:
    virtual ~ShellApi() = default;
    virtual bool Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) = 0;
    virtual Instance ShellExecuteW(Window owner, const wchar_t* verb, const wchar_t* file,
                                   const wchar_t* parameters, const wchar_t* directory,
                                   int show) = 0;
};

// kernel32 (and WaitForInputIdle of user32): version, waits, module, clock,
// locale, the instance mutex, processes, threads and events
class SystemApi {
public:
    virtual ~SystemApi() = default;
    virtual bool GetVersionExA(OsVersionInfo* info) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since the system started; wraps after 49.7 days.
    virtual std::uint32_t GetTickCount() = 0;
    virtual std::uint32_t WaitForInputIdle(Handle process, std::uint32_t milliseconds) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual std::uint32_t GetModuleFileNameA(Instance module, char* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t GetModuleFileNameW(Instance module, wchar_t* buffer,
                                             std::uint32_t size) = 0;
    virtual Instance GetModuleHandleA(const char* moduleName) = 0;
    virtual void GetLocalTime(SystemTime* time) = 0;
    virtual std::uint32_t GetThreadLocale() = 0;
    virtual int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) = 0;
    virtual Handle CreateMutexA(void* security, bool initialOwner, const char* name) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual bool CloseHandle(Handle handle) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    // False when the call fails (a handle without the right to ask).
    virtual bool IsWow64Process(Handle process, bool* wow64) = 0;
    virtual Handle OpenProcess(std::uint32_t access, bool inheritHandle,
                               std::uint32_t processId) = 0;
    virtual bool CreateProcessA(const char* applicationName, char* commandLine,
                                bool inheritHandles, std::uint32_t creationFlags,
                                const char* currentDirectory, ProcessInformation* information) = 0;
    // An unnamed event whose handle child processes may inherit or not.
    virtual Handle CreateEventA(bool inheritHandle, bool manualReset, bool initialState,
                                const char* name) = 0;
    virtual bool SetEvent(Handle event) = 0;
    virtual std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) = 0;
    virtual std::uint32_t WaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                                 bool waitAll, std::uint32_t milliseconds) = 0;
    // A thread of this process that runs proc(param) with the default
    // stack; its handle is signalled when it ends.
    virtual Handle CreateThread(ThreadProc proc, void* param, std::uint32_t* threadId) = 0;
    virtual Instance LoadLibraryA(const char* fileName) = 0;
    // A function exported by name or by ordinal; null when the module has
    // none.
    virtual ProcAddress GetProcAddress(Instance module, const char* name) = 0;
    virtual ProcAddress GetProcAddress(Instance module, std::uint16_t ordinal) = 0;
    // FORMAT_MESSAGE_FROM_SYSTEM into a caller's buffer: the system's text
    // for an error code; 0 when there is none.
    virtual std::uint32_t FormatMessageA(std::uint32_t flags, const void* source,
                                         std::uint32_t messageId, std::uint32_t languageId,
                                         char* buffer, std::uint32_t size, void* arguments) = 0;
    // The full path of a process's program file; the size counts characters,
    // the NUL included on the way in and left out on the way out.
    virtual bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                            std::uint32_t* size) = 0;
    // Of user32: whether the process belongs to a Store app, into which
    // Windows loads no window hook library. Windows 7 lacks the function
    // and has no such processes: false there.
    virtual bool IsImmersiveProcess(Handle process) = 0;
    // Of advapi32: a process's access token, and what it tells of itself
    // (TokenIntegrityLevel: a TokenMandatoryLabel, its SID after it).
    virtual bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) = 0;
    virtual bool GetTokenInformation(Handle token, int infoClass, void* information, std::uint32_t size,
                                     std::uint32_t* returnLength) = 0;
};

// winmm and kernel32 sound
class SoundApi {
public:
    virtual ~SoundApi() = default;
    virtual bool PlaySoundA(const char* sound, Instance module, std::uint32_t flags) = 0;
    virtual bool Beep(std::uint32_t frequency, std::uint32_t milliseconds) = 0;
};

// The processor's port instructions (in/out), for the PC speaker.
class PortApi {
public:
    virtual ~PortApi() = default;
    virtual std::uint8_t ReadPort(std::uint16_t port) = 0;
    virtual void WritePort(std::uint16_t port, std::uint8_t value) = 0;
};

// user32: hooks
class HookApi {
public:
    virtual ~HookApi() = default;
    virtual HookHandle SetWindowsHookExA(int hookType, HookProc proc, Instance module,
                                         std::uint32_t threadId) = 0;
    virtual LResult CallNextHookEx(HookHandle hook, int code, WParam wParam, LParam lParam) = 0;
    virtual bool UnhookWindowsHookEx(HookHandle hook) = 0;
};

// One process's view of the platform.
struct Platform {
    RegistryApi& registry;
    KeyboardApi& keyboard;
    WindowApi& windows;
    ShellApi& shell;
    SystemApi& system;
    SoundApi& sound;
    PortApi& ports;
    HookApi& hooks;
};

}  // namespace win

#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <vector>

namespace win {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
HWND ToHwnd(Window window) { return reinterpret_cast<HWND>(window); }

// RegQueryValueExA or RegQueryValueExW.
template <typename Char>
std::int32_t QueryValue(LONG(WINAPI* query)(HKEY, const Char*, LPDWORD, LPDWORD, LPBYTE, LPDWORD), RegKey key,
                        const Char* valueName, std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    DWORD valueType = 0;
    DWORD size = dataSize ? *dataSize : 0;
    LONG status = query(ToHkey(key), valueName, nullptr, &valueType, data, dataSize ? &size : nullptr);
    if (type) *type = valueType;
    if (dataSize) *dataSize = size;
    return status;
}

class Win32RegistryApi final : public RegistryApi {
public:
    std::int32_t RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                               std::uint32_t access, RegKey* result) override {
        HKEY opened = nullptr;
        LONG status = ::RegOpenKeyExA(ToHkey(key), subKey, options, access, &opened);
        *result = reinterpret_cast<RegKey>(opened);
        return status;
    }
    std::int32_t RegCreateKeyExA(RegKey key, const char* subKey, std::uint32_t options,
                                 std::uint32_t access, RegKey* result,
                                 std::uint32_t* disposition) override {
        HKEY created = nullptr;
        DWORD how = 0;
        LONG status = ::RegCreateKeyExA(ToHkey(key), subKey, 0, nullptr, options, access, nullptr,
                                        &created, &how);
        *result = reinterpret_cast<RegKey>(created);
        if (disposition) *disposition = how;
        return status;
    }
    std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override {
        return QueryValue(::RegQueryValueExA, key, valueName, type, data, dataSize);
    }
    std::int32_t RegQueryValueExW(RegKey key, const wchar_t* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override {
        return QueryValue(::RegQueryValueExW, key, valueName, type, data, dataSize);
    }
    std::int32_t RegSetValueExA(RegKey key, const char* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override {
        return ::RegSetValueExA(ToHkey(key), valueName, 0, type, data, dataSize);
    }
    std::int32_t RegSetValueExW(RegKey key, const wchar_t* valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) override {
        return ::RegSetValueExW(ToHkey(key), valueName, 0, type, data, dataSize);
    }
    std::int32_t RegDeleteValueA(RegKey key, const char* valueName) override {
        return ::RegDeleteValueA(ToHkey(key), valueName);
    }
    std::int32_t RegDeleteKeyA(RegKey key, const char* subKey) override {
        return ::RegDeleteKeyA(ToHkey(key), subKey);
    }
    std::int32_t RegCloseKey(RegKey key) override { return ::RegCloseKey(ToHkey(key)); }
    std::int32_t RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override {
        DWORD size = *nameSize;
        LONG status = ::RegEnumKeyExA(ToHkey(key), index, name, &size, nullptr, nullptr, nullptr,
                                      nullptr);
        *nameSize = size;
        return status;
    }
    std::int32_t RegEnumValueA(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) override {
        DWORD size = *nameSize;
        DWORD valueType = 0;
        DWORD bytes = dataSize ? *dataSize : 0;
        LONG status = ::RegEnumValueA(ToHkey(key), index, name, &size, nullptr, &valueType, data,
                                      dataSize ? &bytes : nullptr);
        *nameSize = size;
        if (type) *type = valueType;
        if (dataSize) *dataSize = bytes;
        return status;
    }
};

class Win32KeyboardApi final : public KeyboardApi {
public:
    bool GetKeyboardState(std::uint8_t state[256]) override { return ::GetKeyboardState(state); }
    bool SetKeyboardState(const std::uint8_t state[256]) override {
        return ::SetKeyboardState(const_cast<std::uint8_t*>(state));
    }
    std::int16_t GetAsyncKeyState(int virtualKey) override {
        return ::GetAsyncKeyState(virtualKey);
    }
    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override {
        ::keybd_event(virtualKey, scanCode, flags, extraInfo);
    }
    std::int16_t VkKeyScanA(char character) override { return ::VkKeyScanA(character); }
    std::int16_t VkKeyScanExA(char character, KeyboardLayoutHandle layout) override {
        return ::VkKeyScanExA(character, reinterpret_cast<HKL>(layout));
    }
    std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) override {
        return ::MapVirtualKeyA(code, mapType);
    }
    std::uint32_t SendInput(std::uint32_t count, const Input* inputs, int size) override {
        if (size != sizeof(Input)) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        std::vector<INPUT> records(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            records[i].type = inputs[i].type;
            records[i].ki.wVk = inputs[i].ki.wVk;
            records[i].ki.wScan = inputs[i].ki.wScan;
            records[i].ki.dwFlags = inputs[i].ki.dwFlags;
            records[i].ki.time = inputs[i].ki.time;
            records[i].ki.dwExtraInfo = inputs[i].ki.dwExtraInfo;
        }
        return ::SendInput(count, records.data(), sizeof(INPUT));
    }
    KeyboardLayoutHandle GetKeyboardLayout(std::uint32_t threadId) override {
        return reinterpret_cast<KeyboardLayoutHandle>(::GetKeyboardLayout(threadId));
    }
    bool GetLastInputInfo(LastInputInfo* info) override {
        return ::GetLastInputInfo(reinterpret_cast<LASTINPUTINFO*>(info));
    }
};

// The record is copied: the seam's mirror is not the system's type.
bool CopyGuiThreadInfo(std::uint32_t threadId, GuiThreadInfo* info) {
    GUITHREADINFO record{};
    record.cbSize = info->cbSize == sizeof(GuiThreadInfo) ? sizeof(GUITHREADINFO) : info->cbSize;
    if (!::GetGUIThreadInfo(threadId, &record)) return false;
    info->flags = record.flags;
    info->hwndActive = reinterpret_cast<Window>(record.hwndActive);
    info->hwndFocus = reinterpret_cast<Window>(record.hwndFocus);
    info->hwndCapture = reinterpret_cast<Window>(record.hwndCapture);
    info->hwndMenuOwner = reinterpret_cast<Window>(record.hwndMenuOwner);
    info->hwndMoveSize = reinterpret_cast<Window>(record.hwndMoveSize);
    info->hwndCaret = reinterpret_cast<Window>(record.hwndCaret);
    info->rcCaret = {record.rcCaret.left, record.rcCaret.top, record.rcCaret.right, record.rcCaret.bottom};
    return true;
}

class Win32WindowApi final : public WindowApi {
public:
    Window FindWindowA(const char* className, const char* windowName) override {
        return reinterpret_cast<Window>(::FindWindowA(className, windowName));
    }
    bool PostMessageA(Window window, std::uint32_t message, WParam wParam,
                      LParam lParam) override {
        return ::PostMessageA(ToHwnd(window), message, wParam, lParam);
    }
    LResult SendMessageA(Window window, std::uint32_t message, WParam wParam,
                         LParam lParam) override {
        return ::SendMessageA(ToHwnd(window), message, wParam, lParam);
    }
    Window GetFocus() override { return reinterpret_cast<Window>(::GetFocus()); }
    Window GetParent(Window window) override {
        return reinterpret_cast<Window>(::GetParent(ToHwnd(window)));
    }
    bool IsChild(Window parent, Window window) override {
        return ::IsChild(ToHwnd(parent), ToHwnd(window));
    }
    // The seam's procedure types have the same calling convention and
    // argument sizes as WNDPROC and HOOKPROC; only the integer spellings differ.
    std::uint16_t RegisterClassA(const WindowClass* windowClass) override {
        WNDCLASSA record{};
        record.style = windowClass->style;
        record.lpfnWndProc = reinterpret_cast<WNDPROC>(
            reinterpret_cast<void (*)()>(windowClass->windowProc));
        record.cbClsExtra = windowClass->classExtra;
        record.cbWndExtra = windowClass->windowExtra;
        record.hInstance = reinterpret_cast<HINSTANCE>(windowClass->instance);
        record.hIcon = reinterpret_cast<HICON>(windowClass->icon);
        record.hCursor = reinterpret_cast<HCURSOR>(windowClass->cursor);
        record.hbrBackground = reinterpret_cast<HBRUSH>(windowClass->background);
        record.lpszMenuName = windowClass->menuName;
        record.lpszClassName = windowClass->className;
        return ::RegisterClassA(&record);
    }
    Window CreateWindowExA(std::uint32_t exStyle, const char* className, const char* windowName,
                           std::uint32_t style, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height, Window parent, Handle menu,
                           Instance instance, void* param) override {
        return reinterpret_cast<Window>(::CreateWindowExA(
            exStyle, className, windowName, style, x, y, width, height, ToHwnd(parent),
            reinterpret_cast<HMENU>(menu), reinterpret_cast<HINSTANCE>(instance), param));
    }
    int GetMessageA(Message* message, Window window, std::uint32_t filterMin,
                    std::uint32_t filterMax) override {
        MSG msg{};
        int result = ::GetMessageA(&msg, ToHwnd(window), filterMin, filterMax);
        *message = FromMsg(msg);
        return result;
    }
    bool TranslateMessage(const Message* message) override {
        MSG msg = ToMsg(*message);
        return ::TranslateMessage(&msg);
    }
    LResult DispatchMessageA(const Message* message) override {
        MSG msg = ToMsg(*message);
        return ::DispatchMessageA(&msg);
    }
    LResult DefWindowProcA(Window window, std::uint32_t message, WParam wParam,
                           LParam lParam) override {
        return ::DefWindowProcA(ToHwnd(window), message, wParam, lParam);
    }
    bool ShowWindow(Window window, int command) override {
        return ::ShowWindow(ToHwnd(window), command);
    }
    bool UpdateWindow(Window window) override { return ::UpdateWindow(ToHwnd(window)); }
    void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }
    IconHandle LoadIconA(Instance instance, const char* name) override {
        return reinterpret_cast<IconHandle>(::LoadIconA(reinterpret_cast<HINSTANCE>(instance), name));
    }
    CursorHandle LoadCursorA(Instance instance, std::uintptr_t resourceId) override {
        return reinterpret_cast<CursorHandle>(::LoadCursorA(
            reinterpret_cast<HINSTANCE>(instance), reinterpret_cast<LPCSTR>(resourceId)));
    }
    BrushHandle GetStockObject(int object) override {
        return reinterpret_cast<BrushHandle>(::GetStockObject(object));
    }
    bool MessageBeep(std::uint32_t type) override { return ::MessageBeep(type); }
    int MessageBoxA(Window owner, const char* text, const char* caption,
                    std::uint32_t type) override {
        return ::MessageBoxA(ToHwnd(owner), text, caption, type);
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        return ::ExitWindowsEx(flags, reason);
    }
    Window GetForegroundWindow() override {
        return reinterpret_cast<Window>(::GetForegroundWindow());
    }
    std::uint32_t GetWindowThreadProcessId(Window window, std::uint32_t* processId) override {
        DWORD process = 0;
        DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &process);
        if (processId) *processId = process;
        return thread;
    }
    bool PostThreadMessageA(std::uint32_t threadId, std::uint32_t message, WParam wParam,
                            LParam lParam) override {
        return ::PostThreadMessageA(threadId, message, wParam, lParam);
    }
    bool PeekMessageA(Message* message, Window window, std::uint32_t filterMin,
                      std::uint32_t filterMax, std::uint32_t remove) override {
        MSG msg{};
        bool found = ::PeekMessageA(&msg, ToHwnd(window), filterMin, filterMax, remove);
        if (found) *message = FromMsg(msg);
        return found;
    }
    std::uint32_t MsgWaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                            bool waitAll, std::uint32_t milliseconds,
                                            std::uint32_t wakeMask) override {
        return ::MsgWaitForMultipleObjects(count, reinterpret_cast<const HANDLE*>(handles), waitAll,
                                           milliseconds, wakeMask);
    }
    std::uint32_t RegisterWindowMessageA(const char* name) override {
        return ::RegisterWindowMessageA(name);
    }
    std::uint32_t CharUpperBuffA(char* text, std::uint32_t length) override {
        return ::CharUpperBuffA(text, length);
    }
    bool ChangeWindowMessageFilterEx(Window window, std::uint32_t message,
                                     std::uint32_t action) override {
        return ::ChangeWindowMessageFilterEx(ToHwnd(window), message, action, nullptr);
    }
    std::uint32_t RealGetWindowClassA(Window window, char* className, std::uint32_t size) override {
        return ::RealGetWindowClassA(ToHwnd(window), className, size);
    }
    bool GetGUIThreadInfo(std::uint32_t threadId, GuiThreadInfo* info) override {
        return CopyGuiThreadInfo(threadId, info);
    }
    std::int32_t GetWindowLongA(Window window, int index) override {
        return ::GetWindowLongA(ToHwnd(window), index);
    }

private:
    static Message FromMsg(const MSG& msg) {
        return Message{reinterpret_cast<Window>(msg.hwnd), msg.message, msg.wParam,
                       msg.lParam, static_cast<std::uint32_t>(msg.time), msg.pt.x, msg.pt.y};
    }
    static MSG ToMsg(const Message& message) {
        MSG msg{};
        msg.hwnd = ToHwnd(message.window);
        msg.message = message.message;
        msg.wParam = message.wParam;
        msg.lParam = message.lParam;
        msg.time = message.time;
        msg.pt.x = message.x;
        msg.pt.y = message.y;
        return msg;
    }
};

class Win32ShellApi final : public ShellApi {
public:
    bool Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) override {
        return ::Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(data));
    }
    Instance ShellExecuteW(Window owner, const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters, const wchar_t* directory, int show) override {
        return reinterpret_cast<Instance>(
            ::ShellExecuteW(ToHwnd(owner), verb, file, parameters, directory, show));
    }
};

class Win32SystemApi final : public SystemApi {
public:
    bool GetVersionExA(OsVersionInfo* info) override {
        return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info));
    }
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
    std::uint32_t GetTickCount() override { return ::GetTickCount(); }
    std::uint32_t WaitForInputIdle(Handle process, std::uint32_t milliseconds) override {
        return ::WaitForInputIdle(reinterpret_cast<HANDLE>(process), milliseconds);
    }
    Handle GetCurrentProcess() override { return reinterpret_cast<Handle>(::GetCurrentProcess()); }
    std::uint32_t GetModuleFileNameA(Instance module, char* buffer, std::uint32_t size) override {
        return ::GetModuleFileNameA(reinterpret_cast<HMODULE>(module), buffer, size);
    }
    std::uint32_t GetModuleFileNameW(Instance module, wchar_t* buffer, std::uint32_t size) override {
        return ::GetModuleFileNameW(reinterpret_cast<HMODULE>(module), buffer, size);
    }
    void GetLocalTime(SystemTime* time) override {
        ::GetLocalTime(reinterpret_cast<SYSTEMTIME*>(time));
    }
    std::uint32_t GetThreadLocale() override { return ::GetThreadLocale(); }
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override {
        return ::GetLocaleInfoA(locale, type, buffer, size);
    }
    Handle CreateMutexA(void* security, bool initialOwner, const char* name) override {
        return reinterpret_cast<Handle>(::CreateMutexA(
            static_cast<LPSECURITY_ATTRIBUTES>(security), initialOwner, name));
    }
    std::uint32_t GetLastError() override { return ::GetLastError(); }
    Instance GetModuleHandleA(const char* moduleName) override {
        return reinterpret_cast<Instance>(::GetModuleHandleA(moduleName));
    }
    ProcAddress GetProcAddress(Instance module, const char* name) override {
        return reinterpret_cast<ProcAddress>(
            ::GetProcAddress(reinterpret_cast<HMODULE>(module), name));
    }
    bool CloseHandle(Handle handle) override {
        return ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
    std::uint32_t GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
    // Looked up at run time: Windows 8 brought it.
    bool IsImmersiveProcess(Handle process) override {
        using Query = BOOL(WINAPI*)(HANDLE);
        auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "IsImmersiveProcess")));
        return query && query(reinterpret_cast<HANDLE>(process));
    }
    bool IsWow64Process(Handle process, bool* wow64) override {
        BOOL result = FALSE;
        bool called = ::IsWow64Process(reinterpret_cast<HANDLE>(process), &result);
        *wow64 = called && result;
        return called;
    }
    bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) override {
        HANDLE opened = nullptr;
        bool result = ::OpenProcessToken(reinterpret_cast<HANDLE>(process), access, &opened);
        *token = reinterpret_cast<Handle>(opened);
        return result;
    }
    bool GetTokenInformation(Handle token, int infoClass, void* information, std::uint32_t size,
                             std::uint32_t* returnLength) override {
        DWORD length = 0;
        bool result = ::GetTokenInformation(reinterpret_cast<HANDLE>(token),
                                            static_cast<TOKEN_INFORMATION_CLASS>(infoClass), information, size, &length);
        *returnLength = length;
        return result;
    }
    Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) override {
        return reinterpret_cast<Handle>(::OpenProcess(access, inheritHandle, processId));
    }
    bool CreateProcessA(const char* applicationName, char* commandLine, bool inheritHandles,
                        std::uint32_t creationFlags, const char* currentDirectory,
                        ProcessInformation* information) override {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION created{};
        bool result = ::CreateProcessA(applicationName, commandLine, nullptr, nullptr,
                                       inheritHandles, creationFlags, nullptr, currentDirectory,
                                       &startup, &created);
        information->process = reinterpret_cast<Handle>(created.hProcess);
        information->thread = reinterpret_cast<Handle>(created.hThread);
        information->processId = created.dwProcessId;
        information->threadId = created.dwThreadId;
        return result;
    }
    Handle CreateEventA(bool inheritHandle, bool manualReset, bool initialState,
                        const char* name) override {
        SECURITY_ATTRIBUTES security{sizeof security, nullptr, inheritHandle};
        return reinterpret_cast<Handle>(
            ::CreateEventA(&security, manualReset, initialState, name));
    }
    bool SetEvent(Handle event) override { return ::SetEvent(reinterpret_cast<HANDLE>(event)); }
    std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override {
        return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), milliseconds);
    }
    std::uint32_t WaitForMultipleObjects(std::uint32_t count, const Handle* handles, bool waitAll,
                                         std::uint32_t milliseconds) override {
        return ::WaitForMultipleObjects(count, reinterpret_cast<const HANDLE*>(handles), waitAll,
                                        milliseconds);
    }
    Handle CreateThread(ThreadProc proc, void* param, std::uint32_t* threadId) override {
        DWORD id = 0;
        HANDLE thread = ::CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(
                                                       reinterpret_cast<void (*)()>(proc)),
                                       param, 0, &id);
        if (threadId) *threadId = id;
        return reinterpret_cast<Handle>(thread);
    }
    Instance LoadLibraryA(const char* fileName) override {
        return reinterpret_cast<Instance>(::LoadLibraryA(fileName));
    }
    ProcAddress GetProcAddress(Instance module, std::uint16_t ordinal) override {
        return reinterpret_cast<ProcAddress>(
            ::GetProcAddress(reinterpret_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal)));
    }
    std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
                                 std::uint32_t languageId, char* buffer, std::uint32_t size,
                                 void* arguments) override {
        return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                                static_cast<va_list*>(arguments));
    }
    bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                    std::uint32_t* size) override {
        DWORD length = *size;
        bool result = ::QueryFullProcessImageNameA(reinterpret_cast<HANDLE>(process), flags, name, &length);
        *size = length;
        return result;
    }
};

class Win32SoundApi final : public SoundApi {
public:
    bool PlaySoundA(const char* sound, Instance module, std::uint32_t flags) override {
        return ::PlaySoundA(sound, reinterpret_cast<HMODULE>(module), flags);
    }
    bool Beep(std::uint32_t frequency, std::uint32_t milliseconds) override {
        return ::Beep(frequency, milliseconds);
    }
};

class Win32PortApi final : public PortApi {
public:
    std::uint8_t ReadPort(std::uint16_t port) override {
        std::uint8_t value;
        __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port));
        return value;
    }
    void WritePort(std::uint16_t port, std::uint8_t value) override {
        __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port));
    }
};

class Win32HookApi final : public HookApi {
public:
    HookHandle SetWindowsHookExA(int hookType, HookProc proc, Instance module,
                                 std::uint32_t threadId) override {
        return reinterpret_cast<HookHandle>(::SetWindowsHookExA(
            hookType, reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(proc)),
            reinterpret_cast<HINSTANCE>(module),
            threadId));
    }
    LResult CallNextHookEx(HookHandle hook, int code, WParam wParam, LParam lParam) override {
        return ::CallNextHookEx(reinterpret_cast<HHOOK>(hook), code, wParam, lParam);
    }
    bool UnhookWindowsHookEx(HookHandle hook) override {
        return ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook));
    }
};

struct Win32Backend {
    Win32RegistryApi registry;
    Win32KeyboardApi keyboard;
    Win32WindowApi windows;
    Win32ShellApi shell;
    Win32SystemApi system;
    Win32SoundApi sound;
    Win32PortApi ports;
    Win32HookApi hooks;
    Platform platform{registry, keyboard, windows, shell, system, sound, ports, hooks};
};

// Initialised as the program file is loaded, before any code runs: no
// thread can find it half made, and no run-time guard is linked for it.
constinit Win32Backend Backend;

}  // namespace

Platform& Win32Platform() { return Backend.platform; }


}  // namespace win

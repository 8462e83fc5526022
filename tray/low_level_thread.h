#pragma once
#include <cstdint>

#include "platform/platform.h"
#include "tray/hook_library.h"

// How long the tray program's end waits for the thread to remove its hook.
inline constexpr std::uint32_t LowLevelThreadEndLimit = 5000;
// How often the thread checks that Windows has not removed the hook.
inline constexpr std::uint32_t LowLevelCheckInterval = 1000;

// On a 64-bit Windows, the thread that installs the library's low-level
// keyboard hook and does nothing but serve it: Windows calls the hook in
// that thread, by a message, and holds every key of the desktop until the
// thread takes it. So it is not the control window's thread, which opens
// error boxes and may wait. Every second it has the hook checked, since
// Windows removes a hook that answered too late without a word. A hook that
// cannot be installed is signalled once by a short beep, and the check
// tries again. On a 32-bit Windows no thread is made.
class TLowLevelThread {
public:
    TLowLevelThread(win::Platform& platform, HookLibrary& library);
    // Asks the thread to remove the hook and end, and waits for it, bounded.
    ~TLowLevelThread();
    TLowLevelThread(const TLowLevelThread&) = delete;
    TLowLevelThread& operator=(const TLowLevelThread&) = delete;

private:
    static std::uint32_t ZV_STDCALL Enter(void* self);
    void Serve();
    bool TakeMessages();

    win::Platform& Api;
    HookLibrary& Library;
    std::uint32_t ThreadId = 0;
    win::Handle Thread = 0;
};

// A test-only build of the hook library that times the real hook procedure
// inside the process that has the keyboard: every call of KeyboardHookProc
// is timed with QueryPerformanceCounter, since X and Wine add milliseconds
// of noise to anything measured from outside. It exports Install at ordinal
// 10 like Zolhook.dll, so the probe's host installs it.
//
// F9 appends what was measured since the last F9 to the file named by
// ZOLVIK_TIMER_LOG and starts afresh; F9 itself is neither timed nor seen by
// the library. The line:
//   TIMES user=N user_us=T synthesised=N synthesised_us=T press_median_us=T press_max_us=T
// "user" are the events the library did not expect (the keys pressed), and
// "synthesised" those it had typed itself and lets pass.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/win32/win32_platform.h"

namespace {

win::Instance LibraryInstance = 0;

THookProcess* CreateWin32Process() { return new THookProcess(win::Win32Platform(), LibraryInstance); }

struct Calls {
    std::uint32_t count = 0;
    LONGLONG ticks = 0;
};
Calls User;
Calls Synthesised;
std::vector<LONGLONG> PressTicks;

double Microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void Report() {
    LONGLONG median = 0;
    LONGLONG longest = 0;
    if (!PressTicks.empty()) {
        std::sort(PressTicks.begin(), PressTicks.end());
        median = PressTicks[PressTicks.size() / 2];
        longest = PressTicks.back();
    }
    const char* path = std::getenv("ZOLVIK_TIMER_LOG");
    if (FILE* log = path ? std::fopen(path, "a") : nullptr) {
        std::fprintf(log, "TIMES user=%u user_us=%.1f synthesised=%u synthesised_us=%.1f press_median_us=%.2f press_max_us=%.1f\n",
                     User.count, Microseconds(User.ticks), Synthesised.count, Microseconds(Synthesised.ticks),
                     Microseconds(median), Microseconds(longest));
        std::fclose(log);
    }
    User = Calls{};
    Synthesised = Calls{};
    PressTicks.clear();
}

LRESULT CALLBACK TimedHook(int code, WPARAM wParam, LPARAM lParam) {
    THookProcess& process = ThisProcess();
    const bool press = !(static_cast<std::uint32_t>(lParam) & 0x80000000u);
    if (code == HC_ACTION && wParam == VK_F9) {
        if (press) Report();
        return 1;
    }
    const std::size_t expectedBefore = process.Synthesised.Size();
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    const LRESULT result = KeyboardHookProc(process, code, wParam, lParam);
    QueryPerformanceCounter(&end);
    const LONGLONG ticks = end.QuadPart - start.QuadPart;
    // The library's own event is the one it stops expecting; a person's key
    // can arrive among them, and a macro it runs adds events of its own.
    const bool expected = process.Synthesised.Size() + 1 == expectedBefore;
    Calls& calls = expected ? Synthesised : User;
    ++calls.count;
    calls.ticks += ticks;
    if (!expected && press) PressTicks.push_back(ticks);
    return result;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        LibraryInstance = reinterpret_cast<win::Instance>(instance);
        SetProcessCreator(CreateWin32Process);
    }
    return TRUE;
}

extern "C" HHOOK WINAPI TimerInstall(BYTE install) {
    THookProcess& process = ThisProcess();
    if (install) {
        HHOOK hook = SetWindowsHookExA(WH_KEYBOARD, TimedHook, reinterpret_cast<HINSTANCE>(LibraryInstance), 0);
        process.HookHandle = reinterpret_cast<win::HookHandle>(hook);
    } else if (UnhookWindowsHookEx(reinterpret_cast<HHOOK>(process.HookHandle))) {
        process.HookHandle = 0;
    }
    return reinterpret_cast<HHOOK>(process.HookHandle);
}

#pragma once
// The low-level keyboard hook in the tray program's process. Windows calls
// it for every key of the desktop, in the thread that installed it, before
// any window hook, whatever the bitness of the program in front. It serves
// the programs into which no window hook of this library comes, 64-bit ones
// and Store apps; in the others the library acts in their own process. It
// only decides: what the rules ask to be done runs on a worker thread, and
// while that has work, the person's keys wait behind it, decided there in
// their turn, as the window hook's typing holds them up in the target.
#include <atomic>
#include <bitset>
#include <cstdint>
#include <map>
#include <string>

#include "common/worker_thread.h"
#include "hook/hook_process.h"
#include "hook/key_actions.h"
#include "hook/injected_typing.h"
#include "platform/win_types.h"

// The program in front as the low-level hook asks about it, once a process.
struct TForegroundProgram {
    // No window hook of this library runs in it.
    bool Served = false;
    std::string ProgramFile;
};

class TLowLevelHook {
public:
    // Made in the thread that installs the hook.
    explicit TLowLevelHook(THookProcess& process);
    // Drops the work not yet started and waits for the running one.
    ~TLowLevelHook();
    TLowLevelHook(const TLowLevelHook&) = delete;
    TLowLevelHook& operator=(const TLowLevelHook&) = delete;

    // True swallows the event. Never waits.
    bool Decide(const win::KbdLlHookStruct& event);

    win::HookHandle Handle = 0;
    // GetTickCount when Windows last called the hook.
    std::uint32_t LastCall = 0;

private:
    // The decision of a key that is the person's to decide now; what it
    // asks to be done goes to `actions`, typed into `target`.
    bool DecideNow(const win::KbdLlHookStruct& event, TKeyActions& actions, TInjectedTarget& target);
    bool Examine(const win::KbdLlHookStruct& event, bool wasDown, TKeyActions& actions, TInjectedTarget& target);
    void DecideHeldBack(const win::KbdLlHookStruct& event);
    const TForegroundProgram& ForegroundProgram(std::uint32_t processId);
    TKeyFlags Flags() const;
    std::uint8_t HeldSides() const;
    bool IsDialog(win::Window focus);
    void Post(std::function<void()> job);

    THookProcess& Process;
    // Keys down and lock keys on, from the person's events (the
    // low-level event tells neither).
    std::bitset<256> Down;
    std::bitset<256> Toggled;
    std::map<std::uint32_t, TForegroundProgram> Programs;
    // Jobs posted whose events have not all passed the hook; while any
    // has, the person's keys wait behind them.
    std::atomic<int> Pending{0};
    // Made last: its thread may use everything above.
    TWorker Worker;
};

// The procedure Windows calls; swallows or passes on to the next hook.
win::LResult ZV_STDCALL LowLevelHookEntry(int code, win::WParam wParam, win::LParam lParam);

// 1 installs the hook in the calling thread, which must then take its
// messages; 0 removes it; 2 installs it again when Windows removed it
// silently, which is seen by input newer than the hook's last call. Returns
// the hook handle afterwards (0 when not installed).
win::HookHandle InstallLowLevel(THookProcess& process, std::uint8_t what);

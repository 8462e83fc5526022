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
#include <mutex>
#include <optional>
#include <string>

#include "common/worker_thread.h"
#include "hook/hook_process.h"
#include "hook/key_actions.h"
#include "hook/injected_typing.h"
#include "platform/win_types.h"

// The program in front as the low-level hook asks about it, once a process.
struct TForegroundProgram {
    // No window hook of this library runs in it, and it takes the input the
    // hook would type in place of a key.
    bool Served = false;
    // Of a higher integrity level than the tray, or one that does not
    // tell: the input the hook types is dropped there.
    bool Refused = true;
    std::string ProgramFile;
    // Open while the answer is kept: Windows gives no other process the id
    // meanwhile, and the handle tells when the process has ended.
    win::Handle Process = 0;
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
    // Installed again after Windows removed it: the events it missed meanwhile
    // never come, the work's own and the person's alike.
    void Reinstalled();

    win::HookHandle Handle = 0;
    // GetTickCount when Windows last called the hook.
    std::uint32_t LastCall = 0;

private:
    // The decision of a key that is the person's to decide now; what it
    // asks to be done goes to `actions`, typed into `target`.
    bool DecideNow(const win::KbdLlHookStruct& event, TKeyActions& actions, TInjectedTarget& target);
    bool Examine(const win::KbdLlHookStruct& event, bool wasDown, TKeyActions& actions, TInjectedTarget& target);
    void DecideHeldBack(const win::KbdLlHookStruct& event);
    void TypeActions(const TKeyActions& actions, const TInjectedTarget& target);
    bool WorkAhead(const win::KbdLlHookStruct& event);
    void WorkDone(std::uint16_t job);
    TForegroundProgram ForegroundProgram(std::uint32_t processId);
    TForegroundProgram AskAbout(std::uint32_t processId);
    void ReadKeysDown();
    TKeyFlags Flags() const;
    std::uint8_t HeldSides() const;
    bool IsDialog(win::Window focus);
    void Post(std::function<void()> job);

    THookProcess& Process;
    // Keys down and lock keys on, from the person's events (the
    // low-level event tells neither).
    std::bitset<256> Down;
    std::bitset<256> Toggled;
    // To be read again before the next key decided here.
    bool KeysDownStale = false;
    // The hook's thread asks while the worker decides a held-back key.
    std::mutex ProgramsLock;
    std::map<std::uint32_t, TForegroundProgram> Programs;
    std::uint32_t OwnIntegrity = 0;
    // Jobs posted, numbered from 1; the last whose events the worker has
    // sent in, and when; the last whose events have all passed the hook.
    // While one posted has not passed, the person's keys wait behind it.
    std::atomic<std::uint32_t> Posted{0};
    std::atomic<std::uint32_t> Finished{0};
    std::atomic<std::uint32_t> FinishedAt{0};
    std::uint32_t Passed = 0;
    // Made last and ended first: its thread may use everything above.
    std::optional<TWorker> Worker;
};

// The procedure Windows calls; swallows or passes on to the next hook.
win::LResult ZV_STDCALL LowLevelHookEntry(int code, win::WParam wParam, win::LParam lParam);

// 1 installs the hook in the calling thread, which must then take its
// messages; 0 removes it; 2 installs it again when Windows removed it
// silently, which is seen by input newer than the hook's last call. Returns
// the hook handle afterwards (0 when not installed).
win::HookHandle InstallLowLevel(THookProcess& process, std::uint8_t what);

#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_layouts.h"

namespace sim {

class SimHooks;
class SimSystem;
class SimThreads;
class SimWindows;

// One key event on its way to an application.
struct KeyInput {
    std::uint8_t virtualKey;
    // A KEYEVENTF_UNICODE event's character (virtual key VK_PACKET).
    std::uint16_t scanCode;
    std::uint32_t flags;  // KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP
    bool injected;        // made by keybd_event or SendInput, not by the user
    // The key was down before this event, as the system saw it: the key
    // data's previous-state bit, which a swallowed press still sets for its
    // repeats.
    bool wasDown = false;
    // The thread whose input queue the event went to: the foreground
    // window's when the event entered the system.
    std::uint32_t thread = 0;
    std::uint64_t sequence = 0;  // of the events queued, in order
    bool blocked = false;        // a keybd_event that UIPI dropped
    std::uintptr_t extraInfo = 0;
    std::uint32_t time = 0;      // the tick count when it entered the system
};

// A combination the system keeps for itself (Win+R opens the Run box):
// while exactly these modifiers are down, the key's press and release reach
// no application.
struct HotKey {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool win = false;
    std::uint8_t virtualKey = 0;
};

// The keyboard as Windows keeps it. Every event, the user's or one that
// keybd_event or SendInput makes, first passes the low-level keyboard hooks
// (see SimHooks), which may swallow it whole; only then does it enter the
// system, where the asynchronous key state and
// the lock keys' lights change at once, a hot key's events stop there, and
// the rest go to the input queue of the thread whose window is in the
// foreground at that moment. Each thread keeps a key state of its own, which
// changes only as that thread takes its events and the hooks let them pass.
// When the keyboard comes to a thread from another one, Windows queues a key
// state update for it, a copy of the asynchronous state, which the thread
// takes before its next event: what happened while another thread had the
// keyboard is then in its state, but only from then on.
// Left and right modifiers are told apart, so releasing the generic VK_MENU
// releases only the left Alt key. Injected input is dropped when the
// foreground window belongs to a process of a higher integrity level than
// the one that made it (UIPI).
class SimKeyboard final : public win::KeyboardApi {
public:
    bool GetKeyboardState(std::uint8_t state[256]) override;
    bool SetKeyboardState(const std::uint8_t state[256]) override;
    std::int16_t GetAsyncKeyState(int virtualKey) override;
    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    std::int16_t VkKeyScanA(char character) override;
    std::int16_t VkKeyScanExA(char character, win::KeyboardLayoutHandle layout) override;
    std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) override;
    // The events go in together, with no other input between them.
    std::uint32_t SendInput(std::uint32_t count, const win::Input* inputs, int size) override;
    win::KeyboardLayoutHandle GetKeyboardLayout(std::uint32_t threadId) override;
    bool GetLastInputInfo(win::LastInputInfo* info) override;

    // The processes (whose threads key states belong to, and whose
    // integrity UIPI compares) and the windows (which one is in front).
    void AttachDesktop(SimSystem& system, SimWindows& windows);
    // The low-level hooks every event passes first, and the threads they
    // wait for.
    void AttachHooks(SimHooks& hooks, SimThreads& threads);
    void SetLayout(KeyboardLayout layout) { layout_ = layout; }
    // A thread whose layout differs from the machine's.
    void SetThreadLayout(std::uint32_t thread, KeyboardLayout layout) { threadLayouts_[thread] = layout; }
    KeyboardLayout Layout() const { return layout_; }
    void AddHotKey(const HotKey& hotKey) { hotKeys_.push_back(hotKey); }

    // A key pressed or released by the user.
    void UserEvent(std::uint8_t virtualKey, bool extended, bool release);
    // Something that happens while the system is typing, right after the
    // next `injected` keybd_event calls, as Windows takes input in time
    // order. Things given the same point happen in the order given.
    void AmidInjected(std::size_t injected, std::function<void()> action);
    // A key the user presses or releases while the system is typing.
    void UserEventAmidInjected(std::size_t injected, std::uint8_t virtualKey, bool extended,
                               bool release);
    // The first thing still waiting for keybd_event calls happens now: the
    // user goes on once the system has stopped typing. False when none waits.
    bool EnterNextScheduled();
    bool HasPendingInput() const { return !queue_.empty(); }
    // Calls that read the keyboard state, the thread's or the asynchronous:
    // under Wine each may be a call into its server.
    std::uint64_t StateReadCount() const { return stateReads_; }
    // Events that wait for the low-level hooks, and their passage, in
    // order, into the system; one thread at a time leads them through.
    bool HasRawInput() const { return !raw_.empty(); }
    bool IsPassingRawInput() const { return passing_; }
    void PassRawInput();
    KeyInput TakeInput();
    // The event taken last, on its way through the hooks.
    const KeyInput& CurrentInput() const { return current_; }

    // The virtual key a window's message carries, and its key data, as the
    // event's thread sees it.
    struct Delivered {
        std::uint8_t virtualKey;
        std::uint32_t keyData;
    };
    Delivered KeyDataFor(const KeyInput& input) const;
    // The hook chain let the event pass: its thread's state takes it.
    void ApplyToThreadState(const KeyInput& input);

    // Every keybd_event call, in order, those the system dropped included.
    const std::vector<KeyInput>& InjectedLog() const { return injected_; }
    void ClearInjectedLog() { injected_.clear(); }
    // The key state of a thread (the first application's by default).
    bool IsThreadKeyDown(std::uint8_t virtualKey, std::uint32_t thread = 1) const;
    bool IsThreadKeyToggled(std::uint8_t virtualKey, std::uint32_t thread = 1) const;
    void ReadThreadState(std::uint32_t thread, std::uint8_t state[256]) const;
    bool IsAsyncKeyDown(std::uint8_t virtualKey) const { return asyncDown_[virtualKey]; }
    // A lock key's light: on Windows NT a press toggles it as it enters the
    // system, whatever becomes of the event.
    bool IsLockOn(std::uint8_t virtualKey) const { return lockLights_[virtualKey]; }

private:
    using ThreadState = std::array<std::uint8_t, 256>;
    struct Sides {
        std::uint8_t generic;
        std::uint8_t specific;
    };
    static Sides SidesOf(const KeyInput& input);
    static bool IsExtended(const KeyInput& input, Sides sides);
    KeyInput UserInput(std::uint8_t virtualKey, bool extended, bool release) const;
    KeyInput FromSendInput(const win::KeyboardInput& record) const;
    void Inject(KeyInput input);
    void RunDueActions();
    void Enter(KeyInput input);
    void EnterSystem(KeyInput input);
    win::LResult RunLowLevelHooks(const KeyInput& input);
    void UpdateAsyncState(KeyInput& input);
    ThreadState AsyncSnapshot() const;
    void TakeStateUpdate(const KeyInput& input);
    bool IsHotKeyEvent(const KeyInput& input) const;
    bool BlockedByUipi() const;
    std::uint32_t ForegroundThread() const;
    std::uint32_t CurrentThread() const;
    ThreadState& StateOf(std::uint32_t thread);
    const ThreadState& StateOf(std::uint32_t thread) const;
    bool WindowsNT() const;

    struct Scheduled {
        std::size_t afterInjected;  // happens once this many keybd_event calls were made
        std::function<void()> action;
    };

    SimSystem* system_ = nullptr;
    SimWindows* windows_ = nullptr;
    SimHooks* hooks_ = nullptr;
    SimThreads* threads_ = nullptr;
    KeyboardLayout layout_ = KeyboardLayout::German;
    std::map<std::uint32_t, KeyboardLayout> threadLayouts_;
    std::deque<KeyInput> raw_;
    bool passing_ = false;
    std::uint64_t stateReads_ = 0;
    std::uint32_t lastInputTime_ = 0;
    std::map<std::uint32_t, ThreadState> threadStates_;
    // Key state updates not yet queued, by thread, and those queued, by the
    // event they come before.
    std::map<std::uint32_t, ThreadState> pendingUpdates_;
    std::map<std::uint64_t, ThreadState> updateBefore_;
    std::uint32_t lastInputThread_ = 1;
    std::uint64_t nextSequence_ = 0;
    bool asyncDown_[256] = {};
    bool lockLights_[256] = {};
    std::vector<HotKey> hotKeys_;
    std::deque<KeyInput> queue_;
    std::vector<KeyInput> injected_;
    std::size_t injectedTotal_ = 0;
    std::vector<Scheduled> scheduled_;
    KeyInput current_{};
};

}  // namespace sim

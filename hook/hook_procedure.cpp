#include "hook/hook_procedure.h"

#include <optional>
#include <utility>

#include "common/control_messages.h"
#include "hook/key_action_runner.h"
#include "hook/key_event.h"
#include "hook/key_rules.h"
#include "hook/key_scope.h"
#include "hook/num_lock_hold.h"
#include "hook/sound_requests.h"
#include "hook/this_process.h"
#include "hook/typing.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

win::HookApi* HooksWithoutState = nullptr;

// Inside the hook the thread's keyboard state still shows the lock keys as
// they were before the event. At the first press of a lock key its state
// afterwards is therefore the opposite of the bit read; at a repeat or a
// release the bit already holds it. Taps of the library's own still on
// their way toggle it further. The state is read for lock keys only: under
// Wine each read is a call into its server, at every key of every program.
bool LockStateAfter(THookProcess& process, const TKeyEvent& event) {
    std::uint8_t keyState[256] = {};
    ReadKeyboardState(process.Api.keyboard, keyState);
    bool toggled = IsKeyToggled(keyState, event.VirtualKey);
    bool firstPress = !(event.KeyData & PreviousStateBit);
    bool after = firstPress ? !toggled : toggled;
    return after != process.Synthesised.TogglesPending(static_cast<std::uint8_t>(event.VirtualKey));
}

// Num Lock is held on before its toggle is announced, so that the sound
// tells the state it ends in. Num Lock with AltGr belongs to the key rules,
// which signal their own toggle.
TVerdict ActOnNumLock(THookProcess& process, const TKeyEvent& event, const TKeyScope& scope,
                      TKeyActions& actions) {
    TNumLockHold hold = scope.Rules && scope.Keypad ? HoldNumLockOn(process, event) : TNumLockHold::None;
    AnnounceLockKey(process, event);
    TVerdict verdict = ApplyKeyRules(process, event, scope, actions);
    if (verdict == TVerdict::Swallow) HeldNumLockSwallowed(process, hold);
    return verdict;
}

// A press where the system acts: a lock key's toggle announced, then the
// key rules.
TVerdict Act(THookProcess& process, const TKeyEvent& event, const TKeyScope& scope, TKeyActions& actions) {
    if (event.VirtualKey == VK_NUMLOCK) return ActOnNumLock(process, event, scope, actions);
    AnnounceLockKey(process, event);
    return ApplyKeyRules(process, event, scope, actions);
}

// Wine answers GetAsyncKeyState for a key it last saw up from a cache of
// the state as it was when the thread last sent input or read that state,
// for 50 ms: right after a macro, or the keys just before, a key held all
// along reads as up. No hand lets go of a key in another program and comes
// back so fast.
constexpr std::uint32_t AsyncStateSettles = 50;

bool AsyncStateSettled(THookProcess& process, std::optional<std::uint32_t> previousEvent, std::uint32_t now) {
    auto sinceMade = process.Synthesised.SinceLastMade(now);
    return (!sinceMade || *sinceMade >= AsyncStateSettles) &&
           (!previousEvent || now - *previousEvent >= AsyncStateSettles);
}

bool ReleasedElsewhere(THookProcess& process, std::uint8_t virtualKey) {
    return !IsKeyDown(process.Api.keyboard, virtualKey) && !process.Synthesised.ReleasePending(virtualKey);
}

// A modifier let go of while another program had the keyboard: its release
// went there, and this process sees none. The asynchronous key state shows
// it up; so it counts as released now, unless a release of the library's
// own is still on its way (the person may hold the key, which the library
// then presses again). Presses are taken only from the key's own events.
// Releasing either Alt key clears both Alt members, as its event does.
// For Alt the event itself also tells: its context bit is set while Alt is
// down, whatever GetAsyncKeyState answers (Wine answers a key it last saw
// up from a cache of that state for 50 ms after the thread sent input).
void TakeOverReleases(THookProcess& process, const TKeyEvent& event, bool asyncStateSettled) {
    TKeyFlags& flags = process.KeyFlags;
    if (!flags.ContainsAny(HeldModifiersMask) || !asyncStateSettled) return;
    if (flags.Contains(kfShift) && ReleasedElsewhere(process, VK_SHIFT)) SetKeyFlag(flags, kfShift, false);
    if (flags.Contains(kfCtrl) && ReleasedElsewhere(process, VK_CONTROL)) SetKeyFlag(flags, kfCtrl, false);
    if (flags.Contains(kfAlt) && !(event.KeyData & AltContextBit) && ReleasedElsewhere(process, VK_MENU)) {
        SetKeyFlag(flags, kfAlt, false);
        SetKeyFlag(flags, kfAltGr, false);
    }
}

// The verdict for one event: the hook handle known, the library's own events
// let pass, the modifier and lock state kept, then, for a press where the
// system acts in this program and field, the key rules. What the system
// does here is asked only after its records are up to date, so that a
// program it leaves alone leaves them behind in no way. What takes time is
// added to `actions`; a modifier kept as held is pressed or released at
// once, since the next one's decision rests on the events expected.
TVerdict Examine(THookProcess& process, int code, WParam wParam, LParam lParam, TKeyActions& actions) {
    if (process.HookHandle == 0) process.HookHandle = FetchHookHandle(process);
    if (code != HC_ACTION) return TVerdict::Pass;

    TKeyEvent event{static_cast<std::uint16_t>(wParam & 0xFFFF), static_cast<std::uint32_t>(lParam)};
    bool press = !(event.KeyData & TransitionBit);
    TEventKey key = EventKeyOf(event.VirtualKey, event.KeyData);
    std::uint32_t now = process.Api.system.GetTickCount();
    std::optional<std::uint32_t> previousEvent = std::exchange(process.LastEventTime, now);
    bool asyncStateSettled = AsyncStateSettled(process, previousEvent, now);
    TEventOrigin origin = process.Synthesised.Empty() ? TEventOrigin::Person
                                                      : process.Synthesised.Judge(key, !press, now);

    for (auto [held, down] : process.Synthesised.TakeConfirmed()) KeepAsHeld(process, held, down);
    if (origin == TEventOrigin::Own) return TVerdict::Pass;

    // The user's own key, also when it comes among the library's events.
    TakeOverReleases(process, event, asyncStateSettled);
    TKeyFlags& flags = process.KeyFlags;
    // Which events of the library's are still to come decides how to keep a
    // modifier as the person left it. A doubtful press may be the library's
    // own, whose release is among those to come: it is pressed again only
    // once the event is known to be the person's, or a key would be left
    // down that nobody holds.
    auto keepAsHeld = [&] {
        if (origin == TEventOrigin::Doubtful && press) {
            process.Synthesised.NoteDoubtful(key, press);
        } else {
            KeepAsHeld(process, key, press);
        }
    };
    switch (event.VirtualKey) {
        case VK_SHIFT:
            SetKeyFlag(flags, kfShift, press);
            keepAsHeld();
            return TVerdict::Pass;
        case VK_CONTROL:
            SetKeyFlag(flags, kfCtrl, press);
            keepAsHeld();
            return TVerdict::Pass;
        case VK_MENU:
            SetKeyFlag(flags, kfAlt, press);
            SetKeyFlag(flags, kfAltGr, (event.KeyData & ExtendedKeyBit) && flags.Contains(kfAlt));
            keepAsHeld();
            return TVerdict::Pass;
        case VK_RWIN:
            SetKeyFlag(flags, kfWin, press);
            return TVerdict::Pass;
        case VK_CAPITAL:
            SetKeyFlag(flags, kfCapsLock, LockStateAfter(process, event));
            break;
        case VK_NUMLOCK: {
            // The tap asked for is not yet among the events expected.
            bool tapped = !press && TypeDueNumLockTap(process, actions);
            SetKeyFlag(flags, kfNumLock, LockStateAfter(process, event) != tapped);
            break;
        }
        case VK_SCROLL:
            SetKeyFlag(flags, kfScrollLock, LockStateAfter(process, event));
            break;
        default:
            break;
    }
    if (!press) return TVerdict::Pass;
    // Only the rules look at the Windows key, and only at a press; its state
    // is read there, since the library's own Windows key events and a
    // release elsewhere change no record.
    SetKeyFlag(flags, kfWin, IsKeyDown(process.Api.keyboard, VK_RWIN));
    TKeyScope scope = ScopeOfKeyHere(process);
    // An event that may be the library's own keeps the records, but no rule
    // acts on it.
    scope.Rules = scope.Rules && origin == TEventOrigin::Person;
    return scope.Acts ? Act(process, event, scope, actions) : TVerdict::Pass;
}

// On 64-bit Windows a hook is called for the keys of a process of the other
// bitness in the thread that installed it, where the keyboard state, focus
// and layout are not the application's. The library of the application's own
// bitness handles that key in the application's process, so it passes here
// untouched: each key is handled once.
bool IsOutOfContext(THookProcess& process) {
    if (!process.InstalledHere) return false;
    WindowApi& windows = process.Api.windows;
    std::uint32_t keyboardProcess = 0;
    windows.GetWindowThreadProcessId(windows.GetForegroundWindow(), &keyboardProcess);
    return keyboardProcess != process.Api.system.GetCurrentProcessId();
}

}  // namespace

void SetHooksWithoutState(HookApi& hooks) { HooksWithoutState = &hooks; }

// Num Lock with AltGr belongs to the key rules, which signal their own
// toggle.
void AnnounceLockKey(THookProcess& process, const TKeyEvent& event) {
    if (event.KeyData & PreviousStateBit) return;
    auto announce = [&](TKeyFlag member, TSoundEvent sound) {
        RequestSound(process, sound);
        RequestOnOffSound(process, process.KeyFlags.Contains(member));
    };
    switch (event.VirtualKey) {
        case VK_CAPITAL: announce(kfCapsLock, seCapsLock); break;
        case VK_NUMLOCK:
            if (!process.KeyFlags.Contains(kfAltGr)) announce(kfNumLock, seNumLock);
            break;
        case VK_SCROLL: announce(kfScrollLock, seScrollLock); break;
        default: break;
    }
}

// Without its state the library can do nothing for the key but pass it on;
// the chain's next hook is found without a handle.
LResult ZV_STDCALL KeyboardHookEntry(int code, WParam wParam, LParam lParam) {
    THookProcess* process = nullptr;
    try {
        process = &ThisProcess();
    } catch (...) {
        return HooksWithoutState ? HooksWithoutState->CallNextHookEx(0, code, wParam, lParam) : 0;
    }
    return KeyboardHookProc(*process, code, wParam, lParam);
}

LResult KeyboardHookProc(THookProcess& process, int code, WParam wParam, LParam lParam) {
    if (IsOutOfContext(process)) {
        return process.Api.hooks.CallNextHookEx(process.HookHandle, code, wParam, lParam);
    }
    TVerdict verdict = TVerdict::Pass;
    TKeyActions actions;
    try {
        verdict = Examine(process, code, wParam, lParam, actions);
    } catch (...) {
        verdict = TVerdict::Pass;
    }
    // In the target's own thread the key's actions run before the hook
    // returns: the person's next keys queue behind the text typed. What was
    // asked for before anything raised is done, as it would have been.
    try {
        RunKeyActions(process, actions);
    } catch (...) {
        verdict = TVerdict::Pass;
    }
    if (verdict == TVerdict::Swallow) return 1;
    return process.Api.hooks.CallNextHookEx(process.HookHandle, code, wParam, lParam);
}

HookHandle FetchHookHandle(THookProcess& process) {
    Window control = FindControlWindow(process.Api.windows);
    if (control == 0) return 0;
    return static_cast<HookHandle>(process.Api.windows.SendMessageA(control, UM_GETHOOK, 0, 0));
}

HookHandle Install(THookProcess& process, std::uint8_t install) {
    if (install != 0) {
        process.HookHandle = process.Api.hooks.SetWindowsHookExA(WH_KEYBOARD, KeyboardHookEntry,
                                                                 process.Module, 0);
    } else if (process.Api.hooks.UnhookWindowsHookEx(process.HookHandle)) {
        process.HookHandle = 0;
    }
    process.InstalledHere = process.HookHandle != 0;
    return process.HookHandle;
}

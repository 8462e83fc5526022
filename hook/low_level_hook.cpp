#include "hook/low_level_hook.h"

#include <cstring>
#include <utility>

#include "common/key_bits.h"
#include "common/module_path.h"
#include "common/own_input.h"
#include "hook/hook_procedure.h"
#include "hook/key_action_runner.h"
#include "hook/key_event.h"
#include "hook/key_rules.h"
#include "hook/key_scope.h"
#include "hook/num_lock_hold.h"
#include "hook/rule_actions.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// Only the tray program installs the hook, once.
TLowLevelHook* Installed = nullptr;
HookApi* InstalledHooks = nullptr;

// Windows removes a hook that did not answer in time without a word; input
// newer than its last call by this much shows it gone.
constexpr std::uint32_t RemovedAfter = 1000;

// The work's last event was sent in this long before a key of the person's
// came, yet has not passed the hook: the system dropped it (UIPI drops
// input into a window of a higher integrity level without a word), and
// nothing of that work comes back. Covers the tick count's steps.
constexpr std::uint32_t DroppedAfter = 50;

// Each cached process keeps a handle open; beyond this many the ones that
// ended are let go.
constexpr std::size_t ProgramsKept = 16;

bool IsModifier(std::uint8_t virtualKey) {
    return (virtualKey >= VK_LSHIFT && virtualKey <= VK_RMENU) || virtualKey == VK_LWIN || virtualKey == VK_RWIN;
}

// The window hook's key data for the low-level event: the scan code, the
// extended key, Alt held, the key down before, the release; the dialog-mode
// bit from the hook's own test.
TKeyEvent KeyEventOf(const KbdLlHookStruct& event, bool wasDown, bool dialog) {
    std::uint32_t keyData = 1 | ((event.scanCode & 0xFF) << 16);
    if (event.flags & LLKHF_EXTENDED) keyData |= ExtendedKeyBit;
    if (dialog) keyData |= DialogModeBit;
    if (event.flags & LLKHF_ALTDOWN) keyData |= AltContextBit;
    if (wasDown) keyData |= PreviousStateBit;
    if (event.flags & LLKHF_UP) keyData |= TransitionBit;
    return TKeyEvent{static_cast<std::uint16_t>(event.vkCode), keyData};
}

HookHandle Hook(THookProcess& process) {
    return process.Api.hooks.SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelHookEntry, process.Module, 0);
}

// The process's mandatory integrity level, the last sub-authority of its
// label's SID; 0 when the process does not tell.
std::uint32_t IntegrityOf(SystemApi& system, win::Handle process) {
    win::Handle token = 0;
    if (!system.OpenProcessToken(process, TOKEN_QUERY, &token)) return 0;
    alignas(TokenMandatoryLabel) std::uint8_t buffer[64];
    std::uint32_t length = 0;
    std::uint32_t level = 0;
    if (system.GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &length)) {
        const auto* sid = static_cast<const std::uint8_t*>(reinterpret_cast<TokenMandatoryLabel*>(buffer)->Sid);
        bool inside = sid >= buffer + sizeof(TokenMandatoryLabel) && sid + 8 <= buffer + length;
        std::uint8_t count = inside ? sid[1] : 0;
        if (count > 0 && sid + 8 + 4 * count <= buffer + length) std::memcpy(&level, sid + 4 + 4 * count, sizeof level);
    }
    system.CloseHandle(token);
    return level;
}

bool RemovedByWindows(THookProcess& process, const TLowLevelHook& hook) {
    LastInputInfo last{sizeof last, 0};
    if (!process.Api.keyboard.GetLastInputInfo(&last)) return false;
    return static_cast<std::int32_t>(last.dwTime - hook.LastCall) > static_cast<std::int32_t>(RemovedAfter);
}

}  // namespace

// Caps Lock, Num Lock and Scroll Lock start as this thread's key state
// shows them. The tray runs at the medium level unless the level says
// otherwise.
TLowLevelHook::TLowLevelHook(THookProcess& process) : Process(process) {
    std::uint8_t state[256] = {};
    ReadKeyboardState(process.Api.keyboard, state);
    for (std::uint8_t key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) Toggled[key] = IsKeyToggled(state, key);
    OwnIntegrity = IntegrityOf(process.Api.system, process.Api.system.GetCurrentProcess());
    if (OwnIntegrity == 0) OwnIntegrity = SECURITY_MANDATORY_MEDIUM_RID;
    LastCall = process.Api.system.GetTickCount();
    Worker.emplace(process.Api.system);
}

TLowLevelHook::~TLowLevelHook() {
    if (Installed == this) Installed = nullptr;
    Worker.reset();
    for (const auto& [id, program] : Programs) Process.Api.system.CloseHandle(program.Process);
}

// A key released while the hook was away would count as held for good.
// The hook's thread gets no key events, so its own key state would not
// tell the lock keys better than the tracking does: they stay as tracked.
void TLowLevelHook::ReadKeysDown() {
    for (int key = 1; key < 256; ++key) Down[key] = IsKeyDown(Process.Api.keyboard, static_cast<std::uint16_t>(key));
    KeysDownStale = false;
}

// The work sent in so far counts as passed; the keys down are read again
// before the next key is decided here, when no work runs.
void TLowLevelHook::Reinstalled() {
    Passed = Finished;
    KeysDownStale = true;
}

// A job counts as pending until its last event, which carries its number
// in the scan code, has passed the hook, as the person's keys that come
// before that are held back.
void TLowLevelHook::Post(std::function<void()> job) {
    std::uint32_t number = ++Posted;
    Worker->Post([this, job = std::move(job), number] {
        try {
            job();
        } catch (...) {
        }
        Input done{INPUT_KEYBOARD, {WorkDoneKey, static_cast<std::uint16_t>(number), KEYEVENTF_KEYUP, 0, WorkDoneMarker}};
        Process.Api.keyboard.SendInput(1, &done, sizeof done);
        FinishedAt = Process.Api.system.GetTickCount();
        Finished = number;
    });
}

// A job's last event; one that comes late, after its work was given up as
// dropped, counts for nothing.
void TLowLevelHook::WorkDone(std::uint16_t job) {
    auto ahead = static_cast<std::uint16_t>(job - static_cast<std::uint16_t>(Passed));
    if (ahead <= Posted - Passed) Passed += ahead;
}

bool TLowLevelHook::WorkAhead(const KbdLlHookStruct& event) {
    std::uint32_t posted = Posted;
    if (Passed == posted) return false;
    if (Finished == posted && static_cast<std::int32_t>(event.time - FinishedAt) > static_cast<std::int32_t>(DroppedAfter)) {
        Passed = posted;
        return false;
    }
    return true;
}

// A key that waits is typed again later by the worker, which a window of a
// higher integrity level would not take: such a window gets it now.
bool TLowLevelHook::Decide(const KbdLlHookStruct& event) {
    LastCall = Process.Api.system.GetTickCount();
    if (event.dwExtraInfo == WorkDoneMarker) {
        WorkDone(static_cast<std::uint16_t>(event.scanCode));
        return true;
    }
    if (event.dwExtraInfo == OwnInputMarker) return false;
    if (WorkAhead(event)) {
        std::uint32_t processId = 0;
        Process.Api.windows.GetWindowThreadProcessId(Process.Api.windows.GetForegroundWindow(), &processId);
        if (ForegroundProgram(processId).Refused) return false;
        Post([this, event] { DecideHeldBack(event); });
        return true;
    }
    if (KeysDownStale) ReadKeysDown();
    TKeyActions actions;
    TInjectedTarget target;
    bool swallow = DecideNow(event, actions, target);
    if (!actions.List().empty()) {
        Post([this, actions = std::move(actions), target] { TypeActions(actions, target); });
    }
    return swallow;
}

// A key the person pressed while the worker had work: decided in its turn,
// let go on marked when it passes, its actions done at once.
void TLowLevelHook::DecideHeldBack(const KbdLlHookStruct& event) {
    TKeyActions actions;
    TInjectedTarget target;
    if (!DecideNow(event, actions, target)) SendMarked(Process.Api.keyboard, event);
    TypeActions(actions, target);
}

// On the worker: a key's actions, typed with marked events into the target.
void TLowLevelHook::TypeActions(const TKeyActions& actions, const TInjectedTarget& target) {
    TInjectedTyping typing(Process.Api, target);
    RunKeyActions(Process, actions, {[&](const std::wstring& text) { typing.Type(text); },
                                     [&](std::uint16_t code, bool press) { typing.Key(code, press); }});
    typing.Finish();
}

// A lock key's first press toggles its lock as it passes.
bool TLowLevelHook::DecideNow(const KbdLlHookStruct& event, TKeyActions& actions, TInjectedTarget& target) {
    auto virtualKey = static_cast<std::uint8_t>(event.vkCode);
    bool release = event.flags & LLKHF_UP;
    bool wasDown = Down[virtualKey];
    Down[virtualKey] = !release;
    bool lockPress = !release && !wasDown && IsLockKey(virtualKey);
    if (lockPress) Toggled.flip(virtualKey);
    if (release || IsModifier(virtualKey)) return false;
    bool swallow = Examine(event, wasDown, actions, target);
    if (swallow && lockPress) Toggled.flip(virtualKey);
    return swallow;
}

// The key rules for a press in a program the hook serves, in the scope of
// that program and its focus window.
bool TLowLevelHook::Examine(const KbdLlHookStruct& event, bool wasDown, TKeyActions& actions,
                            TInjectedTarget& target) {
    WindowApi& windows = Process.Api.windows;
    Window foreground = windows.GetForegroundWindow();
    std::uint32_t processId = 0;
    std::uint32_t thread = windows.GetWindowThreadProcessId(foreground, &processId);
    TForegroundProgram program = ForegroundProgram(processId);
    if (!program.Served) return false;
    GuiThreadInfo info{};
    info.cbSize = sizeof info;
    Window focus = windows.GetGUIThreadInfo(thread, &info) ? info.hwndFocus : 0;

    TKeyEvent key = KeyEventOf(event, wasDown, IsDialog(focus));
    Process.KeyFlags = Flags();
    TKeyScope scope = ScopeOfKey(Process, program.ProgramFile, focus);
    if (!scope.Acts) return false;
    target = TInjectedTarget{foreground, Process.Api.keyboard.GetKeyboardLayout(thread), HeldSides(),
                             Toggled[VK_CAPITAL]};
    // The hook comes before the system toggles Num Lock: a press it
    // swallows toggles nothing, so no tap of its own is needed to hold Num
    // Lock on.
    bool holdOn = key.VirtualKey == VK_NUMLOCK && scope.Rules && scope.Keypad &&
                  HoldNumLockOn(Process, key) == TNumLockHold::Tapped;
    if (holdOn) Process.NumLockTapDue = false;
    AnnounceLockKey(Process, key);
    return ApplyKeyRules(Process, key, scope, actions) == TVerdict::Swallow || holdOn;
}

// A process that ended leaves the cache when its id comes again, or when
// the cache is full, so that a new process with the id is asked about.
TForegroundProgram TLowLevelHook::ForegroundProgram(std::uint32_t processId) {
    std::lock_guard<std::mutex> hold(ProgramsLock);
    SystemApi& system = Process.Api.system;
    auto ended = [&](const TForegroundProgram& program) {
        return system.WaitForSingleObject(program.Process, 0) == WAIT_OBJECT_0;
    };
    auto found = Programs.find(processId);
    if (found != Programs.end() && !ended(found->second)) return found->second;
    if (found != Programs.end() || Programs.size() >= ProgramsKept) {
        for (auto entry = Programs.begin(); entry != Programs.end();) {
            if (!ended(entry->second)) {
                ++entry;
                continue;
            }
            system.CloseHandle(entry->second.Process);
            entry = Programs.erase(entry);
        }
    }
    TForegroundProgram program = AskAbout(processId);
    if (program.Process != 0 && Programs.size() < ProgramsKept) Programs.emplace(processId, program);
    else if (program.Process != 0) system.CloseHandle(program.Process);
    return program;
}

// A 32-bit process on 64-bit Windows gets the window hook in its own
// process, unless it is a Store app. A process the hook may not ask about
// is left alone, and so is one of a higher integrity level than the tray's.
TForegroundProgram TLowLevelHook::AskAbout(std::uint32_t processId) {
    TForegroundProgram program;
    SystemApi& system = Process.Api.system;
    program.Process = system.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, false, processId);
    bool wow64 = false;
    if (program.Process == 0 || !system.IsWow64Process(program.Process, &wow64)) return program;
    std::uint32_t integrity = IntegrityOf(system, program.Process);
    program.Refused = integrity == 0 || integrity > OwnIntegrity;
    program.Served = !program.Refused && (!wow64 || system.IsImmersiveProcess(program.Process));
    program.ProgramFile = ProgramFileOf(system, program.Process);
    return program;
}

TKeyFlags TLowLevelHook::Flags() const {
    TKeyFlags flags;
    SetKeyFlag(flags, kfShift, Down[VK_LSHIFT] || Down[VK_RSHIFT]);
    SetKeyFlag(flags, kfCtrl, Down[VK_LCONTROL] || Down[VK_RCONTROL]);
    SetKeyFlag(flags, kfAlt, Down[VK_LMENU] || Down[VK_RMENU]);
    SetKeyFlag(flags, kfAltGr, Down[VK_RMENU]);
    SetKeyFlag(flags, kfCapsLock, Toggled[VK_CAPITAL]);
    SetKeyFlag(flags, kfNumLock, Toggled[VK_NUMLOCK]);
    SetKeyFlag(flags, kfScrollLock, Toggled[VK_SCROLL]);
    SetKeyFlag(flags, kfWin, Down[VK_RWIN]);
    return flags;
}

std::uint8_t TLowLevelHook::HeldSides() const {
    std::uint8_t sides = 0;
    for (int side = 0; side < 6; ++side) {
        if (Down[VK_LSHIFT + side]) sides = static_cast<std::uint8_t>(sides | (1u << side));
    }
    return sides;
}

// The low-level event has no dialog-mode bit: the focus is in a dialog box
// when its top-level window is of the dialog class.
bool TLowLevelHook::IsDialog(Window focus) {
    if (focus == 0) return false;
    char name[16];
    std::uint32_t length = Process.Api.windows.RealGetWindowClassA(TopParentWindow(Process, focus), name, sizeof name);
    return std::string_view(name, length) == "#32770";
}

LResult ZV_STDCALL LowLevelHookEntry(int code, WParam wParam, LParam lParam) {
    TLowLevelHook* hook = Installed;
    bool swallow = false;
    if (hook && code == HC_ACTION) {
        try {
            swallow = hook->Decide(*reinterpret_cast<const KbdLlHookStruct*>(lParam));
        } catch (...) {
            swallow = false;
        }
    }
    if (swallow) return 1;
    return InstalledHooks ? InstalledHooks->CallNextHookEx(hook ? hook->Handle : 0, code, wParam, lParam) : 0;
}

// The state stays with the process while the hook is in place; removing
// the hook ends the worker after the job it runs.
HookHandle InstallLowLevel(THookProcess& process, std::uint8_t what) {
    HookApi& hooks = process.Api.hooks;
    InstalledHooks = &hooks;
    std::unique_ptr<TLowLevelHook>& hook = process.LowLevel;
    if (what == 0) {
        if (hook && hooks.UnhookWindowsHookEx(hook->Handle)) {
            Installed = nullptr;
            hook.reset();
        }
        return hook ? hook->Handle : 0;
    }
    if (!hook) {
        hook = std::make_unique<TLowLevelHook>(process);
        Installed = hook.get();
    }
    if (hook->Handle != 0 && (what == 1 || !RemovedByWindows(process, *hook))) return hook->Handle;
    if (hook->Handle != 0) {
        hooks.UnhookWindowsHookEx(hook->Handle);
        hook->Reinstalled();
    }
    hook->Handle = Hook(process);
    hook->LastCall = process.Api.system.GetTickCount();
    return hook->Handle;
}

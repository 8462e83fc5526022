#include "platform/sim/sim_keyboard.h"

#include <cstring>

#include "common/key_bits.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_windows.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {

constexpr std::uint8_t RightShiftScanCode = 0x36;
constexpr std::uint8_t VK_LWIN = 0x5B;

bool IsRelease(const KeyInput& input) { return input.flags & KEYEVENTF_KEYUP; }

// VK_LSHIFT/VK_RSHIFT, VK_LCONTROL/VK_RCONTROL and VK_LMENU/VK_RMENU are
// neighbours that differ in the lowest bit.
std::uint8_t OtherSide(std::uint8_t sideKey) { return sideKey ^ 1; }

}  // namespace

void SimKeyboard::AttachDesktop(SimSystem& system, SimWindows& windows) {
    system_ = &system;
    windows_ = &windows;
}

void SimKeyboard::AttachHooks(SimHooks& hooks, SimThreads& threads) {
    hooks_ = &hooks;
    threads_ = &threads;
}

bool SimKeyboard::WindowsNT() const { return !system_ || system_->IsWindowsNT(); }

std::uint32_t SimKeyboard::CurrentThread() const { return system_ ? system_->GetCurrentProcessId() : 1; }

// With no window in front the keys go to the first process's thread.
std::uint32_t SimKeyboard::ForegroundThread() const {
    std::uint32_t thread = 0;
    if (windows_) windows_->GetWindowThreadProcessId(windows_->GetForegroundWindow(), &thread);
    return thread == 0 ? 1 : thread;
}

SimKeyboard::ThreadState& SimKeyboard::StateOf(std::uint32_t thread) { return threadStates_[thread]; }

const SimKeyboard::ThreadState& SimKeyboard::StateOf(std::uint32_t thread) const {
    static const ThreadState untouched{};
    auto found = threadStates_.find(thread);
    return found == threadStates_.end() ? untouched : found->second;
}

bool SimKeyboard::GetKeyboardState(std::uint8_t state[256]) {
    ++stateReads_;
    ReadThreadState(CurrentThread(), state);
    return true;
}

void SimKeyboard::ReadThreadState(std::uint32_t thread, std::uint8_t state[256]) const {
    const ThreadState& own = StateOf(thread);
    std::memcpy(state, own.data(), own.size());
}

// Only the calling thread's state changes. Windows 95/98 sets the lock
// keys' lights from it as well; Windows NT does not, so there only
// keybd_event switches a lock key for the whole system.
bool SimKeyboard::SetKeyboardState(const std::uint8_t state[256]) {
    ThreadState& own = StateOf(CurrentThread());
    std::memcpy(own.data(), state, own.size());
    if (!WindowsNT()) {
        for (std::uint8_t key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) lockLights_[key] = state[key] & 0x01;
    }
    return true;
}

std::int16_t SimKeyboard::GetAsyncKeyState(int virtualKey) {
    ++stateReads_;
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return asyncDown_[virtualKey] ? static_cast<std::int16_t>(KeyDownBit) : 0;
}

bool SimKeyboard::BlockedByUipi() const {
    if (!system_ || !windows_) return false;
    std::uint32_t foreground = 0;
    windows_->GetWindowThreadProcessId(windows_->GetForegroundWindow(), &foreground);
    return foreground != 0 &&
           system_->IntegrityOf(foreground) > system_->IntegrityOf(system_->GetCurrentProcessId());
}

void SimKeyboard::keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                              std::uintptr_t extraInfo) {
    KeyInput input{virtualKey, scanCode, flags, true};
    input.extraInfo = extraInfo;
    Inject(input);
    RunDueActions();
}

std::uint32_t SimKeyboard::SendInput(std::uint32_t count, const Input* inputs, int size) {
    if (size != static_cast<int>(sizeof(Input))) return 0;
    std::uint32_t inserted = 0;
    while (inserted < count && inputs[inserted].type == INPUT_KEYBOARD) {
        Inject(FromSendInput(inputs[inserted].ki));
        ++inserted;
    }
    RunDueActions();
    return inserted;
}

// A scan code event names its key by the scan code alone, in the layout's
// terms; a Unicode event carries a character instead of a key (KEYBDINPUT:
// with KEYEVENTF_UNICODE the system synthesizes a VK_PACKET keystroke whose
// wScan is the UTF-16 unit, and wVk must be 0).
KeyInput SimKeyboard::FromSendInput(const KeyboardInput& record) const {
    std::uint32_t flags = record.dwFlags & (KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP);
    KeyInput input{static_cast<std::uint8_t>(record.wVk), record.wScan, flags, true};
    if (record.dwFlags & KEYEVENTF_UNICODE) {
        input.virtualKey = VK_PACKET;
        input.flags &= KEYEVENTF_KEYUP;
    } else if (record.dwFlags & KEYEVENTF_SCANCODE) {
        std::uint32_t code = record.wScan | ((flags & KEYEVENTF_EXTENDEDKEY) ? 0xE000u : 0u);
        input.virtualKey = static_cast<std::uint8_t>(LayoutMapVirtualKey(layout_, code, 1));
    }
    input.extraInfo = record.dwExtraInfo;
    input.time = record.time;
    return input;
}

void SimKeyboard::Inject(KeyInput input) {
    input.blocked = BlockedByUipi();
    injected_.push_back(input);
    if (!input.blocked) Enter(input);
    ++injectedTotal_;
}

void SimKeyboard::RunDueActions() {
    std::vector<Scheduled> due;
    std::erase_if(scheduled_, [&](Scheduled& event) {
        if (event.afterInjected > injectedTotal_) return false;
        due.push_back(std::move(event));
        return true;
    });
    for (Scheduled& event : due) event.action();
}

KeyboardLayoutHandle SimKeyboard::GetKeyboardLayout(std::uint32_t threadId) {
    std::uint32_t thread = threadId == 0 ? CurrentThread() : threadId;
    auto found = threadLayouts_.find(thread);
    KeyboardLayout layout = found == threadLayouts_.end() ? layout_ : found->second;
    return layout == KeyboardLayout::German ? 0x04070407 : 0x04090409;
}

bool SimKeyboard::GetLastInputInfo(LastInputInfo* info) {
    if (info->cbSize != sizeof(LastInputInfo)) return false;
    info->dwTime = lastInputTime_;
    return true;
}

std::int16_t SimKeyboard::VkKeyScanA(char character) {
    return LayoutVkKeyScan(layout_, character);
}

// A handle no layout of the machine's names finds no key, as Windows answers
// for a layout that is not loaded.
std::int16_t SimKeyboard::VkKeyScanExA(char character, KeyboardLayoutHandle layout) {
    if (layout == 0x04070407) return LayoutVkKeyScan(KeyboardLayout::German, character);
    if (layout == 0x04090409) return LayoutVkKeyScan(KeyboardLayout::US, character);
    return -1;
}

std::uint32_t SimKeyboard::MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) {
    return LayoutMapVirtualKey(layout_, code, mapType);
}

KeyInput SimKeyboard::UserInput(std::uint8_t virtualKey, bool extended, bool release) const {
    std::uint32_t flags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (release ? KEYEVENTF_KEYUP : 0);
    auto scan = static_cast<std::uint8_t>(LayoutMapVirtualKey(layout_, virtualKey, 0));
    return KeyInput{virtualKey, scan, flags, false};
}

void SimKeyboard::UserEvent(std::uint8_t virtualKey, bool extended, bool release) {
    Enter(UserInput(virtualKey, extended, release));
}

void SimKeyboard::AmidInjected(std::size_t injected, std::function<void()> action) {
    scheduled_.push_back({injectedTotal_ + injected, std::move(action)});
}

void SimKeyboard::UserEventAmidInjected(std::size_t injected, std::uint8_t virtualKey,
                                        bool extended, bool release) {
    KeyInput input = UserInput(virtualKey, extended, release);
    AmidInjected(injected, [this, input] { Enter(input); });
}

bool SimKeyboard::EnterNextScheduled() {
    if (scheduled_.empty()) return false;
    std::function<void()> action = std::move(scheduled_.front().action);
    scheduled_.erase(scheduled_.begin());
    action();
    return true;
}

KeyInput SimKeyboard::TakeInput() {
    current_ = queue_.front();
    queue_.pop_front();
    TakeStateUpdate(current_);
    return current_;
}

// The keys that are down, and the lock keys as their lights show them.
SimKeyboard::ThreadState SimKeyboard::AsyncSnapshot() const {
    ThreadState state{};
    for (int key = 0; key < 256; ++key) state[key] = asyncDown_[key] ? 0x80 : 0;
    for (std::uint8_t key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) state[key] |= lockLights_[key] ? 0x01 : 0;
    return state;
}

// The toggle bits of keys other than the lock keys stay as the thread had
// them.
void SimKeyboard::TakeStateUpdate(const KeyInput& input) {
    auto update = updateBefore_.find(input.sequence);
    if (update == updateBefore_.end()) return;
    ThreadState& state = StateOf(input.thread);
    for (int key = 0; key < 256; ++key) {
        bool lockKey = IsLockKey(static_cast<std::uint8_t>(key));
        state[key] = static_cast<std::uint8_t>(lockKey ? update->second[key]
                                                       : (update->second[key] & 0x80) | (state[key] & 0x01));
    }
    updateBefore_.erase(update);
}

// While low-level hooks are installed, or events still wait for them, an
// event waits its turn for them; it is input all the same.
void SimKeyboard::Enter(KeyInput input) {
    std::uint32_t now = system_ ? system_->GetTickCount() : 0;
    if (input.time == 0) input.time = now;
    lastInputTime_ = now;
    if ((hooks_ && hooks_->HasLowLevelHooks()) || !raw_.empty()) {
        raw_.push_back(input);
    } else {
        EnterSystem(input);
    }
}

// Another thread leading the events through already: this one waits for
// it to finish.
void SimKeyboard::PassRawInput() {
    if (passing_) {
        if (threads_) threads_->Wait([this] { return !passing_; }, INFINITE);
        return;
    }
    passing_ = true;
    while (!raw_.empty()) {
        KeyInput input = raw_.front();
        raw_.pop_front();
        if (RunLowLevelHooks(input) == 0) EnterSystem(input);
    }
    passing_ = false;
}

// What a low-level hook is told, from the state before the event: the
// side of a modifier key, and Alt as held, not as the event leaves it.
LResult SimKeyboard::RunLowLevelHooks(const KeyInput& input) {
    Sides sides = SidesOf(input);
    bool release = IsRelease(input);
    bool extended = IsExtended(input, sides);
    bool alt = sides.generic == VK_MENU ? !release : asyncDown_[VK_MENU];
    bool systemKey = alt && !asyncDown_[VK_CONTROL];
    WParam message = release ? (systemKey ? WM_SYSKEYUP : WM_KEYUP) : (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN);
    std::uint32_t flags = (extended ? LLKHF_EXTENDED : 0u) | (input.injected ? LLKHF_INJECTED : 0u) |
                          (alt ? LLKHF_ALTDOWN : 0u) | (release ? LLKHF_UP : 0u);
    KbdLlHookStruct event{sides.specific, input.scanCode, flags, input.time, input.extraInfo};
    return hooks_->RunLowLevelHooks(message, event);
}

// The event enters the system: the asynchronous state and the lights follow
// the keys themselves, a hot key's events go no further, the rest queue up
// for the thread in front, after the key state update of a thread that has
// just got the keyboard.
void SimKeyboard::EnterSystem(KeyInput input) {
    input.thread = ForegroundThread();
    if (input.thread != lastInputThread_) {
        pendingUpdates_[input.thread] = AsyncSnapshot();
        lastInputThread_ = input.thread;
    }
    UpdateAsyncState(input);
    if (IsHotKeyEvent(input)) return;
    input.sequence = nextSequence_++;
    auto pending = pendingUpdates_.find(input.thread);
    if (pending != pendingUpdates_.end()) {
        updateBefore_[input.sequence] = pending->second;
        pendingUpdates_.erase(pending);
    }
    queue_.push_back(input);
}

void SimKeyboard::UpdateAsyncState(KeyInput& input) {
    Sides sides = SidesOf(input);
    bool down = !IsRelease(input);
    input.wasDown = asyncDown_[sides.specific];
    if (down && !input.wasDown && IsLockKey(sides.generic)) lockLights_[sides.generic] = !lockLights_[sides.generic];
    asyncDown_[sides.specific] = down;
    if (sides.generic != sides.specific) {
        asyncDown_[sides.generic] = down || asyncDown_[OtherSide(sides.specific)];
    }
}

bool SimKeyboard::IsHotKeyEvent(const KeyInput& input) const {
    bool win = asyncDown_[VK_LWIN] || asyncDown_[VK_RWIN];
    for (const HotKey& hotKey : hotKeys_) {
        if (hotKey.virtualKey == input.virtualKey && hotKey.shift == asyncDown_[VK_SHIFT] &&
            hotKey.ctrl == asyncDown_[VK_CONTROL] && hotKey.alt == asyncDown_[VK_MENU] && hotKey.win == win) {
            return true;
        }
    }
    return false;
}

// The right Alt and Ctrl keys are extended keys however they were named.
bool SimKeyboard::IsExtended(const KeyInput& input, Sides sides) {
    return (input.flags & KEYEVENTF_EXTENDEDKEY) || sides.specific == VK_RMENU || sides.specific == VK_RCONTROL;
}

SimKeyboard::Sides SimKeyboard::SidesOf(const KeyInput& input) {
    bool extended = input.flags & KEYEVENTF_EXTENDEDKEY;
    switch (input.virtualKey) {
        case VK_SHIFT:
            return {VK_SHIFT, input.scanCode == RightShiftScanCode ? VK_RSHIFT : VK_LSHIFT};
        case VK_CONTROL:
            return {VK_CONTROL, extended ? VK_RCONTROL : VK_LCONTROL};
        case VK_MENU:
            return {VK_MENU, extended ? VK_RMENU : VK_LMENU};
        case VK_LSHIFT:
        case VK_RSHIFT:
            return {VK_SHIFT, input.virtualKey};
        case VK_LCONTROL:
        case VK_RCONTROL:
            return {VK_CONTROL, input.virtualKey};
        case VK_LMENU:
        case VK_RMENU:
            return {VK_MENU, input.virtualKey};
        default:
            return {input.virtualKey, input.virtualKey};
    }
}

// Key data as the hook and the window see it: repeat count 1, scan code,
// extended bit 24, Alt context bit 29, previous state bit 30 (set for a
// repeat and for every release), transition bit 31.
SimKeyboard::Delivered SimKeyboard::KeyDataFor(const KeyInput& input) const {
    Sides sides = SidesOf(input);
    bool release = IsRelease(input);
    bool extended = IsExtended(input, sides);
    bool altDown = (StateOf(input.thread)[VK_MENU] & 0x80) || (sides.generic == VK_MENU && !release);
    bool wasDown = release || input.wasDown;
    std::uint32_t keyData = 1u | (std::uint32_t(input.scanCode & 0xFF) << 16) |
                            (extended ? ExtendedKeyBit : 0u) | (altDown ? AltContextBit : 0u) |
                            (wasDown ? PreviousStateBit : 0u) | (release ? TransitionBit : 0u);
    return {sides.generic, keyData};
}

void SimKeyboard::ApplyToThreadState(const KeyInput& input) {
    ThreadState& state = StateOf(input.thread);
    Sides sides = SidesOf(input);
    if (IsRelease(input)) {
        state[sides.specific] &= 0x7F;
        bool otherSideDown = sides.generic != sides.specific && (state[OtherSide(sides.specific)] & 0x80);
        if (!otherSideDown) state[sides.generic] &= 0x7F;
        return;
    }
    bool firstPress = !(state[sides.specific] & 0x80);
    if (firstPress && IsLockKey(sides.generic)) state[sides.generic] ^= 0x01;
    state[sides.specific] |= 0x80;
    state[sides.generic] |= 0x80;
}

bool SimKeyboard::IsThreadKeyDown(std::uint8_t virtualKey, std::uint32_t thread) const {
    return StateOf(thread)[virtualKey] & 0x80;
}

bool SimKeyboard::IsThreadKeyToggled(std::uint8_t virtualKey, std::uint32_t thread) const {
    return StateOf(thread)[virtualKey] & 0x01;
}

}  // namespace sim

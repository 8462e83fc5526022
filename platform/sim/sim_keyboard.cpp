#include "platform/sim/sim_keyboard.h"

#include <cstring>

#include "common/key_bits.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {

constexpr std::uint8_t RightShiftScanCode = 0x36;

bool IsLockKey(std::uint8_t key) {
    return key == VK_CAPITAL || key == VK_NUMLOCK || key == VK_SCROLL;
}

bool IsRelease(const KeyInput& input) { return input.flags & KEYEVENTF_KEYUP; }

// VK_LSHIFT/VK_RSHIFT, VK_LCONTROL/VK_RCONTROL and VK_LMENU/VK_RMENU are
// neighbours that differ in the lowest bit.
std::uint8_t OtherSide(std::uint8_t sideKey) { return sideKey ^ 1; }

}  // namespace

bool SimKeyboard::GetKeyboardState(std::uint8_t state[256]) {
    std::memcpy(state, threadState_, sizeof threadState_);
    return true;
}

bool SimKeyboard::SetKeyboardState(const std::uint8_t state[256]) {
    std::memcpy(threadState_, state, sizeof threadState_);
    return true;
}

std::int16_t SimKeyboard::GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return asyncDown_[virtualKey] ? static_cast<std::int16_t>(KeyDownBit) : 0;
}

void SimKeyboard::keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                              std::uintptr_t) {
    KeyInput input{virtualKey, scanCode, flags, true};
    injected_.push_back(input);
    Enqueue(input);
    ++injectedTotal_;
    EnterScheduled();
}

std::int16_t SimKeyboard::VkKeyScanA(char character) {
    return LayoutVkKeyScan(layout_, character);
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
    Enqueue(UserInput(virtualKey, extended, release));
}

void SimKeyboard::UserEventAmidInjected(std::size_t injected, std::uint8_t virtualKey,
                                        bool extended, bool release) {
    scheduled_.push_back({injectedTotal_ + injected, UserInput(virtualKey, extended, release)});
}

void SimKeyboard::EnterScheduled() {
    auto due = [&](const Scheduled& event) { return event.afterInjected <= injectedTotal_; };
    for (const Scheduled& event : scheduled_) {
        if (due(event)) Enqueue(event.input);
    }
    std::erase_if(scheduled_, due);
}

bool SimKeyboard::EnterNextScheduled() {
    if (scheduled_.empty()) return false;
    Enqueue(scheduled_.front().input);
    scheduled_.erase(scheduled_.begin());
    return true;
}

KeyInput SimKeyboard::TakeInput() {
    current_ = queue_.front();
    queue_.pop_front();
    return current_;
}

// The asynchronous state follows the input queue, not the thread.
void SimKeyboard::Enqueue(KeyInput input) {
    Sides sides = SidesOf(input);
    bool down = !IsRelease(input);
    input.wasDown = asyncDown_[sides.specific];
    asyncDown_[sides.specific] = down;
    if (sides.generic != sides.specific) {
        asyncDown_[sides.generic] = down || asyncDown_[OtherSide(sides.specific)];
    }
    queue_.push_back(input);
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
    bool extended = (input.flags & KEYEVENTF_EXTENDEDKEY) || sides.specific == VK_RMENU ||
                    sides.specific == VK_RCONTROL;
    bool altDown = (threadState_[VK_MENU] & 0x80) || (sides.generic == VK_MENU && !release);
    bool wasDown = release || input.wasDown;
    std::uint32_t keyData = 1u | (std::uint32_t(input.scanCode) << 16) |
                            (extended ? ExtendedKeyBit : 0u) | (altDown ? AltContextBit : 0u) |
                            (wasDown ? PreviousStateBit : 0u) | (release ? TransitionBit : 0u);
    return {sides.generic, keyData};
}

void SimKeyboard::ApplyToThreadState(const KeyInput& input) {
    Sides sides = SidesOf(input);
    if (IsRelease(input)) {
        threadState_[sides.specific] &= 0x7F;
        bool otherSideDown = sides.generic != sides.specific &&
                             (threadState_[OtherSide(sides.specific)] & 0x80);
        if (!otherSideDown) threadState_[sides.generic] &= 0x7F;
        return;
    }
    bool firstPress = !(threadState_[sides.specific] & 0x80);
    if (firstPress && IsLockKey(sides.generic)) threadState_[sides.generic] ^= 0x01;
    threadState_[sides.specific] |= 0x80;
    threadState_[sides.generic] |= 0x80;
}

}  // namespace sim

#include "hook/synthesised_events.h"

#include "hook/key_event.h"
#include "platform/win_constants.h"

using namespace win;

namespace {
// The same on every layout: the scan code set of the PC keyboard.
constexpr std::uint8_t RightShiftScanCode = 0x36;
}  // namespace

TEventKey EventKeyOf(std::uint16_t virtualKey, std::uint32_t keyData) {
    auto key = static_cast<std::uint8_t>(virtualKey & 0xFF);
    bool right = key == VK_SHIFT ? ((keyData >> 16) & 0xFF) == RightShiftScanCode
                                 : (keyData & ExtendedKeyBit) != 0;
    return {key, right};
}

TEventKey SentEventKey(std::uint8_t virtualKey, std::uint8_t scanCode, bool extended) {
    switch (virtualKey) {
        case VK_SHIFT:
        case VK_LSHIFT:
        case VK_RSHIFT: return {VK_SHIFT, scanCode == RightShiftScanCode};
        case VK_LCONTROL: return {VK_CONTROL, extended};
        case VK_RCONTROL: return {VK_CONTROL, true};
        case VK_LMENU: return {VK_MENU, extended};
        case VK_RMENU: return {VK_MENU, true};
        default: return {virtualKey, extended};
    }
}

void TSynthesisedEvents::Expect(TEventKey key, bool release) { expected_.push_back({key, release}); }

bool TSynthesisedEvents::Recognise(TEventKey key, bool release) {
    if (expected_.empty() || !(expected_.front().key == key) || expected_.front().release != release) {
        return false;
    }
    expected_.pop_front();
    return true;
}

std::optional<bool> TSynthesisedEvents::FinalDown(TEventKey key) const {
    for (auto event = expected_.rbegin(); event != expected_.rend(); ++event) {
        if (event->key == key) return !event->release;
    }
    return std::nullopt;
}

bool TSynthesisedEvents::TogglesPending(std::uint8_t virtualKey) const {
    bool odd = false;
    for (const Expected& event : expected_) {
        if (event.key.VirtualKey == virtualKey && !event.release) odd = !odd;
    }
    return odd;
}

#include "hook/synthesised_events.h"

#include <algorithm>

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

void TSynthesisedEvents::Expect(TEventKey key, bool release, std::uint32_t now) {
    expected_.push_back({key, release, false});
    lastSign_ = now;
}

std::optional<std::size_t> TSynthesisedEvents::Find(TEventKey key, bool release, std::size_t from,
                                                     std::size_t to) const {
    for (std::size_t i = from; i < to; ++i) {
        if (expected_[i].key == key && expected_[i].release == release) return i;
    }
    return std::nullopt;
}

// The entries before the one taken were lost, unless they come after all.
bool TSynthesisedEvents::Take(std::size_t index, std::uint32_t now) {
    for (std::size_t i = 0; i < index; ++i) expected_[i].mayBeLost = true;
    expected_.erase(expected_.begin() + static_cast<std::ptrdiff_t>(index));
    lastSign_ = now;
    return true;
}

bool TSynthesisedEvents::Recognise(TEventKey key, bool release, std::uint32_t now) {
    if (expected_.empty()) return false;
    const Expected& front = expected_.front();
    if (!front.mayBeLost && front.key == key && front.release == release) return Take(0, now);

    // Entries that may have been lost come first, in order, or never.
    std::size_t uncertain = 0;
    while (uncertain < expected_.size() && expected_[uncertain].mayBeLost) ++uncertain;
    if (std::optional<std::size_t> found = Find(key, release, 0, uncertain)) {
        expected_.erase(expected_.begin(), expected_.begin() + static_cast<std::ptrdiff_t>(*found));
        return Take(0, now);
    }
    expected_.erase(expected_.begin(), expected_.begin() + static_cast<std::ptrdiff_t>(uncertain));
    if (expected_.empty()) return false;

    if (expected_.front().key == key && expected_.front().release == release) return Take(0, now);
    if (now - lastSign_ > AgeLimit) {
        expected_.clear();
        return false;
    }
    std::optional<std::size_t> later = Find(key, release, 1, std::min(expected_.size(), ResyncReach + 1));
    return later && Take(*later, now);
}

void TSynthesisedEvents::MayBeLost(std::size_t count) {
    for (std::size_t i = expected_.size() - std::min(count, expected_.size()); i < expected_.size(); ++i) {
        expected_[i].mayBeLost = true;
    }
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

bool TSynthesisedEvents::ReleasePending(std::uint8_t virtualKey) const {
    for (const Expected& event : expected_) {
        if (event.key.VirtualKey == virtualKey && event.release) return true;
    }
    return false;
}

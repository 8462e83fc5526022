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
    expected_.push_back({key, release, Doubt::None});
    lastSign_ = now;
}

bool TSynthesisedEvents::Matches(std::size_t index, TEventKey key, bool release) const {
    return expected_[index].key == key && expected_[index].release == release;
}

// The first of the skipped entries came: none of them was lost.
TEventOrigin TSynthesisedEvents::TakeFront(std::uint32_t now) {
    bool skipped = expected_.front().doubt == Doubt::Skipped;
    lastTaken_ = expected_.front();
    expected_.pop_front();
    for (std::size_t i = 0; skipped && i < expected_.size(); ++i) {
        Doubt& doubt = expected_[i].doubt;
        if (doubt != Doubt::Skipped && doubt != Doubt::Matched) break;
        doubt = Doubt::None;
    }
    lastSign_ = now;
    return TEventOrigin::Own;
}

TEventOrigin TSynthesisedEvents::NotTaken(TEventKey key, bool release) const {
    for (std::size_t i = 0; i < expected_.size(); ++i) {
        if (Matches(i, key, release)) return TEventOrigin::SameAsOwn;
    }
    return TEventOrigin::Person;
}

TEventOrigin TSynthesisedEvents::Judge(TEventKey key, bool release, std::uint32_t now) {
    if (expected_.empty()) return TEventOrigin::Person;
    if (Matches(0, key, release)) return TakeFront(now);
    if (now - lastSign_ > AgeLimit) {
        expected_.clear();
        return TEventOrigin::Person;
    }
    // The same as the entry taken last: a person's event took its place,
    // and this is the library's own, in the person's. It settles nothing.
    if (lastTaken_ && lastTaken_->key == key && lastTaken_->release == release) {
        lastTaken_.reset();
        return TEventOrigin::Person;
    }
    if (expected_.front().doubt == Doubt::Elsewhere) {
        while (!expected_.empty() && expected_.front().doubt == Doubt::Elsewhere) expected_.pop_front();
        if (expected_.empty()) return TEventOrigin::Person;
        if (Matches(0, key, release)) return TakeFront(now);
    }
    std::size_t doubted = 0;
    while (doubted < expected_.size() && expected_[doubted].doubt != Doubt::None) ++doubted;
    if (doubted > 0) {
        // The library's own events went past the doubted ones: they were
        // lost. Anything else settles nothing.
        if (doubted == expected_.size() || !Matches(doubted, key, release)) return NotTaken(key, release);
        expected_.erase(expected_.begin(), expected_.begin() + static_cast<std::ptrdiff_t>(doubted));
        return TakeFront(now);
    }
    for (std::size_t later = 1; later <= ResyncReach && later < expected_.size(); ++later) {
        if (!Matches(later, key, release)) continue;
        for (std::size_t i = 0; i < later; ++i) {
            if (expected_[i].doubt == Doubt::None) expected_[i].doubt = Doubt::Skipped;
        }
        // A person's tap that matched a press of the library's matches its
        // release next: that would tell nothing either.
        for (std::size_t i = later; i < expected_.size() && expected_[i].key == key; ++i) {
            if (expected_[i].doubt == Doubt::None) expected_[i].doubt = Doubt::Matched;
        }
        break;
    }
    return NotTaken(key, release);
}

void TSynthesisedEvents::MayHaveGoneElsewhere(std::size_t count) {
    for (std::size_t i = expected_.size() - std::min(count, expected_.size()); i < expected_.size(); ++i) {
        expected_[i].doubt = Doubt::Elsewhere;
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

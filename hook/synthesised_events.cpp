#include "hook/synthesised_events.h"

#include <algorithm>
#include <utility>

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
    lastMade_ = now;
}

bool TSynthesisedEvents::Matches(std::size_t index, TEventKey key, bool release) const {
    return expected_[index].key == key && expected_[index].release == release;
}

// The library's own events are where the record says: none was lost, and
// the doubtful events were the person's.
TEventOrigin TSynthesisedEvents::TakeFront(std::uint32_t now) {
    if (nextIfLost_) confirmed_.insert(confirmed_.end(), doubtful_.begin(), doubtful_.end());
    nextIfLost_.reset();
    doubtful_.clear();
    lastTaken_ = expected_.front();
    expected_.pop_front();
    lastSign_ = now;
    return TEventOrigin::Own;
}

TEventOrigin TSynthesisedEvents::Judge(TEventKey key, bool release, std::uint32_t now) {
    std::optional<Expected> lastTaken = std::exchange(lastTaken_, std::nullopt);
    if (expected_.empty()) return TEventOrigin::Person;
    if (Matches(0, key, release)) return TakeFront(now);
    if (now - lastSign_ > AgeLimit) {
        expected_.clear();
        nextIfLost_.reset();
        doubtful_.clear();
        return TEventOrigin::Person;
    }
    // The same as the entry taken by the event just before: a person's
    // event took its place, and this is the library's own, in the person's.
    // It settles nothing.
    if (lastTaken && lastTaken->key == key && lastTaken->release == release) return TEventOrigin::Person;
    if (expected_.front().elsewhere) {
        while (!expected_.empty() && expected_.front().elsewhere) expected_.pop_front();
        nextIfLost_.reset();
        if (expected_.empty()) return TEventOrigin::Person;
        if (Matches(0, key, release)) return TakeFront(now);
    }
    // Two of the library's own events in a row went past the entries in
    // question: those were lost, and the doubtful event was the library's
    // own. One could be a person's key that happens to match.
    if (nextIfLost_ && *nextIfLost_ < expected_.size() && Matches(*nextIfLost_, key, release)) {
        if (signOfLoss_) {
            expected_.erase(expected_.begin(), expected_.begin() + static_cast<std::ptrdiff_t>(*nextIfLost_));
            nextIfLost_.reset();
            doubtful_.clear();
            return TakeFront(now);
        }
        // Taken in any case: were it a person's key, the library's own
        // would come in its place.
        signOfLoss_ = true;
        lastTaken_ = expected_[*nextIfLost_];
        expected_.erase(expected_.begin() + static_cast<std::ptrdiff_t>(*nextIfLost_));
        lastSign_ = now;
        return TEventOrigin::Own;
    }
    for (std::size_t later = 1; later < expected_.size(); ++later) {
        if (!Matches(later, key, release)) continue;
        // A person's tap that matched a press of the library's matches its
        // release next: that would tell nothing.
        std::size_t next = later + 1;
        if (!release && next < expected_.size() && Matches(next, key, true)) ++next;
        nextIfLost_ = next;
        signOfLoss_ = false;
        return TEventOrigin::Doubtful;
    }
    return TEventOrigin::Person;
}

std::vector<std::pair<TEventKey, bool>> TSynthesisedEvents::TakeConfirmed() {
    std::vector<std::pair<TEventKey, bool>> confirmed;
    confirmed.swap(confirmed_);
    return confirmed;
}

void TSynthesisedEvents::MayHaveGoneElsewhere(std::size_t count) {
    for (std::size_t i = expected_.size() - std::min(count, expected_.size()); i < expected_.size(); ++i) {
        expected_[i].elsewhere = true;
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

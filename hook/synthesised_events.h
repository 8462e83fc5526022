#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

// A key as the hook procedure can tell it from another: the virtual key its
// message carries (the generic VK_SHIFT, VK_CONTROL and VK_MENU for either
// side) and whether it is the right-hand one of a pair. The right Shift key
// has a scan code of its own; the right Ctrl and Alt keys carry the extended
// bit, as do the navigation keys beside their keypad twins.
struct TEventKey {
    std::uint8_t VirtualKey = 0;
    bool Right = false;
    bool operator==(const TEventKey&) const = default;
};

// The key of an event the hook receives, from its virtual key and key data.
TEventKey EventKeyOf(std::uint16_t virtualKey, std::uint32_t keyData);
// The key of an event keybd_event is asked for, with its scan code and
// extended flag: a side-specific code (VK_RSHIFT ...) arrives as its generic
// key, and a Shift key's side is in the scan code given.
TEventKey SentEventKey(std::uint8_t virtualKey, std::uint8_t scanCode, bool extended);

// The key events the library has synthesised and the hook has not seen yet,
// in the order they were made. Windows queues them after everything already
// in the input queue and delivers them in that order, but a person's own key
// events arrive in between, in time order; so an event is the library's own
// only when it is the next one expected. A person's event that happens to be
// the same as that one is taken in its place, which changes nothing: the
// library's own then comes where the person's would have.
class TSynthesisedEvents {
public:
    void Expect(TEventKey key, bool release);
    // True when the event is the next one expected; it is then no longer.
    bool Recognise(TEventKey key, bool release);
    std::size_t Size() const { return expected_.size(); }
    // Whether the key will be down once the expected events have passed;
    // nothing when none of them is of that key.
    std::optional<bool> FinalDown(TEventKey key) const;
    // Whether the presses of the key still to come toggle it an odd number
    // of times (a lock key).
    bool TogglesPending(std::uint8_t virtualKey) const;

private:
    struct Expected {
        TEventKey key;
        bool release;
    };
    std::deque<Expected> expected_;
};

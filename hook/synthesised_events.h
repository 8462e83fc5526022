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
// when it is the next one expected. A person's event that happens to be the
// same as that one is taken in its place, which changes nothing: the
// library's own then comes where the person's would have.
//
// Windows also loses some of them for good: a combination the system keeps
// for itself (Win+R), another program's hook that swallows a key, the focus
// moving to another program, an elevated window that UIPI keeps them from.
// So the record resynchronises by itself, never by being cleared while its
// events may still come:
//   - an event that matches one of the next few entries is taken for it,
//     and the entries before it may have been lost: they stay expected for
//     one more event only, which shows whether they still come (when the
//     person's key matched by chance, they do: it was the person's, typed
//     ahead of them, and the library's own stands in for it later). A loss
//     takes a key's press and release, or a few more; a person's key that
//     matches an entry further on is the person's;
//   - events that may have gone to another window are kept the same way
//     once they come first;
//   - when nothing expected has come for AgeLimit milliseconds, no more of
//     it will: the input queue delivers the library's events within
//     moments once the hook that made them has returned.
class TSynthesisedEvents {
public:
    static constexpr std::uint32_t AgeLimit = 1000;
    static constexpr std::size_t ResyncReach = 4;

    // now: GetTickCount's milliseconds.
    void Expect(TEventKey key, bool release, std::uint32_t now);
    // True when the event is taken for one expected; it is then no longer.
    bool Recognise(TEventKey key, bool release, std::uint32_t now);
    // The last `count` events made may have gone to another window.
    void MayBeLost(std::size_t count);
    bool Empty() const { return expected_.empty(); }
    std::size_t Size() const { return expected_.size(); }
    // Whether the key will be down once the expected events have passed;
    // nothing when none of them is of that key.
    std::optional<bool> FinalDown(TEventKey key) const;
    // Whether the presses of the key still to come toggle it an odd number
    // of times (a lock key).
    bool TogglesPending(std::uint8_t virtualKey) const;
    // Whether a release of the key, on either side, is still to come.
    bool ReleasePending(std::uint8_t virtualKey) const;

private:
    struct Expected {
        TEventKey key;
        bool release;
        bool mayBeLost;
    };
    std::optional<std::size_t> Find(TEventKey key, bool release, std::size_t from, std::size_t to) const;
    bool Take(std::size_t index, std::uint32_t now);
    std::deque<Expected> expected_;
    std::uint32_t lastSign_ = 0;
};

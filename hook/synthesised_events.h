#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

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

// What an event is to the library: one of its own; the same as one of its
// own still to come (Doubtful: the person's, typed ahead of the ones before
// that, or the library's own after those were lost; the next events tell);
// or plainly the person's. Only the person's is examined by the rules: a
// text typed anew must never set itself off again. A doubtful one keeps
// the modifier state as the person's, and is kept as the person left it
// once it is known to be theirs.
enum class TEventOrigin { Own, Doubtful, Person };

// The key events the library has synthesised and the hook has not seen yet,
// in the order they were made. Windows queues them after everything already
// in the input queue and delivers them in that order, but a person's own key
// events arrive in between, in time order; so an event is the library's own
// when it is the next one expected. A person's event that happens to be the
// same as that one is taken in its place, which changes nothing: the
// library's own then comes where the person's would have, and is handled as
// the person's.
//
// Windows also loses some of them for good: a combination the system keeps
// for itself (Win+R), another program's hook that swallows a key, the focus
// moving to another program, an elevated window that UIPI keeps them from.
// So the record resynchronises by itself, never by being cleared while its
// events may still come:
//   - an event that matches a later entry (the first such) may be the
//     person's, typed ahead of the entries before it, or the library's own
//     after those were lost. The library's own events settle it: the first
//     entry, and none was lost; the two entries after the matched one, one
//     after the other (after its release, when a press matched: a person's
//     tap matches a press and then a release), and the ones before were
//     lost. Any other event that matches a later entry takes the question
//     over. An event the same as the entry that the event just before took
//     is no sign either way: it is the library's own that a person's event
//     stood in for;
//   - the events made while the focus moved to another window came here
//     first of all, as far as they came: an event that is not the next of
//     them means the rest went elsewhere;
//   - when nothing expected has come for AgeLimit milliseconds, no more of
//     it will: the input queue delivers the library's events within moments
//     once the hook that made them has returned.
class TSynthesisedEvents {
public:
    static constexpr std::uint32_t AgeLimit = 1000;

    // now: GetTickCount's milliseconds.
    void Expect(TEventKey key, bool release, std::uint32_t now);
    // Own when the event is taken for one expected, which is then no
    // longer expected.
    TEventOrigin Judge(TEventKey key, bool release, std::uint32_t now);
    // The last `count` events made may have gone to another window.
    void MayHaveGoneElsewhere(std::size_t count);
    bool Empty() const { return expected_.empty(); }
    // Milliseconds since the library last made an event; nothing before
    // the first.
    std::optional<std::uint32_t> SinceLastMade(std::uint32_t now) const {
        return lastMade_ ? std::optional<std::uint32_t>(now - *lastMade_) : std::nullopt;
    }
    std::size_t Size() const { return expected_.size(); }
    // Whether the key will be down once the expected events have passed;
    // nothing when none of them is of that key.
    std::optional<bool> FinalDown(TEventKey key) const;
    // Whether the presses of the key still to come toggle it an odd number
    // of times (a lock key).
    bool TogglesPending(std::uint8_t virtualKey) const;
    // Whether a release of the key, on either side, is still to come.
    bool ReleasePending(std::uint8_t virtualKey) const;

    // A modifier press judged Doubtful, which is the person's only if no
    // entry was lost; then, and only then, it is handed back by
    // TakeConfirmed, to be kept as the person left it.
    void NoteDoubtful(TEventKey key, bool down) { doubtful_.push_back({key, down}); }
    std::vector<std::pair<TEventKey, bool>> TakeConfirmed();

private:
    struct Expected {
        TEventKey key;
        bool release;
        bool elsewhere;  // made while the focus moved away
    };
    bool Matches(std::size_t index, TEventKey key, bool release) const;
    TEventOrigin TakeFront(std::uint32_t now);
    std::deque<Expected> expected_;
    // While it is open whether entries were lost: the entry that comes next
    // if they were, and whether the one before it came already.
    std::optional<std::size_t> nextIfLost_;
    bool signOfLoss_ = false;
    std::vector<std::pair<TEventKey, bool>> doubtful_;
    std::vector<std::pair<TEventKey, bool>> confirmed_;
    std::optional<Expected> lastTaken_;
    std::uint32_t lastSign_ = 0;
    std::optional<std::uint32_t> lastMade_;
};

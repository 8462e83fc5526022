#pragma once
// A simulated machine with the hook installed by a stand-in for the tray
// program, and an application process whose library state the hook uses.
// A watcher hook runs in front of the library's and checks at every event
// that the library expects exactly the synthesised events still on their
// way: none when a user's key arrives, and one less at each synthesised
// event after it. Every user action is delivered completely
// before the next, and then checked as a whole.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "fuzz/tray_stand_in.h"
#include "hook/hook_process.h"
#include "platform/sim/sim_machine.h"

class HookedDesk {
public:
    static constexpr win::Instance LibraryModule = 0x10000000;

    HookedDesk(sim::KeyboardLayout layout, bool windowsNT);
    ~HookedDesk();
    HookedDesk(const HookedDesk&) = delete;
    HookedDesk& operator=(const HookedDesk&) = delete;

    sim::SimMachine machine;
    std::unique_ptr<TrayStandIn> tray;
    std::unique_ptr<THookProcess> app;

    // The user at the keyboard; the desk remembers what the user holds.
    void Press(std::uint8_t virtualKey, bool extended = false);
    void Release(std::uint8_t virtualKey, bool extended = false);
    void ReleaseEverything();
    // Types the text in the application's process as a key rule does, and
    // delivers what it synthesised.
    void Type(const std::wstring& text);
    bool Holds(std::uint8_t virtualKey, bool extended) const {
        return held_.count({virtualKey, extended}) > 0;
    }

    // The tray program plays every sound the hook asked for since the last
    // call, as its window procedure would.
    void PlayRequestedSounds();

    // No Shift, Ctrl, Alt or Windows key is down, in the application's
    // thread or in the asynchronous state.
    void CheckNoModifierDown() const;
    // Every modifier key that is down is one the user holds.
    void CheckOnlyHeldModifiersDown() const;

    // The key events the application received, and the keybd_event calls.
    std::size_t AppMessageCount() const { return machine.AppMessages().size(); }
    std::size_t InjectedCount() const { return machine.keyboard.InjectedLog().size(); }

    // Whether the library swallowed the user's last key.
    bool LastKeySwallowed() const { return userKeySwallowed_; }

private:
    static std::pair<std::uint8_t, bool> Canonical(std::uint8_t virtualKey, bool extended);
    static win::LResult ZV_STDCALL Watch(int code, win::WParam wParam, win::LParam lParam);
    void UserAction(std::uint8_t virtualKey, bool extended, bool release);
    void CheckDelivered(std::size_t messagesBefore) const;
    void CheckHandlesClosed() const;

    std::size_t sounds_ = 0;
    std::size_t openHandles_ = 0;
    std::set<std::pair<std::uint8_t, bool>> held_;
    // Of the action being delivered.
    std::size_t injectedBefore_ = 0;
    std::size_t eventsSeen_ = 0;
    bool userKeySwallowed_ = false;
};

// A text the layout types exactly: printable characters only, no escapes,
// and on the German layout none of the dead keys, which wait for the next
// character to combine with. Characters outside code page 1252 go as
// Unicode events, which a Unicode window receives as they are.
bool TypesExactly(const std::wstring& text, sim::KeyboardLayout layout);

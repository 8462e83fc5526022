#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_layouts.h"

namespace sim {

// One key event on its way to the application.
struct KeyInput {
    std::uint8_t virtualKey;
    std::uint8_t scanCode;
    std::uint32_t flags;  // KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP
    bool injected;        // made by keybd_event, not by the user
    // The key was down before this event, as the input queue saw it: the
    // key data's previous-state bit, which a swallowed press still sets for
    // its repeats.
    bool wasDown = false;
};

// The keyboard as one thread of the application sees it. Like Windows, it
// keeps two states: the asynchronous state changes the moment an event
// enters the input queue (keybd_event included), the thread's state only
// when the thread takes the event and the hooks let it pass. Left and right
// modifiers are told apart, so releasing the generic VK_MENU releases only
// the left Alt key.
class SimKeyboard final : public win::KeyboardApi {
public:
    bool GetKeyboardState(std::uint8_t state[256]) override;
    bool SetKeyboardState(const std::uint8_t state[256]) override;
    std::int16_t GetAsyncKeyState(int virtualKey) override;
    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    std::int16_t VkKeyScanA(char character) override;
    std::uint32_t MapVirtualKeyA(std::uint32_t code, std::uint32_t mapType) override;

    void SetLayout(KeyboardLayout layout) { layout_ = layout; }
    KeyboardLayout Layout() const { return layout_; }

    // A key pressed or released by the user.
    void UserEvent(std::uint8_t virtualKey, bool extended, bool release);
    // A key the user presses or releases while the system is typing: the
    // event enters the input queue, and the asynchronous state, right after
    // the next `injected` keybd_event calls, as Windows queues input in time
    // order. Events given the same point enter in the order given.
    void UserEventAmidInjected(std::size_t injected, std::uint8_t virtualKey, bool extended,
                               bool release);
    // The first user event still waiting for keybd_event calls, now: the
    // user goes on once the system has stopped typing. False when none
    // waits.
    bool EnterNextScheduled();
    bool HasPendingInput() const { return !queue_.empty(); }
    KeyInput TakeInput();
    // The event taken last, on its way through the hooks.
    const KeyInput& CurrentInput() const { return current_; }

    // The hook chain let the event pass: the thread's state takes it. Returns
    // the virtual key the application's message carries and its key data.
    struct Delivered {
        std::uint8_t virtualKey;
        std::uint32_t keyData;
    };
    Delivered KeyDataFor(const KeyInput& input) const;
    void ApplyToThreadState(const KeyInput& input);

    // Every keybd_event call, in order.
    const std::vector<KeyInput>& InjectedLog() const { return injected_; }
    void ClearInjectedLog() { injected_.clear(); }
    bool IsThreadKeyDown(std::uint8_t virtualKey) const { return threadState_[virtualKey] & 0x80; }
    bool IsThreadKeyToggled(std::uint8_t virtualKey) const { return threadState_[virtualKey] & 0x01; }
    bool IsAsyncKeyDown(std::uint8_t virtualKey) const { return asyncDown_[virtualKey]; }

private:
    struct Sides {
        std::uint8_t generic;
        std::uint8_t specific;
    };
    static Sides SidesOf(const KeyInput& input);
    void Enqueue(KeyInput input);
    KeyInput UserInput(std::uint8_t virtualKey, bool extended, bool release) const;
    void EnterScheduled();

    struct Scheduled {
        std::size_t afterInjected;  // entered once this many keybd_event calls were made
        KeyInput input;
    };

    KeyboardLayout layout_ = KeyboardLayout::German;
    std::uint8_t threadState_[256] = {};
    bool asyncDown_[256] = {};
    std::deque<KeyInput> queue_;
    std::vector<KeyInput> injected_;
    std::size_t injectedTotal_ = 0;
    std::vector<Scheduled> scheduled_;
    KeyInput current_{};
};

}  // namespace sim

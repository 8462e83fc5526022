#pragma once
// Typing for the low-level hook: key events made with SendInput, marked as
// the library's own, for a window of another process, in the keyboard
// layout of that window's thread. The low-level hook sees each event before
// the system takes it, so nothing is expected or counted: the marker tells
// the events apart.
#include <cstdint>
#include <string>

#include "platform/platform.h"

// What the keys of one decision are typed into, and the person's keys then.
struct TInjectedTarget {
    win::Window Window = 0;
    win::KeyboardLayoutHandle Layout = 0;
    // The modifier keys the person held, by side: bit n is VK_LSHIFT + n.
    std::uint8_t HeldSides = 0;
    bool CapsLock = false;
};

// Before the first text the person's modifiers are released and Caps Lock
// is switched off, so that the text arrives as written; Finish presses the
// same keys again and switches Caps Lock on again. Once another window is
// in front nothing more is typed.
class TInjectedTyping {
public:
    TInjectedTyping(win::Platform& api, const TInjectedTarget& target) : Api(api), Target(target) {}
    void Type(const std::wstring& text);
    // One event; bit 15 of the code asks for the extended key.
    void Key(std::uint16_t code, bool press);
    void Finish();

private:
    void Send(std::uint16_t code, bool press);
    void TapCapsLock();
    void SetAside();
    bool Moved();

    win::Platform& Api;
    const TInjectedTarget Target;
    bool SetAsideDone = false;
    bool MovedAway = false;
};

// The event as it was, marked as the library's own: a key of the person's
// that the low-level hook held back and now lets go on.
void SendMarked(win::KeyboardApi& keyboard, const win::KbdLlHookStruct& event);

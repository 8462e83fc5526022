#include "hook/typing.h"

#include <optional>
#include <vector>

#include "common/cp1252.h"
#include "common/key_bits.h"
#include "common/own_input.h"
#include "hook/keystroke_text.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint16_t RightAlt = ExtendedKeyCodeBit | VK_MENU;
constexpr std::uint16_t RightCtrl = ExtendedKeyCodeBit | VK_CONTROL;

std::uint16_t KeyScan(THookProcess& process, std::uint8_t character) {
    return static_cast<std::uint16_t>(process.Api.keyboard.VkKeyScanA(static_cast<char>(character)));
}

// As Caps Lock will be when the text's events come: after the Caps Lock
// taps still on their way from an earlier text.
bool CapsLockOn(THookProcess& process) {
    std::uint8_t keyState[256] = {};
    ReadKeyboardState(process.Api.keyboard, keyState);
    return IsKeyToggled(keyState, VK_CAPITAL) != process.Synthesised.TogglesPending(VK_CAPITAL);
}

// Caps Lock would change the case of what the layout's keys type (on the
// German layout the digits as well), so it is switched off for the text and
// on again after it: the application receives the text as written and Caps
// Lock ends as the user left it.
void ToggleCapsLock(THookProcess& process, bool expected) {
    SendKey(process, VK_CAPITAL, true, expected);
    SendKey(process, VK_CAPITAL, false, expected);
}

// Windows NT tells the left and right modifier keys apart; the generic
// VK_SHIFT and VK_CONTROL press and release the left ones.
struct Held {
    bool leftShift, rightShift, leftCtrl, rightCtrl, leftAlt, rightAlt;
};

Held HeldKeys(THookProcess& process) {
    KeyboardApi& keyboard = process.Api.keyboard;
    return {IsKeyDown(keyboard, VK_LSHIFT),   IsKeyDown(keyboard, VK_RSHIFT),
            IsKeyDown(keyboard, VK_LCONTROL), IsKeyDown(keyboard, VK_RCONTROL),
            IsKeyDown(keyboard, VK_LMENU),    IsKeyDown(keyboard, VK_RMENU)};
}

// The keys to press again, on their own sides, in this order.
std::vector<std::uint16_t> KeysToPressAgain(const Held& held) {
    std::vector<std::uint16_t> keys;
    if (held.leftShift) keys.push_back(VK_SHIFT);
    if (held.rightShift) keys.push_back(VK_RSHIFT);
    if (held.leftCtrl) keys.push_back(VK_CONTROL);
    if (held.rightCtrl) keys.push_back(RightCtrl);
    if (held.leftAlt) keys.push_back(VK_MENU);
    if (held.rightAlt) keys.push_back(RightAlt);
    return keys;
}

// Windows 95/98 cannot tell the Alt keys apart: AltGr held means Ctrl and
// Alt were both seen, and all three keys are pressed again.
std::vector<std::uint16_t> KeysToPressAgain9x(TKeyFlags held) {
    std::vector<std::uint16_t> keys;
    if (held.Contains(kfShift)) keys.push_back(VK_SHIFT);
    if (held.Contains(kfCtrl)) keys.push_back(VK_CONTROL);
    if (held.Contains(kfAlt)) keys.push_back(VK_MENU);
    if (held.Contains(kfAltGr)) keys.push_back(RightAlt);
    return keys;
}

// Windows puts key events into the input queue of the thread whose window
// is in front at that moment. The events made since the target was last
// found in front may have gone to another window, and nothing made from
// now on comes back unless the window in front is this process's.
bool ForegroundMoved(THookProcess& process, TTypingTarget& target) {
    if (process.Api.windows.GetForegroundWindow() == target.Window) {
        target.Checked = process.Synthesised.Size();
        return false;
    }
    process.Synthesised.MayHaveGoneElsewhere(process.Synthesised.Size() - target.Checked);
    target.Moved = true;
    return true;
}

bool ForegroundIsThisProcess(THookProcess& process) {
    WindowApi& windows = process.Api.windows;
    std::uint32_t foreground = 0;
    windows.GetWindowThreadProcessId(windows.GetForegroundWindow(), &foreground);
    return foreground == process.Api.system.GetCurrentProcessId();
}

}  // namespace

void WaitForIdle(THookProcess& process) {
    SystemApi& system = process.Api.system;
    system.Sleep(0);
    system.WaitForInputIdle(system.GetCurrentProcess(), 1000);
}

void SendKey(THookProcess& process, std::uint16_t code, bool press, bool expected) {
    std::uint32_t flags = press ? 0 : KEYEVENTF_KEYUP;
    if (code & ExtendedKeyCodeBit) {
        flags |= KEYEVENTF_EXTENDEDKEY;
        code &= ~ExtendedKeyCodeBit;
    }
    // The whole code, shift-state bits included, as the layout is asked.
    std::uint32_t scanCode = process.Api.keyboard.MapVirtualKeyA(code, 0);
    auto virtualKey = static_cast<std::uint8_t>(code & 0xFF);
    auto scan = static_cast<std::uint8_t>(scanCode & 0xFF);
    process.Api.keyboard.keybd_event(virtualKey, scan, flags, OwnInputMarker);
    if (expected) {
        TEventKey key = SentEventKey(virtualKey, scan, flags & KEYEVENTF_EXTENDEDKEY);
        process.Synthesised.Expect(key, !press, process.Api.system.GetTickCount());
    }
    WaitForIdle(process);
}

void SendUnicode(THookProcess& process, wchar_t unit, bool press) {
    Input input{INPUT_KEYBOARD, UnicodeInput(unit, press)};
    process.Api.keyboard.SendInput(1, &input, sizeof input);
    process.Synthesised.Expect(TEventKey{VK_PACKET, false}, !press, process.Api.system.GetTickCount());
    WaitForIdle(process);
}

TKeyFlags GetHeldModifiers(THookProcess& process) {
    KeyboardApi& keyboard = process.Api.keyboard;
    TKeyFlags held;
    SetKeyFlag(held, kfShift, IsKeyDown(keyboard, VK_SHIFT));
    SetKeyFlag(held, kfAlt, IsKeyDown(keyboard, VK_MENU));
    SetKeyFlag(held, kfCtrl, IsKeyDown(keyboard, VK_CONTROL));
    if (process.IsWinNT) {
        SetKeyFlag(held, kfAltGr, IsKeyDown(keyboard, VK_RMENU));
    } else {
        SetKeyFlag(held, kfAltGr, held.Contains(kfCtrl) && held.Contains(kfAlt));
    }
    return held;
}

// On Windows NT a held AltGr is the right Alt key, which releasing the
// generic VK_MENU does not release: typed characters would all arrive as
// Alt keys. So the right Alt is released as well. A held right Shift or
// right Ctrl is released too, or the text would be typed with it; pressing
// the left key again for it would leave that key down once the user lets
// go. Afterwards each key the user held before typing is pressed again, on
// its own side: the platform's key state no longer shows them once the
// releases are queued. What the user lets go of meanwhile is mended as the
// hook sees it (KeepAsHeld).
bool TypeText(THookProcess& process, const std::wstring& text, TTypingTarget& target) {
    if (!target.Noted) {
        target = TTypingTarget{process.Api.windows.GetForegroundWindow(), true, false, process.Synthesised.Size()};
    }
    if (target.Moved) return true;
    TKeyFlags held = GetHeldModifiers(process);
    Held before = HeldKeys(process);
    bool releaseRightAlt = process.IsWinNT && held.Contains(kfAltGr);
    SendKey(process, VK_MENU, false);
    if (releaseRightAlt) SendKey(process, RightAlt, false);
    SendKey(process, VK_CONTROL, false);
    if (process.IsWinNT && before.rightCtrl) SendKey(process, RightCtrl, false);
    SendKey(process, VK_SHIFT, false);
    if (process.IsWinNT && before.rightShift) SendKey(process, VK_RSHIFT, false);

    bool capsLock = !text.empty() && CapsLockOn(process);
    if (capsLock) ToggleCapsLock(process, true);
    for (std::size_t j = 0; j < text.size(); ++j) {
        if (ForegroundMoved(process, target)) break;
        TKeystroke keystroke = ReadKeystroke(text, j, [&](std::uint8_t character) { return KeyScan(process, character); });
        SendKeystroke(keystroke, [&](std::uint16_t code, bool press) { SendKey(process, code, press); },
                      [&](wchar_t unit, bool press) { SendUnicode(process, unit, press); });
        WaitForIdle(process);
    }
    // Caps Lock is switched on again wherever the focus went. A held key
    // is pressed again only where its release will come here, looked at
    // before each press: the person may let go of it in the other program,
    // whose library cannot know that this one pressed it, and it would stay
    // down.
    auto comesBack = [&] {
        if (!target.Moved) ForegroundMoved(process, target);
        return !target.Moved || ForegroundIsThisProcess(process);
    };
    if (capsLock) ToggleCapsLock(process, comesBack());
    for (std::uint16_t key : process.IsWinNT ? KeysToPressAgain(before) : KeysToPressAgain9x(held)) {
        if (comesBack()) SendKey(process, key, true);
    }
    WaitForIdle(process);
    return true;
}

bool TypeText(THookProcess& process, const std::wstring& text) {
    TTypingTarget target;
    return TypeText(process, text, target);
}

bool TypeText(THookProcess& process, const std::string& text) { return TypeText(process, Cp1252ToWide(text)); }

// The library's own events still to come decide where Windows leaves the
// key; the user's event is what the user's hand did last. A press or
// release of the library's own, queued after everything still to come,
// makes the two agree. A press goes only where the person's release of
// the key will come here: in another program's window nothing would
// release it again.
void KeepAsHeld(THookProcess& process, TEventKey key, bool down) {
    std::optional<bool> finalDown = process.Synthesised.FinalDown(key);
    if (!finalDown || *finalDown == down) return;
    bool comesBack = ForegroundIsThisProcess(process);
    if (down && !comesBack) return;
    std::uint16_t code = key.VirtualKey;
    if (key.Right) code = key.VirtualKey == VK_SHIFT ? VK_RSHIFT : (ExtendedKeyCodeBit | key.VirtualKey);
    SendKey(process, code, down, comesBack);
}

#pragma once
#include <cstdint>
#include <string>

#include "common/key_flags.h"
#include "hook/hook_process.h"
#include "platform/win_types.h"

// Keystroke text (hook/keystroke_text.h) typed by the window hook.
//
// Where the rules of one key type: the window in front when they began.
// Once another window has come to the front nothing more is typed for that
// key, so that the rest of a text never lands in another program.
struct TTypingTarget {
    win::Window Window = 0;
    bool Noted = false;
    bool Moved = false;
    // The events expected when the window was last found in front.
    std::size_t Checked = 0;
};

// Types the text as synthesised key events, each expected in
// process.Synthesised so the hook lets it pass as the library's own. The
// modifiers the user holds are released first and pressed again
// afterwards. Before each character the foreground window is compared
// with the target's; when another one has come to the front, the rest is
// not typed. Always true.
bool TypeText(THookProcess& process, const std::wstring& text, TTypingTarget& target);
// The same with a target of its own.
bool TypeText(THookProcess& process, const std::wstring& text);
// The same for a code page 1252 text.
bool TypeText(THookProcess& process, const std::string& text);

// The user pressed (down) or released a modifier key while the library's
// own events were still on their way: makes Windows end with the key as
// the user left it, when those events would leave it otherwise.
void KeepAsHeld(THookProcess& process, TEventKey key, bool down);

// One synthesised event; bit 15 of the code asks for the extended key. It
// is expected to come back unless it goes to another process's window.
void SendKey(THookProcess& process, std::uint16_t code, bool press, bool expected = true);
// One Unicode event of a UTF-16 unit; the hook sees it as VK_PACKET.
void SendUnicode(THookProcess& process, wchar_t unit, bool press);
void WaitForIdle(THookProcess& process);
// Shift, Ctrl, Alt, and AltGr as the platform shows it.
TKeyFlags GetHeldModifiers(THookProcess& process);

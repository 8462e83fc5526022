#include "hook/injected_typing.h"

#include "common/key_bits.h"
#include "common/own_input.h"
#include "hook/keystroke_text.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// The keys that press and release each side of a modifier, from VK_LSHIFT
// on: the generic VK_SHIFT, VK_CONTROL and VK_MENU are the left ones.
constexpr std::uint16_t SideKeys[] = {VK_SHIFT,   VK_RSHIFT, VK_CONTROL, ExtendedKeyCodeBit | VK_CONTROL,
                                      VK_MENU,    ExtendedKeyCodeBit | VK_MENU};

void SendOne(KeyboardApi& keyboard, const KeyboardInput& record) {
    Input input{INPUT_KEYBOARD, record};
    keyboard.SendInput(1, &input, sizeof input);
}

}  // namespace

void TInjectedTyping::Send(std::uint16_t code, bool press) {
    auto virtualKey = static_cast<std::uint16_t>(code & 0xFF);
    std::uint32_t flags = (press ? 0 : KEYEVENTF_KEYUP) | ((code & ExtendedKeyCodeBit) ? KEYEVENTF_EXTENDEDKEY : 0);
    auto scan = static_cast<std::uint16_t>(Api.keyboard.MapVirtualKeyA(virtualKey, 0));
    SendOne(Api.keyboard, KeyboardInput{virtualKey, scan, flags, 0, OwnInputMarker});
}

void TInjectedTyping::TapCapsLock() {
    Send(VK_CAPITAL, true);
    Send(VK_CAPITAL, false);
}

void TInjectedTyping::SetAside() {
    if (SetAsideDone) return;
    SetAsideDone = true;
    for (int side = 0; side < 6; ++side) {
        if (Target.HeldSides & (1u << side)) Send(SideKeys[side], false);
    }
    if (Target.CapsLock) TapCapsLock();
}

bool TInjectedTyping::Moved() {
    if (!MovedAway) MovedAway = Api.windows.GetForegroundWindow() != Target.Window;
    return MovedAway;
}

void TInjectedTyping::Type(const std::wstring& text) {
    SetAside();
    auto scan = [&](std::uint8_t character) {
        return static_cast<std::uint16_t>(Api.keyboard.VkKeyScanExA(static_cast<char>(character), Target.Layout));
    };
    for (std::size_t j = 0; j < text.size() && !Moved(); ++j) {
        SendKeystroke(ReadKeystroke(text, j, scan), [&](std::uint16_t code, bool press) { Send(code, press); },
                      [&](wchar_t unit, bool press) { SendOne(Api.keyboard, UnicodeInput(unit, press)); });
    }
}

void TInjectedTyping::Key(std::uint16_t code, bool press) {
    SetAside();
    if (!Moved()) Send(code, press);
}

// Caps Lock and the modifiers belong to the whole system, so they are put
// back wherever the focus went.
void TInjectedTyping::Finish() {
    if (!SetAsideDone) return;
    if (Target.CapsLock) TapCapsLock();
    for (int side = 0; side < 6; ++side) {
        if (Target.HeldSides & (1u << side)) Send(SideKeys[side], true);
    }
}

void SendMarked(KeyboardApi& keyboard, const KbdLlHookStruct& event) {
    std::uint32_t flags = ((event.flags & LLKHF_EXTENDED) ? KEYEVENTF_EXTENDEDKEY : 0) |
                          ((event.flags & LLKHF_UP) ? KEYEVENTF_KEYUP : 0);
    SendOne(keyboard, KeyboardInput{static_cast<std::uint16_t>(event.vkCode), static_cast<std::uint16_t>(event.scanCode),
                                    flags, 0, OwnInputMarker});
}

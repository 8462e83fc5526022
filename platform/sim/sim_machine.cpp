#include "platform/sim/sim_machine.h"

#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {
constexpr std::uint32_t DialogModeBit = 1u << 27;
constexpr std::uint32_t AltContextBit = 1u << 29;
constexpr std::uint32_t TransitionBit = 1u << 31;
}  // namespace

SimMachine::SimMachine() {
    Window frame = windows.AddWindow("ProbeFrame", "probe");
    appWindow_ = windows.AddWindow("Edit", "", frame);
    windows.SetFocus(appWindow_);
}

void SimMachine::SetLayout(KeyboardLayout layout) {
    keyboard.SetLayout(layout);
    translator_ = CharacterTranslator(layout);
}

void SimMachine::Press(std::uint8_t virtualKey, bool extended) {
    keyboard.UserEvent(virtualKey, extended, false);
    DeliverInput();
}

void SimMachine::Release(std::uint8_t virtualKey, bool extended) {
    keyboard.UserEvent(virtualKey, extended, true);
    DeliverInput();
}

void SimMachine::Tap(std::uint8_t virtualKey, bool extended) {
    Press(virtualKey, extended);
    Release(virtualKey, extended);
}

void SimMachine::PressAltGr() {
    keyboard.UserEvent(VK_CONTROL, false, false);
    keyboard.UserEvent(VK_MENU, true, false);
    DeliverInput();
}

void SimMachine::ReleaseAltGr() {
    keyboard.UserEvent(VK_CONTROL, false, true);
    keyboard.UserEvent(VK_MENU, true, true);
    DeliverInput();
}

void SimMachine::DeliverInput() {
    while (keyboard.HasPendingInput()) {
        KeyInput input = keyboard.TakeInput();
        SimKeyboard::Delivered delivered = keyboard.KeyDataFor(input);
        std::uint32_t keyData = delivered.keyData | (dialogMode_ ? DialogModeBit : 0);
        bool swallowed = hooks.RunKeyboardHooks(HC_ACTION, delivered.virtualKey,
                                                static_cast<LParam>(keyData)) != 0;
        if (swallowed) continue;
        keyboard.ApplyToThreadState(input);
        DeliverToApp(delivered.virtualKey, keyData);
    }
}

// Alt without Ctrl makes system keys, which an edit control does not type.
void SimMachine::DeliverToApp(std::uint8_t virtualKey, std::uint32_t keyData) {
    bool release = keyData & TransitionBit;
    bool systemKey = (keyData & AltContextBit) && !keyboard.IsThreadKeyDown(VK_CONTROL);
    std::uint32_t message = release ? (systemKey ? WM_SYSKEYUP : WM_KEYUP)
                                    : (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN);
    appMessages_.push_back({message, virtualKey, keyData});
    std::uint8_t state[256];
    keyboard.GetKeyboardState(state);
    appText_ += release ? translator_.KeyUp(virtualKey, keyData, state)
                        : translator_.KeyDown(virtualKey, keyData, state);
}

void SimMachine::ClearApp() {
    appMessages_.clear();
    appText_.clear();
}

}  // namespace sim

#include "platform/sim/sim_machine.h"

#include <stdexcept>

#include "common/cp1252.h"
#include "common/key_bits.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;


SimMachine::SimMachine() {
    windows.AttachSystem(system);
    hooks.AttachSystem(system);
    keyboard.AttachDesktop(system, windows);
    keyboard.AttachHooks(hooks, threads);
    hooks.AttachThreads(threads);
    windows.AttachInput(keyboard, hooks);
    registry.AttachSystem(system);
    threads.AttachSystem(system);
    system.AttachThreads(threads);
    windows.AttachThreads(threads);
    sound.AttachThreads(threads);
    appWindow_ = AddAppWindows();
    windows.SetFocus(appWindow_);
}

Window SimMachine::AddAppWindows() {
    Window frame = windows.AddWindow("ProbeFrame", "probe");
    return windows.AddWindow("Edit", "", frame);
}

Window SimMachine::AddApplication(bool is64Bit) { return AddApplicationProcess(system.AddProcess(is64Bit)); }

Window SimMachine::AddStoreApplication() { return AddApplicationProcess(system.AddProcess(true, true)); }

Window SimMachine::AddApplicationProcess(std::uint32_t process) {
    std::uint32_t previous = system.GetCurrentProcessId();
    system.SetCurrentProcess(process);
    Window edit = AddAppWindows();
    system.SetCurrentProcess(previous);
    return edit;
}

// A window that received nothing has nothing to show.
const SimMachine::Received& SimMachine::ReceivedBy(Window window) const {
    static const Received nothing;
    auto found = received_.find(window);
    return found == received_.end() ? nothing : found->second;
}

const std::vector<AppKeyMessage>& SimMachine::AppMessages(Window window) const {
    return ReceivedBy(window).messages;
}

const std::string& SimMachine::AppText(Window window) const { return ReceivedBy(window).text; }

const std::wstring& SimMachine::AppWideText(Window window) const { return ReceivedBy(window).wideText; }

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

void SimMachine::Focus(Window window) {
    constexpr std::uint32_t ClickTakes = 200;
    system.AdvanceClock(ClickTakes);
    windows.SetFocus(window);
}

void SimMachine::FocusAmidInjected(std::size_t injected, Window window) {
    keyboard.AmidInjected(injected, [this, window] { windows.SetFocus(window); });
}

// Each event passes the low-level hooks first, then runs through the hooks
// in its thread's process, which takes it as the thread reads its input. A
// hook that answers its own events with new ones forever would keep this
// loop busy for ever: that is reported.
void SimMachine::DeliverInput() {
    constexpr std::size_t EndlessInput = 1000000;
    for (std::size_t count = 0; keyboard.HasRawInput() || keyboard.HasPendingInput(); ++count) {
        if (count == EndlessInput) throw std::runtime_error("endless input: the hooks keep making key events");
        if (keyboard.HasRawInput()) {
            keyboard.PassRawInput();
            continue;
        }
        KeyInput input = keyboard.TakeInput();
        SimKeyboard::Delivered delivered = keyboard.KeyDataFor(input);
        std::uint32_t keyData = delivered.keyData | (dialogMode_ ? DialogModeBit : 0);
        bool swallowed = hooks.RunKeyboardHooks(HC_ACTION, delivered.virtualKey,
                                                static_cast<LParam>(keyData), input.thread) != 0;
        if (swallowed) continue;
        keyboard.ApplyToThreadState(input);
        DeliverToApp(input, delivered.virtualKey, keyData);
    }
}

// Alt without Ctrl makes system keys, which an edit control does not type.
// A Unicode event's press types its character; an ANSI window gets it in
// its code page, "?" where that lacks it.
void SimMachine::DeliverToApp(const KeyInput& input, std::uint8_t virtualKey, std::uint32_t keyData) {
    std::uint32_t thread = input.thread;
    bool release = keyData & TransitionBit;
    bool systemKey = (keyData & AltContextBit) && !keyboard.IsThreadKeyDown(VK_CONTROL, thread);
    std::uint32_t message = release ? (systemKey ? WM_SYSKEYUP : WM_KEYUP)
                                    : (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN);
    Received& received = received_[windows.FocusOf(thread)];
    received.messages.push_back({message, virtualKey, keyData});
    if (virtualKey == VK_PACKET) {
        if (!release) {
            std::wstring unit(1, static_cast<wchar_t>(input.scanCode));
            received.text += WideToCp1252(unit);
            received.wideText += unit;
        }
        return;
    }
    std::uint8_t state[256];
    keyboard.ReadThreadState(thread, state);
    std::string typed = release ? translator_.KeyUp(virtualKey, keyData, state)
                                : translator_.KeyDown(virtualKey, keyData, state);
    received.text += typed;
    received.wideText += Cp1252ToWide(typed);
}

void SimMachine::ClearApp() {
    for (auto& [window, received] : received_) received = Received{};
}

}  // namespace sim

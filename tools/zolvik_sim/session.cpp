#include "tools/zolvik_sim/session.h"

#include <algorithm>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/win_constants.h"
#include "tools/zolvik_sim/tool_error.h"

using namespace win;

namespace {

constexpr Instance LibraryModule = 0x10000000;
constexpr Instance ToolModule = 0x20000000;

// The hook procedure has no context of its own; one session runs at a time.
TSession* Current = nullptr;

constexpr std::uint8_t ShiftBit = 0x01, CtrlBit = 0x02, AltBit = 0x04;

// MapVirtualKeyA type 2 marks a dead key with bit 31.
constexpr std::uint32_t DeadKeyBit = 0x80000000u;

const char* LayoutName(sim::KeyboardLayout layout) {
    return layout == sim::KeyboardLayout::German ? "German" : "US";
}

// The modifiers a VkKeyScanA shift state asks the user to hold.
std::vector<TKeyRef> ModifiersFor(std::uint8_t shiftState) {
    std::vector<TKeyRef> held;
    if (shiftState & ShiftBit) held.push_back({VK_SHIFT, false, false, false});
    if ((shiftState & (CtrlBit | AltBit)) == (CtrlBit | AltBit)) {
        held.push_back({0, false, true, false});
    } else if (shiftState & CtrlBit) {
        held.push_back({VK_CONTROL, false, false, false});
    } else if (shiftState & AltBit) {
        held.push_back({VK_MENU, false, false, false});
    }
    return held;
}

// What a fresh press of the key of a VkKeyScanA code types with the lock
// keys as they stand and the code's modifiers held.
std::string Typed(sim::KeyboardLayout layout, std::uint16_t code, const std::uint8_t lockState[256]) {
    std::uint8_t keyState[256];
    std::copy(lockState, lockState + 256, keyState);
    auto shiftState = static_cast<std::uint8_t>(code >> 8);
    keyState[VK_SHIFT] = (shiftState & ShiftBit) ? 0x80 : 0;
    keyState[VK_CONTROL] = (shiftState & CtrlBit) ? 0x80 : 0;
    keyState[VK_MENU] = (shiftState & AltBit) ? 0x80 : 0;
    sim::CharacterTranslator translator(layout);
    return translator.KeyDown(static_cast<std::uint8_t>(code & 0xFF), 1, keyState);
}

}  // namespace

TSession::TSession(const TSessionOptions& options, const std::vector<TRegFile>& files)
    : shell_(options.MissingFiles),
      platform_{registry_, machine_.keyboard, machine_.windows, shell_,
                machine_.system, machine_.sound, machine_.ports, machine_.hooks} {
    machine_.SetLayout(options.Layout);
    machine_.SetDialogMode(options.DialogMode);
    machine_.system.SetWindowsNT(options.WindowsNT);
    machine_.system.SetLocalTime(options.Moment);
    machine_.system.SetThreadLocale(options.Locale);
    for (const sim::HotKey& hotKey : options.HotKeys) machine_.keyboard.AddHotKey(hotKey);
    if (!options.Program.empty()) {
        machine_.system.SetProcessImage(machine_.system.GetCurrentProcessId(), "C:\\Programme\\" + options.Program);
    }
    if (options.PasswordField) machine_.windows.SetStyle(machine_.AppWindow(), ES_PASSWORD);
    TRegImporter importer(machine_.registry);
    for (const TRegFile& file : files) importer.Import(file);

    // Processes read the platform, the settings and the regional formats
    // when they start, so they start after all of that is in place.
    tray_ = std::make_unique<THookProcess>(platform_, LibraryModule);
    hookHandle_ = Install(*tray_, 1);
    control_ = machine_.windows.AddWindow(ControlWindowName, ControlWindowName, 0,
                                          [this](std::uint32_t message, WParam, LParam) -> LResult {
                                              return message == UM_GETHOOK ? LResult(hookHandle_) : 0;
                                          });
    app_ = std::make_unique<THookProcess>(platform_, LibraryModule);
    otherWindow_ = machine_.AddApplication(false);
    machine_.windows.GetWindowThreadProcessId(otherWindow_, &otherProcess_);
    other_ = std::make_unique<THookProcess>(platform_, LibraryModule);
    machine_.hooks.SetProcessSwitch([this](std::uint32_t process) {
        SetThisProcess(process == otherProcess_ ? other_.get() : app_.get());
    });
    SetThisProcess(app_.get());
    Current = this;
    // Installed last, so it runs first and sees what the library decides.
    loggerHandle_ = machine_.hooks.SetWindowsHookExA(WH_KEYBOARD, &TSession::LogKeyEvent, ToolModule, 0);
    StartRecording();
}

TSession::~TSession() {
    SetThisProcess(nullptr);
    Current = nullptr;
}

LResult ZV_STDCALL TSession::LogKeyEvent(int code, WParam wParam, LParam lParam) {
    TSession& session = *Current;
    const sim::KeyInput& input = session.machine_.keyboard.CurrentInput();
    LResult result = session.machine_.hooks.CallNextHookEx(session.loggerHandle_, code, wParam, lParam);
    session.events_.push_back({static_cast<std::uint8_t>(wParam), static_cast<std::uint32_t>(lParam),
                               !input.injected, result != 0, input.thread == session.otherProcess_});
    return result;
}

void TSession::SwitchLockOn(std::uint8_t virtualKey) {
    TKeyRef key{virtualKey, false, false, false};
    Press(key);
    Release(key);
    StartRecording();
}

void TSession::StartRecording() {
    machine_.ClearApp();
    machine_.windows.ClearPosted();
    machine_.keyboard.ClearInjectedLog();
    events_.clear();
    shell_.Clear();
    registry_.StartRecording();
    beepsBefore_ = machine_.windows.Beeps().size();
}

std::vector<std::uint32_t> TSession::Beeps() const {
    const std::vector<std::uint32_t>& beeps = machine_.windows.Beeps();
    return std::vector<std::uint32_t>(beeps.begin() + static_cast<std::ptrdiff_t>(beepsBefore_), beeps.end());
}

void TSession::Run(const std::vector<TStep>& steps) {
    for (const TStep& step : steps) {
        afterTyped_ = step.AfterTyped;
        switch (step.Kind) {
            case TStepKind::Tap:
                Tap(step);
                break;
            case TStepKind::Hold:
                Hold(step);
                break;
            case TStepKind::Down:
                Press(step.Key);
                break;
            case TStepKind::Up:
                Release(step.Key);
                break;
            case TStepKind::Text:
                Type(step.Text);
                break;
            case TStepKind::Focus:
                MoveFocus(step);
                break;
        }
    }
    afterTyped_ = 0;
    while (machine_.keyboard.EnterNextScheduled()) machine_.DeliverInput();
}

// A click into the other program's window, or back into the first one.
void TSession::MoveFocus(const TStep& step) {
    Window window = step.ToOther ? otherWindow_ : machine_.AppWindow();
    if (afterTyped_ > 0) {
        machine_.FocusAmidInjected(static_cast<std::size_t>(afterTyped_), window);
    } else {
        machine_.Focus(window);
    }
}

// A step made while the system types enters the input queue among the
// typed events; it is delivered with them.
void TSession::UserEvent(std::uint8_t virtualKey, bool extended, bool release) {
    if (afterTyped_ > 0) {
        machine_.keyboard.UserEventAmidInjected(static_cast<std::size_t>(afterTyped_), virtualKey,
                                                extended, release);
    } else if (release) {
        machine_.Release(virtualKey, extended);
    } else {
        machine_.Press(virtualKey, extended);
    }
}

// AltGr as Windows reports it: the left Ctrl key, then the right Alt key,
// released in the same order.
void TSession::Press(const TKeyRef& key) {
    if (key.AltGr) {
        UserEvent(VK_CONTROL, false, false);
        UserEvent(VK_MENU, true, false);
    } else {
        UserEvent(key.VirtualKey, key.Extended, false);
    }
}

void TSession::Release(const TKeyRef& key) {
    if (key.AltGr) {
        UserEvent(VK_CONTROL, false, true);
        UserEvent(VK_MENU, true, true);
    } else {
        UserEvent(key.VirtualKey, key.Extended, true);
    }
}

void TSession::Tap(const TStep& step) {
    for (const TKeyRef& modifier : step.Held) Press(modifier);
    Press(step.Key);
    Release(step.Key);
    for (auto modifier = step.Held.rbegin(); modifier != step.Held.rend(); ++modifier) Release(*modifier);
}

// The first press and its auto-repeats; Windows repeats the press without
// a release in between.
void TSession::Hold(const TStep& step) {
    for (const TKeyRef& modifier : step.Held) Press(modifier);
    for (int i = 0; i < step.Count; ++i) Press(step.Key);
    Release(step.Key);
    for (auto modifier = step.Held.rbegin(); modifier != step.Held.rend(); ++modifier) Release(*modifier);
}

void TSession::Type(const std::string& text) {
    for (char character : text) TypeCharacter(character);
}

// With Caps Lock on, a user inverts Shift for the keys that Caps Lock
// shifts.
std::uint16_t TSession::KeyFor(char character) {
    auto code = static_cast<std::uint16_t>(machine_.keyboard.VkKeyScanA(character));
    std::uint32_t thread = 0;
    machine_.windows.GetWindowThreadProcessId(machine_.windows.GetForegroundWindow(), &thread);
    std::uint8_t state[256];
    machine_.keyboard.ReadThreadState(thread, state);
    if (code == 0xFFFF || !(state[VK_CAPITAL] & 1)) return code;
    sim::KeyboardLayout layout = machine_.keyboard.Layout();
    bool typesIt = Typed(layout, code, state) == std::string(1, character);
    auto inverted = static_cast<std::uint16_t>(code ^ 0x0100);
    return !typesIt && Typed(layout, inverted, state) == std::string(1, character) ? inverted : code;
}

// A dead key alone leaves its accent waiting for the next key; a user who
// wants the accent itself follows it with Space.
void TSession::TypeCharacter(char character) {
    std::uint16_t code = KeyFor(character);
    if (code == 0xFFFF) {
        throw ToolError("no key types " + DescribeCodePoint(Cp1252ToCodePoint(static_cast<unsigned char>(character))) +
                        " on the " + LayoutName(machine_.keyboard.Layout()) +
                        " layout; tap its keys instead (a dead key, then the letter)");
    }
    TStep tap{TStepKind::Tap, ModifiersFor(static_cast<std::uint8_t>(code >> 8)),
              TKeyRef{static_cast<std::uint8_t>(code & 0xFF), false, false, false}, 1, {}};
    std::size_t received = machine_.AppText().size();
    Tap(tap);
    bool deadKey = machine_.keyboard.MapVirtualKeyA(tap.Key.VirtualKey, 2) & DeadKeyBit;
    if (deadKey && machine_.AppText().size() == received) Tap(TStep{TStepKind::Tap, {}, {0x20, false, false, false}, 1, {}});
}

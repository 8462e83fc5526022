#include "fuzz/hooked_desk.h"

#include <optional>
#include <vector>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "fuzz/fuzz_check.h"
#include "hook/hook_procedure.h"
#include "hook/sound_playback.h"
#include "hook/this_process.h"
#include "hook/typing.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_LWIN = 0x5B;
constexpr std::uint8_t ModifierKeys[] = {VK_SHIFT,  VK_CONTROL,  VK_MENU,     VK_LSHIFT,
                                         VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU,
                                         VK_RMENU,  VK_LWIN,     VK_RWIN};
// The side-specific entries of the key state, and the generic key with the
// extended flag that the user presses for each.
struct Side {
    std::uint8_t specific;
    std::uint8_t virtualKey;
    bool extended;
};
constexpr Side Sides[] = {{VK_LSHIFT, VK_SHIFT, false},     {VK_RSHIFT, VK_RSHIFT, false},
                          {VK_LCONTROL, VK_CONTROL, false}, {VK_RCONTROL, VK_CONTROL, true},
                          {VK_LMENU, VK_MENU, false},       {VK_RMENU, VK_MENU, true},
                          {VK_LWIN, VK_LWIN, false},        {VK_RWIN, VK_RWIN, false}};

HookedDesk* Current = nullptr;

}  // namespace

HookedDesk::HookedDesk(sim::KeyboardLayout layout, bool windowsNT) {
    machine.SetLayout(layout);
    machine.system.SetWindowsNT(windowsNT);
    tray = std::make_unique<TrayStandIn>(machine, LibraryModule);
    FUZZ_CHECK(tray->installed != 0, "the hook installs");
    app = std::make_unique<THookProcess>(machine.platform, LibraryModule);
    SetThisProcess(app.get());
    // Installed last, so it runs first.
    Current = this;
    machine.hooks.SetWindowsHookExA(WH_KEYBOARD, &HookedDesk::Watch, LibraryModule, 0);
    openHandles_ = machine.registry.OpenHandleCount();
}

HookedDesk::~HookedDesk() {
    SetThisProcess(nullptr);
    Current = nullptr;
}

LResult ZV_STDCALL HookedDesk::Watch(int code, WParam wParam, LParam lParam) {
    HookedDesk& desk = *Current;
    const std::size_t synthesised = desk.InjectedCount() - desk.injectedBefore_;
    if (desk.eventsSeen_ == 0) {
        FUZZ_CHECK(desk.app->Synthesised.Size() == 0, "a user's key finds no synthesised event expected");
    } else {
        const std::size_t stillToCome = synthesised - (desk.eventsSeen_ - 1);
        FUZZ_CHECK(desk.app->Synthesised.Size() == stillToCome,
                   "the library expects exactly the synthesised events still to come");
    }
    LResult result = 0;
    try {
        result = desk.machine.hooks.CallNextHookEx(0, code, wParam, lParam);
    } catch (...) {
        FUZZ_CHECK(false, "no error escapes the hook procedure");
    }
    if (desk.eventsSeen_ == 0) {
        desk.userKeySwallowed_ = result != 0;
    } else {
        FUZZ_CHECK(result == 0, "a synthesised event passes the hook");
    }
    ++desk.eventsSeen_;
    return result;
}

void HookedDesk::UserAction(std::uint8_t virtualKey, bool extended, bool release) {
    injectedBefore_ = InjectedCount();
    eventsSeen_ = 0;
    const std::size_t messagesBefore = AppMessageCount();
    if (release) {
        machine.Release(virtualKey, extended);
    } else {
        machine.Press(virtualKey, extended);
    }
    CheckDelivered(messagesBefore);
}

void HookedDesk::CheckDelivered(std::size_t messagesBefore) const {
    const std::size_t synthesised = InjectedCount() - injectedBefore_;
    FUZZ_CHECK(eventsSeen_ == 1 + synthesised, "every synthesised event came through the hook once");
    FUZZ_CHECK(app->Synthesised.Size() == 0, "no synthesised event is expected once all have come");
    FUZZ_CHECK(AppMessageCount() - messagesBefore == synthesised + (userKeySwallowed_ ? 0 : 1),
               "the application received every event the hook let pass");
    CheckHandlesClosed();
}

void HookedDesk::Type(const std::wstring& text) {
    injectedBefore_ = InjectedCount();
    TypeText(*app, text);
    FUZZ_CHECK(app->Synthesised.Size() == InjectedCount() - injectedBefore_,
               "the library expects as many events as it made keybd_event calls");
    // As if the key that had the text typed was seen and swallowed.
    eventsSeen_ = 1;
    userKeySwallowed_ = true;
    const std::size_t messagesBefore = AppMessageCount();
    machine.DeliverInput();
    CheckDelivered(messagesBefore);
}

// A keyboard sends the generic modifier keys; the side is in the scan code
// (Shift) or the extended flag (Ctrl, Alt). The side-specific codes are
// pressed as the generic key of that side, so the desk knows what is held.
std::pair<std::uint8_t, bool> HookedDesk::Canonical(std::uint8_t virtualKey, bool extended) {
    switch (virtualKey) {
        case VK_SHIFT:
        case VK_LSHIFT: return {VK_SHIFT, false};
        case VK_RSHIFT: return {VK_RSHIFT, false};
        case VK_LCONTROL: return {VK_CONTROL, false};
        case VK_RCONTROL: return {VK_CONTROL, true};
        case VK_LMENU: return {VK_MENU, false};
        case VK_RMENU: return {VK_MENU, true};
        default: return {virtualKey, extended};
    }
}

void HookedDesk::Press(std::uint8_t virtualKey, bool extended) {
    auto key = Canonical(virtualKey, extended);
    held_.insert(key);
    UserAction(key.first, key.second, false);
}

void HookedDesk::Release(std::uint8_t virtualKey, bool extended) {
    auto key = Canonical(virtualKey, extended);
    held_.erase(key);
    UserAction(key.first, key.second, true);
}

void HookedDesk::ReleaseEverything() {
    while (!held_.empty()) {
        auto [virtualKey, extended] = *held_.begin();
        Release(virtualKey, extended);
    }
}

void HookedDesk::PlayRequestedSounds() {
    const std::vector<sim::PostedMessage> posted = machine.windows.PostedTo(tray->control);
    for (; sounds_ < posted.size(); ++sounds_) {
        if (posted[sounds_].message != UM_PLAYSOUND) continue;
        TLibraryError error{};
        PlaySoundAsData(*tray->process, static_cast<std::uint8_t>(posted[sounds_].wParam & 0xFF), error);
        FUZZ_CHECK((machine.ports.ReadPort(0x61) & 0x03) == 0, "the speaker is off after a sound");
        CheckHandlesClosed();
    }
}

void HookedDesk::CheckNoModifierDown() const {
    for (std::uint8_t key : ModifierKeys) {
        FUZZ_CHECK(!machine.keyboard.IsThreadKeyDown(key), "no modifier is left down for the thread");
        FUZZ_CHECK(!machine.keyboard.IsAsyncKeyDown(key), "no modifier is left down asynchronously");
    }
}

void HookedDesk::CheckOnlyHeldModifiersDown() const {
    for (const Side& side : Sides) {
        if (machine.keyboard.IsThreadKeyDown(side.specific)) {
            FUZZ_CHECK(Holds(side.virtualKey, side.extended), "a modifier is down only while the user holds it");
        }
    }
}

// Every registry key the library opens for a keystroke or a sound is closed
// again, on every path; only the two settings stores keep theirs.
void HookedDesk::CheckHandlesClosed() const {
    FUZZ_CHECK(machine.registry.OpenHandleCount() == openHandles_, "no registry key is left open");
}

bool TypesExactly(const std::wstring& text, sim::KeyboardLayout layout) {
    if (text.empty()) return false;
    for (wchar_t unit : text) {
        std::optional<char> c = CodePointToCp1252(static_cast<char32_t>(unit));
        if (!c) continue;
        auto byte = static_cast<unsigned char>(*c);
        bool printable = (byte >= 0x20 && byte <= 0x7E) || (byte >= 0xA0 && byte <= 0xFE);
        bool dead = layout == sim::KeyboardLayout::German && (*c == '^' || *c == '`' || byte == 0xB4);
        if (!printable || dead) return false;
    }
    return true;
}

// A person's keys among a macro's events while Windows loses some of the
// library's own: a combination the system keeps for itself, another
// program's hook that swallows a key, the focus moving to another program
// (or to an elevated one, which UIPI keeps injected input from) while a
// macro types, and time passing between the person's actions. Both
// programs have the library's state. Invariants:
//   - the library makes no endless stream of events: all it synthesises is
//     what the macros type plus a few events per person's event;
//   - once the person holds no key, the system holds none either (but one
//     whose release UIPI dropped: nothing can mend that);
//   - the record of expected events stays bounded, and a second after the
//     last of them nothing is expected any more;
//   - no person's key is handled twice: a macro runs at most once for each
//     press of its key (the macros here never type their own keys).
// Input:
//   byte 0       bit 0 the US layout (else German); bit 1 Win+R is the
//                system's hot key; bit 2 another program's hook swallows R
//                while the Windows key is down by the events it sees; bit 3
//                the other program runs elevated
//   then         four macro texts: a length byte (0 to 63), that many bytes,
//                for F5, Shift+F5, Ctrl+F5 and AltGr+E
//   the rest     actions of three bytes: what (a modifier, a tap, the focus
//                to the other program or back), when (a multiple of 4 at
//                once, otherwise some synthesised events after the point of
//                the action before it, and a focus move a good many after
//                the one before it; a macro's key always at once), and the
//                pause before it (8 ms a step) when it happens at once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/persons_keys.h"
#include "fuzz/tray_stand_in.h"
#include "hook/hook_procedure.h"
#include "hook/macro_store.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

constexpr Instance LibraryModule = 0x10000000;
constexpr std::uint8_t VK_F5 = VK_F1 + 4;
constexpr std::uint8_t VK_F9 = VK_F1 + 8;
constexpr std::uint8_t VK_ESCAPE = 0x1B;
// The keys that run the macros; the macros never type them.
constexpr std::uint8_t MacroKeys[] = {VK_F5, 'E'};
// The most a macro of 63 bytes can make: each byte an Alt code or a key
// with four modifiers around it, the releases before, Caps Lock switched
// off and on, the held keys pressed again.
constexpr std::size_t MaxMacroEvents = 63 * 12 + 16;
// What the library makes for a person's event that runs no macro: a
// modifier set as the person left it, a Num Lock tap.
constexpr std::size_t EventsPerPersonsEvent = 3;

constexpr std::uint8_t Taps[] = {'A', 'E', 'R', VK_F5, VK_TAB, VK_ESCAPE};

// A modifier's generic key stands for both of its sides.
std::uint8_t Family(std::uint8_t virtualKey) {
    switch (virtualKey) {
        case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU: case VK_RMENU: return VK_MENU;
        default: return virtualKey;
    }
}

bool IsMacroKey(std::uint8_t virtualKey) {
    return std::find(std::begin(MacroKeys), std::end(MacroKeys), virtualKey) != std::end(MacroKeys);
}

// The text without the characters and escapes that would press a key that
// runs a macro.
std::string WithoutMacroKeys(const std::string& text, sim::SimKeyboard& keyboard) {
    auto keyOf = [&](char c) { return static_cast<std::uint8_t>(keyboard.VkKeyScanA(c) & 0xFF); };
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\xFF' || i + 2 >= text.size()) {
            if (text[i] != '\xFF' && !IsMacroKey(keyOf(text[i]))) kept += text[i];
            continue;
        }
        auto modifiers = static_cast<std::uint8_t>(text[i + 1]);
        std::uint8_t key = (modifiers & 0x80) ? keyOf(text[i + 2]) : static_cast<std::uint8_t>(text[i + 2]);
        if (modifiers != 0xFF && !IsMacroKey(key)) kept += text.substr(i, 3);
        i += 2;
    }
    return kept;
}

class Desk {
public:
    Desk(sim::KeyboardLayout layout, bool otherElevated) {
        machine.SetLayout(layout);
        tray = std::make_unique<TrayStandIn>(machine, LibraryModule);
        app = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        otherWindow = machine.AddApplication(false);
        machine.windows.GetWindowThreadProcessId(otherWindow, &otherProcess);
        if (otherElevated) machine.system.SetIntegrity(otherProcess, sim::SimSystem::Integrity::High);
        other = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        machine.hooks.SetProcessSwitch([this](std::uint32_t process) {
            SetThisProcess(process == otherProcess ? other.get() : app.get());
        });
        SetThisProcess(app.get());
        machine.hooks.AddHook([this](int code, WParam wParam, LParam lParam) { return Watch(code, wParam, lParam); });
    }
    ~Desk() { SetThisProcess(nullptr); }

    // Another program's hook, installed after the library's.
    void SwallowKey(std::uint8_t key, bool whileWinDown) {
        machine.hooks.AddHook(
            [this, key, whileWinDown, winDown = false](int code, WParam wParam, LParam lParam) mutable -> LResult {
                if (wParam == VK_RWIN) winDown = !(lParam & TransitionBit);
                if (wParam == key && (!whileWinDown || winDown)) return 1;
                return machine.hooks.CallNextHookEx(0, code, wParam, lParam);
            });
    }

    std::size_t ExpectedEvents() const { return app->Synthesised.Size() + other->Synthesised.Size(); }

    sim::SimMachine machine;
    std::unique_ptr<TrayStandIn> tray;
    std::unique_ptr<THookProcess> app;
    std::unique_ptr<THookProcess> other;
    Window otherWindow = 0;
    std::uint32_t otherProcess = 0;
    // The presses of each macro key the library swallowed, which is where a
    // macro ran.
    std::map<std::uint8_t, std::size_t> swallowedPresses;

private:
    LResult Watch(int code, WParam wParam, LParam lParam) {
        LResult result = machine.hooks.CallNextHookEx(0, code, wParam, lParam);
        auto key = static_cast<std::uint8_t>(wParam);
        if (result != 0 && !(lParam & TransitionBit) && IsMacroKey(key)) ++swallowedPresses[key];
        return result;
    }
};

// The person at the keyboard: what the hands hold, and every event made.
struct Person {
    std::set<std::pair<std::uint8_t, bool>> held;
    std::size_t events = 0;
    std::size_t presses = 0;
    std::map<std::uint8_t, std::size_t> macroKeyPresses;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const std::uint8_t setup = input.Byte();
    const auto layout = (setup & 0x01) ? sim::KeyboardLayout::US : sim::KeyboardLayout::German;
    Desk desk(layout, setup & 0x08);
    if (setup & 0x02) desk.machine.keyboard.AddHotKey(sim::HotKey{false, false, false, true, 'R'});
    if (setup & 0x04) desk.SwallowKey('R', true);
    desk.machine.registry.PutByte(SettingsKeyPath, OptionValueName(opEnabled), 1);
    for (const char* name : FuzzedMacroNames) {
        std::string text = WithoutMacroKeys(input.Bytes(input.Byte() % 64), desk.machine.keyboard);
        desk.machine.registry.PutString(AltGrMacroKey, name, text);
    }

    Person person;
    std::size_t lastPoint = 0;
    auto deliver = [&](auto step) {
        try {
            step();
        } catch (const std::exception&) {
            FUZZ_CHECK(false, "no endless stream of synthesised events");
        }
    };
    // The event happens when it enters the system; a modifier is pressed
    // when the person does not hold it then, and released when they do.
    auto enter = [&](std::uint8_t key, bool extended, bool toggles, bool release) {
        std::pair<std::uint8_t, bool> side{key, extended};
        if (toggles) release = person.held.count(side) > 0;
        if (release) {
            person.held.erase(side);
        } else {
            person.held.insert(side);
            ++person.presses;
            if (IsMacroKey(key)) ++person.macroKeyPresses[key];
        }
        ++person.events;
        desk.machine.keyboard.UserEvent(key, extended, release);
    };
    auto act = [&](std::uint8_t key, bool extended, bool toggles, bool release, std::uint8_t when,
                   std::uint8_t pause) {
        if (when % 4 == 0) {
            desk.machine.system.AdvanceClock(pause * 8u);
            enter(key, extended, toggles, release);
            deliver([&] { desk.machine.DeliverInput(); });
            return;
        }
        const std::size_t injected = desk.machine.keyboard.InjectedLog().size();
        lastPoint = std::max(lastPoint, injected) + 1 + (when / 4) % 8;
        desk.machine.keyboard.AmidInjected(lastPoint - injected, [=, &enter] { enter(key, extended, toggles, release); });
    };
    // A click into another window takes the person a moment, in which a
    // macro types a good many events: the focus never moves away and back
    // between two characters, which the library could not tell.
    constexpr std::size_t EventsPerClick = 24;
    std::size_t lastClick = 0;
    auto moveFocus = [&](Window window, std::uint8_t when) {
        if (when % 4 == 0) {
            desk.machine.Focus(window);
            return;
        }
        const std::size_t injected = desk.machine.keyboard.InjectedLog().size();
        lastPoint = std::max({lastPoint, injected, lastClick + EventsPerClick}) + 1 + (when / 4) % 8;
        lastClick = lastPoint;
        desk.machine.FocusAmidInjected(lastPoint - injected, window);
    };
    auto checkBounds = [&] {
        FUZZ_CHECK(desk.machine.keyboard.InjectedLog().size() <=
                       person.presses * MaxMacroEvents + person.events * EventsPerPersonsEvent,
                   "the library synthesises what the macros type and a few events per person's event");
        FUZZ_CHECK(desk.ExpectedEvents() <= 4 * MaxMacroEvents, "the record of expected events stays bounded");
    };

    while (!input.Empty()) {
        const std::uint8_t what = input.Byte();
        const std::uint8_t when = input.Byte();
        const std::uint8_t pause = input.Byte();
        switch (what % 4) {
            case 0: {
                const Modifier& modifier = PersonsModifiers[(what / 4) % std::size(PersonsModifiers)];
                act(modifier.virtualKey, modifier.extended, true, false, when, pause);
                break;
            }
            case 1: {
                // A macro's key waits until the macro running has typed:
                // macros one within another are fuzzed without losses.
                const std::uint8_t key = Taps[(what / 4) % std::size(Taps)];
                const std::uint8_t at = IsMacroKey(key) ? 0 : when;
                act(key, false, false, false, at, pause);
                act(key, false, false, true, static_cast<std::uint8_t>(at == 0 ? 0 : at + 4), 0);
                break;
            }
            case 2: moveFocus(desk.otherWindow, when); break;
            default: moveFocus(desk.machine.AppWindow(), when); break;
        }
        checkBounds();
    }
    deliver([&] {
        while (desk.machine.keyboard.EnterNextScheduled()) desk.machine.DeliverInput();
    });
    while (!person.held.empty()) {
        auto [key, extended] = *person.held.begin();
        enter(key, extended, false, true);
        deliver([&] { desk.machine.DeliverInput(); });
    }
    checkBounds();

    std::set<std::uint8_t> stuckByUipi;
    for (const sim::KeyInput& event : desk.machine.keyboard.InjectedLog()) {
        if (event.blocked && (event.flags & KEYEVENTF_KEYUP)) stuckByUipi.insert(Family(event.virtualKey));
    }
    for (int key = 1; key < 256; ++key) {
        auto virtualKey = static_cast<std::uint8_t>(key);
        if (desk.machine.keyboard.IsAsyncKeyDown(virtualKey)) {
            FUZZ_CHECK(stuckByUipi.count(Family(virtualKey)), "once the person holds no key, the system holds none");
        }
    }
    for (std::uint8_t key : MacroKeys) {
        FUZZ_CHECK(desk.swallowedPresses[key] <= person.macroKeyPresses[key],
                   "a macro runs at most once for each press of its key");
    }

    // A second later, a key in each program: nothing is expected any more.
    desk.machine.system.AdvanceClock(TSynthesisedEvents::AgeLimit + 1);
    for (Window window : {desk.machine.AppWindow(), desk.otherWindow}) {
        desk.machine.Focus(window);
        deliver([&] { desk.machine.Tap(VK_F9); });
    }
    FUZZ_CHECK(desk.app->Synthesised.Size() == 0, "nothing is expected a second after the last event");
    FUZZ_CHECK(desk.other->Synthesised.Size() == 0, "nothing is expected in the other program either");
    return 0;
}

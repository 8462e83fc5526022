// A person's key events at random points among the events a macro types,
// on Windows NT. Every synthesised event must be recognised as the
// library's own and pass (or stand in for an identical event of the
// person's that was taken for it just before, and be handled as that one
// would have been), and once all events have passed the
// library's modifier flags and Windows' key state must be what the
// person's hands did. Input:
//   byte 0       bit 0 the US layout (else German)
//   then         four macro texts: a length byte (0 to 63), that many bytes,
//                for F5, Shift+F5, Ctrl+F5 and AltGr+E
//   the rest     actions of two bytes: which key, and when (a multiple of
//                4 at once, otherwise some synthesised events after the
//                point of the action before it)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "common/key_flags.h"
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

constexpr std::uint8_t Taps[] = {'A', 'E', 'X', VK_F5, 0x20 /* Space */};

struct Event {
    TEventKey key;
    bool release;
    bool operator<(const Event& other) const {
        return std::tie(key.VirtualKey, key.Right, release) <
               std::tie(other.key.VirtualKey, other.key.Right, other.release);
    }
};

class Desk {
public:
    explicit Desk(sim::KeyboardLayout layout) {
        machine.SetLayout(layout);
        tray = std::make_unique<TrayStandIn>(machine, LibraryModule);
        app = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        SetThisProcess(app.get());
        Current = this;
        machine.hooks.SetWindowsHookExA(WH_KEYBOARD, &Desk::Watch, LibraryModule, 0);
    }
    ~Desk() {
        SetThisProcess(nullptr);
        Current = nullptr;
    }

    sim::SimMachine machine;
    std::unique_ptr<TrayStandIn> tray;
    std::unique_ptr<THookProcess> app;
    // The flags the person's events give, as the hook sees them in order.
    TKeyFlags expectedFlags;
    // The person's events the library took for its own.
    std::multiset<Event> standIns;
    // The modifier keys the person holds, by the events as they came.
    std::set<std::uint8_t> held;

private:
    static Desk* Current;

    static LResult ZV_STDCALL Watch(int code, WParam wParam, LParam lParam) {
        Desk& desk = *Current;
        const sim::KeyInput& input = desk.machine.keyboard.CurrentInput();
        const auto keyData = static_cast<std::uint32_t>(lParam);
        const Event event{EventKeyOf(static_cast<std::uint16_t>(wParam), keyData), (keyData >> 31) != 0};
        const std::size_t expectedBefore = desk.app->Synthesised.Size();
        const std::size_t injectedBefore = desk.machine.keyboard.InjectedLog().size();
        const LResult result = desk.machine.hooks.CallNextHookEx(0, code, wParam, lParam);
        // Every event the library makes meanwhile is expected in its turn.
        const std::size_t made = desk.machine.keyboard.InjectedLog().size() - injectedBefore;
        const bool recognised = desk.app->Synthesised.Size() + 1 == expectedBefore + made;
        if (input.injected) {
            // One that stands in for the person's identical event, taken for
            // it just before, is handled as the person's would have been.
            FUZZ_CHECK(!recognised || result == 0, "a synthesised event passes");
            if (!recognised) {
                auto standIn = desk.standIns.find(event);
                FUZZ_CHECK(standIn != desk.standIns.end(),
                           "a synthesised event is recognised, or the person's identical one was just before");
                desk.standIns.erase(standIn);
            }
        } else {
            if (recognised) desk.standIns.insert(event);
            desk.Follow(event, input);
        }
        return result;
    }

    // The hook's own rules for the modifier flags, for the person's events.
    void Follow(const Event& event, const sim::KeyInput& input) {
        const bool press = !event.release;
        for (const Modifier& modifier : ShiftCtrlAlt) {
            const bool extended = (input.flags & KEYEVENTF_EXTENDEDKEY) != 0;
            if (modifier.virtualKey != input.virtualKey || modifier.extended != extended) continue;
            if (press) {
                held.insert(modifier.side);
            } else {
                held.erase(modifier.side);
            }
        }
        switch (event.key.VirtualKey) {
            case VK_SHIFT: SetKeyFlag(expectedFlags, kfShift, press); break;
            case VK_CONTROL: SetKeyFlag(expectedFlags, kfCtrl, press); break;
            case VK_MENU:
                SetKeyFlag(expectedFlags, kfAlt, press);
                SetKeyFlag(expectedFlags, kfAltGr, press && event.key.Right);
                break;
            default: break;
        }
    }
};

Desk* Desk::Current = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const auto layout = (input.Byte() & 0x01) ? sim::KeyboardLayout::US : sim::KeyboardLayout::German;
    Desk desk(layout);
    desk.machine.registry.PutByte(SettingsKeyPath, OptionValueName(opEnabled), 1);
    for (const char* name : FuzzedMacroNames) {
        desk.machine.registry.PutString(AltGrMacroKey, name, input.Bytes(input.Byte() % 64));
    }

    // Each event the person makes amid the typing comes at a point of its
    // own: two at one point would be a press and release quicker than two
    // synthesised events, and a person's hands are far slower.
    std::set<std::uint8_t> pressed;
    std::size_t lastPoint = 0;
    auto act = [&](std::uint8_t key, bool extended, bool release, std::uint8_t when) {
        if (when % 4 == 0) {
            if (release) {
                desk.machine.Release(key, extended);
            } else {
                desk.machine.Press(key, extended);
            }
            return;
        }
        const std::size_t injected = desk.machine.keyboard.InjectedLog().size();
        lastPoint = std::max(lastPoint, injected) + 1 + (when / 4) % 8;
        desk.machine.keyboard.UserEventAmidInjected(lastPoint - injected, key, extended, release);
    };
    while (!input.Empty()) {
        const std::uint8_t which = input.Byte();
        const std::uint8_t when = input.Byte();
        if (which % 2 == 0) {
            const Modifier& modifier = ShiftCtrlAlt[(which / 2) % std::size(ShiftCtrlAlt)];
            const bool release = pressed.erase(modifier.side) > 0;
            if (!release) pressed.insert(modifier.side);
            act(modifier.virtualKey, modifier.extended, release, when);
        } else {
            const std::uint8_t key = Taps[(which / 2) % std::size(Taps)];
            act(key, false, false, when);
            act(key, false, true, static_cast<std::uint8_t>(when == 0 ? 0 : when + 4));
        }
    }
    while (desk.machine.keyboard.EnterNextScheduled()) desk.machine.DeliverInput();

    FUZZ_CHECK(desk.app->Synthesised.Size() == 0, "no synthesised event is still expected");
    FUZZ_CHECK(desk.standIns.empty(), "every event the library took for its own was one");
    FUZZ_CHECK((desk.app->KeyFlags.Bits & 0x0F) == desk.expectedFlags.Bits,
               "the modifier flags follow the person's events");
    for (const Modifier& modifier : ShiftCtrlAlt) {
        const bool holds = desk.held.count(modifier.side) > 0;
        FUZZ_CHECK(desk.machine.keyboard.IsAsyncKeyDown(modifier.side) == holds,
                   "Windows' key state shows the modifiers the person holds");
        FUZZ_CHECK(desk.machine.keyboard.IsThreadKeyDown(modifier.side) == holds,
                   "the application's key state shows the modifiers the person holds");
    }
    return 0;
}

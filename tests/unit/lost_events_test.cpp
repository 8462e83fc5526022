// Events the library types that never come back to the process that typed
// them, as Windows loses them: a combination the system keeps for itself,
// another program's hook that swallows keys, an elevated window that gets
// the focus (UIPI drops injected input to it), the focus moving to another
// program while a macro types. A loss may spoil the macro in flight; every
// macro after it types exactly its text, and no key stays down that the
// person does not hold.
#include "tests/unit/hook_fixture.h"

#include <functional>
#include <string>

#include "common/key_flags.h"
#include "hook/macro_store.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_F5 = VK_F1 + 4;
constexpr std::uint8_t VK_F6 = VK_F1 + 5;
constexpr std::uint8_t VK_AE = 0xDE;  // carries "ä" on a German keyboard
const std::string WinR = "\xFF\x40R";
const std::string Letter = "Sehr geehrte Damen und Herren,";

class LostEventsTest;

// What loses some of the events of the macro it runs.
struct Loss {
    const char* name;
    const char* why;
    void (*cause)(LostEventsTest& test);
};

// Each loss with Caps Lock off and on: the library switches Caps Lock off
// around its text, and a lost tap of its own would turn its idea of Caps
// Lock round for good.
class LostEventsTest : public HookFixture, public ::testing::WithParamInterface<std::tuple<Loss, bool>> {
public:
    using HookFixture::AddOtherApplication;
    using HookFixture::machine;

    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("Umlautwandlung", 1);
        SetOption("UmlautMode", 0);
        // Caps Lock counts as Shift for the AltGr macros, and is a modifier
        // of its own for the umlaut tables.
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AsciiUmlautKey, "001000DE", "AE");
        machine.registry.PutString(AltGrMacroKey, "00080052", WinR);
        machine.registry.PutString(AltGrMacroKey, "00090052", WinR);
        machine.registry.PutString(AltGrMacroKey, "00080045", Letter);
        machine.registry.PutString(AltGrMacroKey, "00090045", Letter);
        machine.registry.PutString(AltGrMacroKey, "00000074", "Hallo");
        machine.registry.PutString(AltGrMacroKey, "00010074", "Hallo");
        // "bär": the library's own "ä" must not meet the umlaut table.
        machine.registry.PutString(AltGrMacroKey, "00000075", "b\xE4r");
        machine.registry.PutString(AltGrMacroKey, "00010075", "B\xC4R");
    }
    void AltGrTap(std::uint8_t key) {
        machine.PressAltGr();
        machine.Tap(key);
        machine.ReleaseAltGr();
    }
    bool AnyKeyDown() const {
        for (int key = 1; key < 256; ++key) {
            if (machine.keyboard.IsAsyncKeyDown(static_cast<std::uint8_t>(key))) return true;
        }
        return false;
    }
    // Every macro after the loss types exactly its text in the first
    // window, and the Caps Lock state the library keeps is the keyboard's.
    // Caps Lock, which the library switches off around its text, stays off
    // when the focus moved to an elevated window before it could switch it
    // on again: the person sees the light and taps it.
    void CheckRecovered(const std::string& why, bool capsLock) {
        machine.Focus(machine.AppWindow());
        if (machine.keyboard.IsLockOn(VK_CAPITAL) != capsLock) machine.Tap(VK_CAPITAL);
        machine.ClearApp();
        machine.Tap(VK_F5);
        machine.Tap(VK_F6);
        AltGrTap('E');
        machine.Tap(VK_AE);
        std::string expected = "Hallo" + std::string(capsLock ? "B\xC4R" : "b\xE4r") + Letter + (capsLock ? "AE" : "ae");
        EXPECT_EQ(machine.AppText(), expected) << why;
        EXPECT_EQ(app->KeyFlags.Contains(kfCapsLock), machine.keyboard.IsLockOn(VK_CAPITAL)) << why;
        EXPECT_EQ(app->KeyFlags.Bits & 0x0F, 0) << why << ": no modifier held";
        EXPECT_FALSE(AnyKeyDown()) << why;
        EXPECT_EQ(app->Synthesised.Size(), 0u) << why << ": nothing expected any more";
    }
};

// Another program's hook, which swallows the events it is given and passes
// the rest on.
HookHandle SwallowingHook(LostEventsTest& t, std::function<bool(WParam key, LParam keyData)> swallows) {
    return t.machine.hooks.AddHook([&t, swallows](int code, WParam wParam, LParam lParam) -> LResult {
        if (swallows(wParam, lParam)) return 1;
        return t.machine.hooks.CallNextHookEx(0, code, wParam, lParam);
    });
}

const Loss Losses[] = {
    {"HotKey", "Win+R is the system's hot key",
     [](LostEventsTest& t) {
         t.machine.keyboard.AddHotKey(sim::HotKey{false, false, false, true, 'R'});
         t.AltGrTap('R');
     }},
    {"HookSwallowsR", "another program's hook swallows R while the Windows key is down",
     [](LostEventsTest& t) {
         // It follows the Windows key by the events it sees, as a hook
         // does.
         HookHandle hook = SwallowingHook(t, [winDown = false](WParam key, LParam keyData) mutable {
             if (key == VK_RWIN) winDown = !(keyData & TransitionBit);
             return key == 'R' && winDown;
         });
         t.AltGrTap('R');
         t.machine.hooks.UnhookWindowsHookEx(hook);
     }},
    {"HookSwallowsRestore", "another program's hook swallows the library's pressing AltGr again",
     [](LostEventsTest& t) {
         HookHandle hook = SwallowingHook(t, [&t](WParam key, LParam keyData) {
             bool press = !(keyData & TransitionBit);
             return t.machine.keyboard.CurrentInput().injected && press && (key == VK_CONTROL || key == VK_MENU);
         });
         t.AltGrTap('E');
         t.machine.hooks.UnhookWindowsHookEx(hook);
         t.machine.system.AdvanceClock(2000);  // the person's pause
     }},
    {"ElevatedWindow", "an elevated window gets the focus while the macro types",
     [](LostEventsTest& t) {
         Window elevated = t.machine.AddApplication(false);
         std::uint32_t process = 0;
         t.machine.windows.GetWindowThreadProcessId(elevated, &process);
         t.machine.system.SetIntegrity(process, sim::SimSystem::Integrity::High);
         t.machine.FocusAmidInjected(12, elevated);
         t.AltGrTap('E');
     }},
    {"FocusMoves", "the focus moves to another program while the macro types",
     [](LostEventsTest& t) {
         Window other = t.AddOtherApplication();
         t.machine.FocusAmidInjected(12, other);
         t.AltGrTap('E');
         t.machine.Tap(VK_F5);
         const std::string& received = t.machine.AppText(other);
         EXPECT_TRUE(received.ends_with("Hallo")) << "a macro in the other program types its text";
     }},
};

TEST_P(LostEventsTest, EveryMacroAfterItTypesExactly) {
    const auto& [loss, capsLock] = GetParam();
    if (capsLock) machine.Tap(VK_CAPITAL);
    loss.cause(*this);
    CheckRecovered(loss.why, capsLock);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Loss, bool>>& info) {
    return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "CapsLockOn" : "");
}

INSTANTIATE_TEST_SUITE_P(Losses, LostEventsTest,
                         ::testing::Combine(::testing::ValuesIn(Losses), ::testing::Bool()), CaseName);

}  // namespace

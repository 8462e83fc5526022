// Faults that fuzzing found, kept as regular tests.
#include <gtest/gtest.h>

#include <string>

#include "hook/macro_store.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "tests/unit/hook_fixture.h"

using namespace win;

namespace {

class HeldRightModifierTest : public HookFixture {
protected:
    void SetUp() override {
        HookFixture::SetUp();
        machine.SetLayout(sim::KeyboardLayout::US);
        SetOption("Zolvik eingeschaltet", 1);
    }
    bool AnyModifierDown() const {
        for (std::uint8_t key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL,
                                 VK_RCONTROL, VK_LMENU, VK_RMENU}) {
            if (machine.keyboard.IsThreadKeyDown(key) || machine.keyboard.IsAsyncKeyDown(key)) {
                return true;
            }
        }
        return false;
    }
};

// Releasing the generic Shift or Ctrl key releases the left one: a macro
// fired with the right key held typed its text with that key still down,
// and the restore then pressed the left key, which stayed down after the
// user let go of the right one.
TEST_F(HeldRightModifierTest, RightShiftMacroTypesAsWrittenAndLeavesNothingDown) {
    machine.registry.PutString(AltGrMacroKey, "00010074", "abc");
    machine.Press(VK_RSHIFT);
    machine.ClearApp();
    machine.Tap(0x74);
    EXPECT_EQ(machine.AppText(), "abc");
    machine.Release(VK_RSHIFT);
    EXPECT_FALSE(AnyModifierDown());
}

TEST_F(HeldRightModifierTest, RightCtrlMacroTypesAsWrittenAndLeavesNothingDown) {
    machine.registry.PutString(AltGrMacroKey, "00020074", "abc");
    machine.Press(VK_CONTROL, true);
    machine.ClearApp();
    machine.Tap(0x74);
    EXPECT_EQ(machine.AppText(), "abc");
    machine.Release(VK_CONTROL, true);
    EXPECT_FALSE(AnyModifierDown());
}

// Right Ctrl and right Alt make AltGr on Windows NT: both are released for
// the text and pressed again afterwards, the right Ctrl as the right one.
TEST_F(HeldRightModifierTest, RightCtrlWithRightAltMacroRestoresTheRightKeys) {
    machine.registry.PutString(AltGrMacroKey, "00080074", "abc");
    machine.Press(VK_CONTROL, true);
    machine.Press(VK_MENU, true);
    machine.ClearApp();
    machine.Tap(0x74);
    EXPECT_EQ(machine.AppText(), "abc");
    EXPECT_TRUE(machine.keyboard.IsThreadKeyDown(VK_RCONTROL));
    EXPECT_FALSE(machine.keyboard.IsThreadKeyDown(VK_LCONTROL));
    machine.Release(VK_MENU, true);
    machine.Release(VK_CONTROL, true);
    EXPECT_FALSE(AnyModifierDown());
}

// The escape "$FF$40$A1" presses VK_RSHIFT with the Windows key; its scan
// code, asked for the whole code with the modifier bits, is 0, so the event
// comes as the left Shift key. It is still the library's own.
TEST_F(HeldRightModifierTest, RightShiftByVirtualKeyWithoutScanCodeIsTheLibrarysOwn) {
    machine.registry.PutString(AltGrMacroKey, "00000074", "$FF$40$A1x");
    machine.Tap(0x74);
    EXPECT_EQ(app->Synthesised.Size(), 0u);
    EXPECT_EQ(machine.AppText(), "x");
    EXPECT_EQ(app->KeyFlags.Bits & 0x0F, 0u);
}

}  // namespace

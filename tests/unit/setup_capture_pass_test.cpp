// While the configuration program's capture field has the focus, the hook
// library in that process lets every key pass to the field: a combination
// bound to a macro or claimed by a rule is recorded, not acted on.
#include "hook_fixture.h"
#include "hook/macro_store.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

class CapturePassTest : public HookFixture {
protected:
    Window field = machine.windows.AddWindow("Edit", "", machine.AppWindow());

    void SetUp() override {
        HookFixture::SetUp();
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("EasyBackslash", 1);
        machine.registry.PutString(AltGrMacroKey, "00080051", "alt");
        app->CaptureWindow = field;
    }
    void AltGr(std::uint8_t key) {
        machine.PressAltGr();
        machine.Tap(key);
        machine.ReleaseAltGr();
    }
    std::vector<std::uint8_t> PressesReceived() const {
        std::vector<std::uint8_t> keys;
        for (const sim::AppKeyMessage& message : machine.AppMessages(field)) {
            if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) keys.push_back(message.virtualKey);
        }
        return keys;
    }
};

TEST_F(CapturePassTest, BoundAndClaimedCombinationsReachTheFocusedField) {
    machine.windows.SetFocus(field);
    AltGr('Q');
    AltGr(VK_F1);
    AltGr(0xBF);
    machine.Tap(0xBF);
    AltGr(VK_NUMLOCK);
    EXPECT_EQ(machine.AppText(field), "@#") << "only the keys' own characters, nothing the hook typed";
    EXPECT_EQ(PressesReceived(), (std::vector<std::uint8_t>{VK_CONTROL, VK_MENU, 'Q', VK_CONTROL, VK_MENU, VK_F1,
                                                             VK_CONTROL, VK_MENU, 0xBF, 0xBF, VK_CONTROL,
                                                             VK_MENU, VK_NUMLOCK}));
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "NUM Punkt")) << "AltGr+Num Lock toggles nothing";
    EXPECT_EQ(machine.registry.Get(SettingsKeyPath, "Zolvik eingeschaltet")->data, std::vector<std::uint8_t>{1})
        << "the master switch is not touched";
    EXPECT_EQ(Flags() & 0x0F, 0) << "the modifiers are still followed";
}

TEST_F(CapturePassTest, RulesActAgainOnceTheFieldHasLostTheFocus) {
    machine.windows.SetFocus(machine.AppWindow());
    AltGr('Q');
    EXPECT_EQ(machine.AppText(), "alt");
    app->CaptureWindow = 0;
    machine.windows.SetFocus(field);
    machine.ClearApp();
    machine.Tap(0xBF);
    EXPECT_EQ(machine.AppText(field), "\\") << "a field no program named is like any other";
}

}  // namespace

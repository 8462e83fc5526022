// A 64-bit Windows with the 32-bit tray program and its 64-bit host, each
// having installed its library's hook, and a 32-bit and a 64-bit
// application. Every process has its own library state, made when a hook
// first runs there. Windows calls each hook for the keys of a process of the
// other bitness out of context, in the installing process.
#include <gtest/gtest.h>

#include <vector>

#include "common/control_messages.h"
#include "hook/hook_procedure.h"
#include "hook/macro_store.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "tests/unit/library_per_process.h"

using namespace win;

namespace {

class BitnessTest : public LibraryPerProcessTest {
protected:
    std::uint32_t host = machine.system.AddProcess(true);
    Window app32 = machine.AddApplication(false);
    Window app64 = machine.AddApplication(true);

    void InstallIn(std::uint32_t process) {
        Enter(process);
        HookHandle handle = Install(State(process), 1);
        if (process == tray) trayHook = handle;
    }

    void SetUp() override {
        machine.system.Set64BitWindows(true);
        StartTray();
        machine.registry.PutByte(SettingsKeyPath, "Zolvik eingeschaltet", 1);
        machine.registry.PutByte(SettingsKeyPath, "Piepsen bei Umschaltungen", 1);
        machine.registry.PutString(AltGrMacroKey, "00080045", "Hallo");
    }
};

TEST_F(BitnessTest, WithBothHooksEachKeyIsHandledOnceInEveryApplication) {
    InstallIn(tray);
    InstallIn(host);
    const Window apps[] = {app64, app32, app64};
    for (int i = 0; i < 3; ++i) {
        Window app = apps[i];
        machine.Focus(app);
        machine.ClearApp();
        machine.windows.ClearPosted();
        AltGr('E');
        machine.Tap(VK_SCROLL);
        EXPECT_EQ(machine.AppText(app), "Hallo") << "round " << i;
        WParam onOff = i % 2 == 0 ? 1 : 2;
        EXPECT_EQ(SoundRequests(), (std::vector<WParam>{4, onOff}))
            << "one Scroll Lock announcement, from the application's own process";
    }
    EXPECT_EQ(State(tray).KeyFlags.Bits, 0) << "the tray's state never saw a key";
    EXPECT_EQ(State(host).KeyFlags.Bits, 0) << "the host's state never saw a key";
}

TEST_F(BitnessTest, WithoutTheHostKeysOfA64BitApplicationPassUnchanged) {
    InstallIn(tray);
    machine.Focus(app64);
    AltGr('E');
    EXPECT_EQ(machine.AppText(app64), "\x80") << "AltGr+E types the euro sign, no macro";
    machine.Focus(app32);
    AltGr('E');
    EXPECT_EQ(machine.AppText(app32), "Hallo");
}

}  // namespace

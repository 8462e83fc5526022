// The tray program as a whole on a simulated 64-bit Windows: its control
// window and window hook, and the thread of its own that serves the
// library's low-level hook, for a 32-bit, a 64-bit and a Store application.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hook/macro_store.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"
#include "tests/unit/library_per_process.h"
#include "tests/unit/simulated_hook_library.h"
#include "tray/tray_program.h"

using namespace win;

namespace {

constexpr Instance ProgramModule = 0x400000;

class TrayLowLevelTest : public LibraryPerProcessTest {
protected:
    Window app32 = machine.AddApplication(false);
    Window app64 = machine.AddApplication(true);
    Window store = machine.AddStoreApplication();
    std::unique_ptr<SimulatedHookLibrary> library;
    std::unique_ptr<TTrayProgram> program;

    void SetUp() override {
        machine.system.Set64BitWindows(true);
        machine.system.SetModuleFileName(ProgramModule, "C:\\Programme\\Zolvik32\\Zolvik32.exe");
        Enter(tray);
        machine.hooks.SetProcessSwitch([this](std::uint32_t process) { SetThisProcess(&State(process)); });
        library = std::make_unique<SimulatedHookLibrary>(State(tray));
        TurnFeaturesOn();
    }

    // Runs the tray program; each step runs while its message loop waits,
    // and the program's window is closed after the last.
    int Start(std::vector<std::function<void()>> steps) {
        program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
        machine.windows.WhenIdle([this] { control = program->ControlWindow; });
        for (auto& step : steps) machine.windows.WhenIdle(std::move(step));
        machine.windows.WhenIdle([this] { machine.windows.PostMessageA(program->ControlWindow, WM_CLOSE, 0, 0); });
        return RunTrayProgram(*program, "");
    }
    // The library's worker types while the machine's threads go on.
    void Settle() {
        for (int round = 0; round < 50; ++round) {
            machine.system.AdvanceClock(20);
            machine.DeliverInput();
        }
    }
    void TypeTheFeatures(Window window) {
        machine.Focus(window);
        AltGr('E');
        Settle();
        machine.Tap(VK_AE);
        machine.Tap(VK_HASH);
        AltGr(VK_HASH);
        machine.Tap(VK_SCROLL);
        Settle();
    }
};

TEST_F(TrayLowLevelTest, EveryKindOfApplicationGetsTheFeaturesOnceUntilTheTrayEnds) {
    std::size_t lowLevelHooksWhileRunning = 0;
    std::vector<std::vector<WParam>> sounds;
    std::vector<Window> windows = {app64, store, app32};
    std::vector<std::function<void()>> steps;
    for (Window window : windows) {
        steps.push_back([&, window] {
            machine.windows.ClearPosted();
            TypeTheFeatures(window);
            sounds.push_back(SoundRequests());
            lowLevelHooksWhileRunning = machine.hooks.LowLevelCount();
        });
    }
    EXPECT_EQ(Start(steps), 0);
    EXPECT_EQ(lowLevelHooksWhileRunning, 1u);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(machine.AppText(windows[i]), "Halloae\\#") << i;
        EXPECT_EQ(sounds.at(i), (std::vector<WParam>{4, i % 2 == 0 ? WParam{1} : WParam{2}})) << i;
    }
    EXPECT_EQ(machine.hooks.LowLevelCount(), 0u) << "removed at the end";
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
    for (Window window : windows) {
        machine.ClearApp();
        machine.Focus(window);
        machine.Tap(VK_AE);
        AltGr('E');
        machine.DeliverInput();
        EXPECT_EQ(machine.AppText(window), "\xE4" "\x80") << "keys as they are";
    }
}

// The control window's thread may wait (here for two seconds, standing for
// any wait of its own); the person's keys in a 64-bit program are served
// all the while, and Windows keeps the hook.
TEST_F(TrayLowLevelTest, TheHookIsServedWhileTheWindowsThreadWaits) {
    std::string typedWhileWaiting;
    std::uint64_t typedAt = 0;
    std::uint64_t waitEnded = 0;
    machine.hooks.SetLowLevelHooksTimeout(300);
    Start({[&] {
        machine.threads.Start([&] {
            machine.Focus(app64);
            machine.Tap(VK_AE);
            Settle();
            typedWhileWaiting = machine.AppText(app64);
            typedAt = machine.threads.Now();
        });
        machine.system.Sleep(2000);
        waitEnded = machine.threads.Now();
        EXPECT_EQ(machine.hooks.LowLevelCount(), 1u);
    }});
    EXPECT_EQ(typedWhileWaiting, "ae");
    EXPECT_LT(typedAt, waitEnded);
}

// On a 32-bit Windows every program gets the window hook: no thread, no
// low-level hook.
TEST_F(TrayLowLevelTest, NoLowLevelHookOnA32BitWindows) {
    machine.system.Set64BitWindows(false);
    std::size_t lowLevelHooks = 1;
    Start({[&] { lowLevelHooks = machine.hooks.LowLevelCount(); }});
    EXPECT_EQ(lowLevelHooks, 0u);
    EXPECT_EQ(library->lowLevelCalls, 0);
}

}  // namespace

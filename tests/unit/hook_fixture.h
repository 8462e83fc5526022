#pragma once
// A simulated machine with the hook installed by a stand-in for the tray
// program, and an application process whose library state the hook uses;
// on demand a second application, in a process with a library state of its
// own.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/control_messages.h"
#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

class HookFixture : public ::testing::Test {
public:
    static constexpr win::Instance LibraryModule = 0x10000000;

protected:
    sim::SimMachine machine;
    THookProcess tray{machine.platform, LibraryModule};
    win::HookHandle installed = Install(tray, 1);
    int hookRequests = 0;
    win::Window control = machine.windows.AddWindow(
        ControlWindowName, ControlWindowName, 0,
        [this](std::uint32_t message, win::WParam, win::LParam) -> win::LResult {
            if (message != UM_GETHOOK) return 0;
            ++hookRequests;
            return static_cast<win::LResult>(installed);
        });
    std::unique_ptr<THookProcess> app = std::make_unique<THookProcess>(machine.platform, LibraryModule);

    std::unique_ptr<THookProcess> other;
    std::uint32_t otherProcess = 0;

    void SetUp() override { SetThisProcess(app.get()); }
    void TearDown() override { SetThisProcess(nullptr); }

    // Returns the second application's text window.
    win::Window AddOtherApplication() {
        win::Window window = machine.AddApplication(false);
        machine.windows.GetWindowThreadProcessId(window, &otherProcess);
        other = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        machine.hooks.SetProcessSwitch([this](std::uint32_t process) {
            SetThisProcess(process == otherProcess ? other.get() : app.get());
        });
        return window;
    }

    void SetOption(const char* name, std::uint8_t value) {
        machine.registry.PutByte(SettingsKeyPath, name, value);
    }
    // The sound events posted to the control window, in order.
    std::vector<win::WParam> SoundRequests() const {
        std::vector<win::WParam> events;
        for (const sim::PostedMessage& posted : machine.windows.PostedTo(control)) {
            if (posted.message == UM_PLAYSOUND) events.push_back(posted.wParam);
        }
        return events;
    }
    std::uint8_t Flags() const { return app->KeyFlags.Bits; }
};

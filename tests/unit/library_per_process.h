#pragma once
// A machine with the tray program's process, whose control window answers
// the library's request for the hook, and a library state of its own in
// every process a hook runs in, made there when it first does, as Windows
// maps the library into each process that gets keys.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "common/control_messages.h"
#include "common/registry_paths.h"
#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "settings/options_registry.h"

class LibraryPerProcessTest : public ::testing::Test {
protected:
    static constexpr win::Instance LibraryModule = 0x10000000;
    static constexpr std::uint8_t VK_AE = 0xDE;    // carries "ä" on a German keyboard
    static constexpr std::uint8_t VK_HASH = 0xBF;  // carries "#"

    sim::SimMachine machine;
    std::map<std::uint32_t, std::unique_ptr<THookProcess>> states;
    std::uint32_t tray = machine.system.AddProcess(false);
    win::Window control = 0;
    win::HookHandle trayHook = 0;

    THookProcess& State(std::uint32_t process) {
        std::unique_ptr<THookProcess>& state = states[process];
        if (!state) state = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        return *state;
    }
    void Enter(std::uint32_t process) {
        machine.system.SetCurrentProcess(process);
        SetThisProcess(&State(process));
    }
    std::uint32_t ProcessOf(win::Window window) {
        std::uint32_t process = 0;
        machine.windows.GetWindowThreadProcessId(window, &process);
        return process;
    }
    // In the tray's process: its control window, and the states following
    // the hook chain from process to process.
    void StartTray() {
        Enter(tray);
        control = machine.windows.AddWindow(ControlWindowName, ControlWindowName, 0,
                                            [this](std::uint32_t message, win::WParam, win::LParam) -> win::LResult {
                                                return message == UM_GETHOOK ? static_cast<win::LResult>(trayHook) : 0;
                                            });
        machine.hooks.SetProcessSwitch([this](std::uint32_t process) { SetThisProcess(&State(process)); });
    }
    void TearDown() override { SetThisProcess(nullptr); }

    void SetOption(const char* name, std::uint8_t value) {
        machine.registry.PutByte(SettingsKeyPath, name, value);
    }
    // The features a key can meet in any application: sounds, "ä" as "ae",
    // EasyBackslash and AltGr+E typing "Hallo".
    void TurnFeaturesOn() {
        SetOption("Zolvik eingeschaltet", 1);
        SetOption("Piepsen bei Umschaltungen", 1);
        SetOption("Umlautwandlung", 1);
        SetOption("UmlautMode", 0);
        SetOption("EasyBackslash", 1);
        machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
        machine.registry.PutString(AltGrMacroKey, "00080045", "Hallo");
    }

    void AltGr(std::uint8_t key) {
        machine.PressAltGr();
        machine.Tap(key);
        machine.ReleaseAltGr();
    }
    // The sound events posted to the control window, in order.
    std::vector<win::WParam> SoundRequests() const {
        std::vector<win::WParam> events;
        for (const sim::PostedMessage& posted : machine.windows.PostedTo(control)) {
            if (posted.message == UM_PLAYSOUND) events.push_back(posted.wParam);
        }
        return events;
    }
};

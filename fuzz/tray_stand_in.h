#pragma once
// The tray program as the library sees it: its library state installs the
// hook, and its control window answers the library's request for the hook.
#include <cstdint>
#include <memory>

#include "common/control_messages.h"
#include "hook/hook_procedure.h"
#include "hook/hook_process.h"
#include "platform/sim/sim_machine.h"

struct TrayStandIn {
    TrayStandIn(sim::SimMachine& machine, win::Instance library)
        : process(std::make_unique<THookProcess>(machine.platform, library)), installed(Install(*process, 1)) {
        auto answer = [this](std::uint32_t message, win::WParam, win::LParam) -> win::LResult {
            return message == UM_GETHOOK ? static_cast<win::LResult>(installed) : 0;
        };
        control = machine.windows.AddWindow(ControlWindowName, ControlWindowName, 0, answer);
    }
    TrayStandIn(const TrayStandIn&) = delete;
    TrayStandIn& operator=(const TrayStandIn&) = delete;

    std::unique_ptr<THookProcess> process;
    win::HookHandle installed;
    win::Window control = 0;
};

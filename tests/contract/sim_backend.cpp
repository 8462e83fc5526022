#include "platform/sim/sim_machine.h"
#include "tests/contract/contract_backend.h"

namespace {
sim::SimMachine& Machine() {
    static sim::SimMachine machine;
    return machine;
}
}  // namespace

win::RegistryApi& ContractRegistry() { return Machine().registry; }
win::SystemApi& ContractSystem() { return Machine().system; }
win::KeyboardApi& ContractKeyboard() { return Machine().keyboard; }
win::WindowApi& ContractWindows() { return Machine().windows; }
win::HookApi& ContractHooks() { return Machine().hooks; }

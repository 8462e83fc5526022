#include "platform/sim/sim_registry.h"
#include "tests/contract/contract_backend.h"

win::RegistryApi& ContractRegistry() {
    static sim::SimRegistry registry;
    return registry;
}

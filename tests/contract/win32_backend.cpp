#include "platform/win32/win32_platform.h"
#include "tests/contract/contract_backend.h"

win::RegistryApi& ContractRegistry() { return win::Win32Platform().registry; }
win::SystemApi& ContractSystem() { return win::Win32Platform().system; }
win::KeyboardApi& ContractKeyboard() { return win::Win32Platform().keyboard; }
win::WindowApi& ContractWindows() { return win::Win32Platform().windows; }
win::HookApi& ContractHooks() { return win::Win32Platform().hooks; }

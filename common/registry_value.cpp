#include "common/registry_value.h"

#include "common/cp1252.h"
#include "platform/win_constants.h"

std::int32_t SetRegistryValue(win::RegistryApi& registry, win::RegKey key, const std::string& name,
                              std::uint32_t type, const std::vector<std::uint8_t>& data) {
    auto size = static_cast<std::uint32_t>(data.size());
    if (win::IsConvertedString(type)) {
        return registry.RegSetValueExW(key, Cp1252ToWide(name).c_str(), type, data.data(), size);
    }
    return registry.RegSetValueExA(key, name.c_str(), type, data.data(), size);
}

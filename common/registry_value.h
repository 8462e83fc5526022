#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// Writes a value under a name of code page 1252. The string types go
// through the wide call: their data is UTF-16LE, as Windows NT stores it,
// so that every character arrives; the others through the ANSI call.
std::int32_t SetRegistryValue(win::RegistryApi& registry, win::RegKey key, const std::string& name,
                              std::uint32_t type, const std::vector<std::uint8_t>& data);

#pragma once
#include <cstdint>
#include <string>

#include "common/option_names.h"
#include "common/registry_paths.h"
#include "settings/registry.h"


// The settings store. Every read goes to the registry, so a change made by
// the configuration program or by another process counts at the next call.
class TOptionsRegistry : public TRegistry {
public:
    TOptionsRegistry(win::RegistryApi& api, win::RegKey root);

    std::uint8_t ReadFlag(const std::string& name, std::uint8_t defaultValue);
    void WriteFlag(const std::string& name, std::uint8_t value);
    std::uint8_t ReadOption(TOption option);
    void WriteOption(TOption option, std::uint8_t value);
    std::uint8_t ReadUmlautMode();
    void WriteUmlautMode(std::uint8_t mode);
    std::string ReadOptionString(TOption option);
};

// The per-process store: opens (creating it if need be) the settings key,
// or, where full access is refused, opens it for reading. A key that cannot
// be opened is not reported; every read then gives the default and every
// write fails.
void OpenSettingsKey(TOptionsRegistry& store);

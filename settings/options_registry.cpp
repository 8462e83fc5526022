#include "settings/options_registry.h"

TOptionsRegistry::TOptionsRegistry(win::RegistryApi& api, win::RegKey root) : TRegistry(api) {
    RootKey = root;
}

void OpenSettingsKey(TOptionsRegistry& store) { store.OpenSubkey(SettingsKeyPath, true); }

std::uint8_t TOptionsRegistry::ReadFlag(const std::string& name, std::uint8_t defaultValue) {
    std::uint8_t value = defaultValue;
    ReadBytes(name, &value, 1);
    return value;
}

void TOptionsRegistry::WriteFlag(const std::string& name, std::uint8_t value) {
    WriteBytes(name, &value, 1);
}

std::uint8_t TOptionsRegistry::ReadOption(TOption option) {
    return ReadFlag(OptionValueName(option), OptionDefault(option));
}

void TOptionsRegistry::WriteOption(TOption option, std::uint8_t value) {
    WriteFlag(OptionValueName(option), value);
}

// A missing "UmlautMode" reads as 0, the ASCII table, like every other
// setting that has never been written.
std::uint8_t TOptionsRegistry::ReadUmlautMode() { return ReadFlag(OptionValueName(opUmlautMode), 0); }

void TOptionsRegistry::WriteUmlautMode(std::uint8_t mode) {
    WriteFlag(OptionValueName(opUmlautMode), mode);
}

std::string TOptionsRegistry::ReadOptionString(TOption option) {
    return ReadText(OptionValueName(option));
}

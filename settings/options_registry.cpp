#include "settings/options_registry.h"

#include "platform/win_constants.h"

TOptionsRegistry::TOptionsRegistry(win::RegistryApi& api, win::RegKey root) : TRegistry(api) {
    RootKey = root;
}

// A process of low integrity (a browser's sandboxed tab, say) is refused
// write rights to the user's keys, and with them the full-access open: it
// opens the key for reading, and a write there fails as any failed write.
void OpenSettingsKey(TOptionsRegistry& store) {
    if (store.OpenSubkey(SettingsKeyPath, true)) return;
    const std::uint32_t access = store.Access;
    store.Access = win::KEY_READ;
    store.OpenSubkey(SettingsKeyPath, false);
    store.Access = access;
}

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

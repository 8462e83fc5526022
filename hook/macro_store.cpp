#include "hook/macro_store.h"

#include "common/cp1252.h"

std::wstring ReadTypedText(THookProcess& process, TRegistry& registry, const std::string& name) {
    if (process.IsWinNT) return registry.ReadWideText(name);
    return Cp1252ToWide(registry.ReadText(name));
}

std::wstring ReadMacro(THookProcess& process, const std::string& keyPath, std::uint16_t keyCode,
                       TKeyFlags flags) {
    TRegistry registry(process.Api.registry);
    if (!registry.OpenSubkey(keyPath, false)) return std::wstring();
    std::wstring text;
    try {
        text = ReadTypedText(process, registry, MacroValueName(keyCode, flags));
    } catch (const ERegistryException&) {
        return std::wstring();
    }
    if (text.find(L'$') != std::wstring::npos) text = ExpandDollarEscapes(text);
    return text;
}

// Caps Lock counts as Shift for these macros (with both, Shift once), and
// an extended key is told from its keypad twin by bit 15.
std::wstring LookupAltGrMacro(THookProcess& process, const TKeyEvent& event) {
    TKeyFlags flags = process.KeyFlags;
    if (flags.Contains(kfCapsLock)) {
        SetKeyFlag(flags, kfCapsLock, false);
        SetKeyFlag(flags, kfShift, true);
    }
    std::uint16_t keyCode = event.VirtualKey;
    if (event.KeyData & ExtendedKeyBit) keyCode |= ExtendedKeyCodeBit;
    return ReadMacro(process, AltGrMacroKey, keyCode, flags);
}

std::wstring LookupUmlautMacro(THookProcess& process, const TKeyEvent& event) {
    switch (process.OptionsRegistry.ReadUmlautMode()) {
        case 0:
            return ReadMacro(process, AsciiUmlautKey, event.VirtualKey, process.KeyFlags);
        case 1:
            return ReadMacro(process, HtmlUmlautKey, event.VirtualKey, process.KeyFlags);
        default:
            return std::wstring();
    }
}

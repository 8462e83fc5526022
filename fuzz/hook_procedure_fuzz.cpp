// The hook procedure fed any key events over a registry filled with any
// values of any type: the settings, the macro keys, the speaker tones and
// the sound scheme. Input:
//   byte 0       bit 0 the US layout (else German), bit 1 Windows 95/98
//   byte 1       the number of registry values (0 to 31), then per value:
//                key, name, modifiers, type, length, and that many data bytes
//   the rest     actions of three bytes: what, key, extended
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/option_names.h"
#include "common/sound_events.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/hooked_desk.h"
#include "hook/macro_store.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_LWIN = 0x5B;
// Keys the rules and the macros care about; other bytes are any key.
constexpr std::uint8_t Keys[] = {
    'A',      'E',        'G',         'Q',       '1',        0x70 /* F1 */, 0x74 /* F5 */,
    VK_TAB,   VK_NUMLOCK, VK_CAPITAL,  VK_SCROLL, VK_DECIMAL, VK_ADD,        VK_SUBTRACT,
    VK_OEM_2, 0xDE,       0xBA,        0xDB,      0x24,       0x2E,          VK_SHIFT,
    VK_RSHIFT, VK_CONTROL, VK_MENU,    VK_LWIN,   VK_RWIN};
// Modifier bytes of macro names: none, Shift, Ctrl, Ctrl+Shift, AltGr,
// AltGr+Shift, Caps Lock, Caps Lock+Shift, the right Windows key.
constexpr std::uint8_t MacroFlags[] = {0x00, 0x01, 0x02, 0x03, 0x08, 0x09, 0x10, 0x11, 0x80};
constexpr std::uint32_t Types[] = {REG_SZ,    REG_SZ,     REG_EXPAND_SZ, REG_BINARY,
                                   REG_BINARY, REG_DWORD, REG_MULTI_SZ,  REG_NONE};

std::uint8_t KeyOf(std::uint8_t choice) { return choice < 0x40 ? Keys[choice % std::size(Keys)] : choice; }

void PutValue(sim::SimRegistry& registry, FuzzReader& input) {
    const std::uint8_t where = input.Byte();
    const std::uint8_t name = input.Byte();
    const std::uint8_t modifiers = input.Byte();
    const std::uint8_t type = input.Byte();
    const std::string bytes = input.Bytes(input.Byte());
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    const std::uint32_t valueType = type < 0xF0 ? Types[type % std::size(Types)] : type;
    const TKeyFlags flags{MacroFlags[modifiers % std::size(MacroFlags)]};
    const std::uint16_t keyCode = KeyOf(name) | ((modifiers & 0x80) ? 0x8000 : 0);
    const std::string event = SoundEventName(static_cast<TSoundEvent>(name % SoundEventCount));
    switch (where % 6) {
        case 0:
        case 1:
            registry.Put(SettingsKeyPath, OptionValueName(static_cast<TOption>(name % OptionCount)),
                         valueType, data);
            break;
        case 2:
            registry.Put(AltGrMacroKey, MacroValueName(keyCode, flags), valueType, data);
            break;
        case 3:
            registry.Put((where & 0x80) ? HtmlUmlautKey : AsciiUmlautKey,
                         MacroValueName(keyCode & 0xFF, flags), valueType, data);
            break;
        case 4:
            registry.Put(std::string(SettingsKeyPath) + "\\Speaker", event, valueType, data);
            break;
        default:
            registry.Put("AppEvents\\Schemes\\Apps\\Zolvik32\\" + event + "\\.current", "",
                         valueType, data);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const std::uint8_t settings = input.Byte();
    const auto layout = (settings & 0x01) ? sim::KeyboardLayout::US : sim::KeyboardLayout::German;
    const bool windowsNT = !(settings & 0x02);
    HookedDesk desk(layout, windowsNT);
    desk.machine.shell.AddFile("calc.exe");
    for (std::uint8_t values = input.Byte() % 32; values > 0; --values) {
        PutValue(desk.machine.registry, input);
    }

    bool dialogMode = false;
    while (!input.Empty()) {
        const std::uint8_t what = input.Byte();
        const std::uint8_t key = KeyOf(input.Byte());
        const bool extended = input.Byte() & 1;
        switch (what % 6) {
            case 0: desk.Press(key, extended); break;
            case 1: desk.Release(key, extended); break;
            case 2:
                desk.Press(key, extended);
                desk.Release(key, extended);
                break;
            case 3:
                dialogMode = !dialogMode;
                desk.machine.SetDialogMode(dialogMode);
                break;
            case 4: desk.PlayRequestedSounds(); break;
            default: PutValue(desk.machine.registry, input); break;
        }
    }
    desk.PlayRequestedSounds();
    desk.ReleaseEverything();
    FUZZ_CHECK((desk.app->KeyFlags.Bits & 0x8F) == 0,
               "the modifier flags are clear once every key is up");
    if (windowsNT) desk.CheckNoModifierDown();
    return 0;
}

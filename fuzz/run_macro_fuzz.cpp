// RunMacro with any text, the way a user reaches it: the text stored as the
// macro of a key, and the key pressed with its modifiers, so the text runs
// through the hook procedure, the key rules and the macro store. Input: a
// byte of settings, a byte of options, then the text: code page 1252, or
// with bit 6 of the settings UTF-16LE, any character, written with the wide
// call.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/hooked_desk.h"
#include "hook/macro_store.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_F5 = 0x74;

struct Trigger {
    std::uint8_t flags;  // KeyFlags while the modifiers are held
    std::uint8_t key;
    // The modifiers, pressed in this order: left-hand and right-hand forms.
    std::uint8_t modifiers[2];
    bool extended[2][2];
};
constexpr Trigger Triggers[] = {
    {0x0E, 'E', {VK_CONTROL, VK_MENU}, {{false, true}, {true, true}}},   // AltGr
    {0x03, 'G', {VK_CONTROL, VK_SHIFT}, {{false, false}, {true, false}}},  // Ctrl+Shift
    {0x00, VK_F5, {0, 0}, {{false, false}, {false, false}}},            // F5 alone
    {0x01, VK_F5, {VK_SHIFT, 0}, {{false, false}, {false, false}}},     // Shift+F5
};

// The setting each bit of the options byte switches on.
constexpr const char* Options[] = {"Piepsen bei Umschaltungen", "Umlautwandlung", "EasyTab",
                                   "NUM Punkt", "Speaker benutzen", "EasyBackslash"};

std::size_t Count(const std::wstring& text, const std::wstring& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The registry value that expands to exactly the text: "$$" is one "$".
std::wstring Stored(const std::wstring& text) {
    std::wstring stored;
    for (wchar_t c : text) stored += c == L'$' ? std::wstring(L"$$") : std::wstring(1, c);
    return stored;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader input(data, size);
    const std::uint8_t settings = input.Byte();
    const std::uint8_t options = input.Byte();
    const bool wide = settings & 0x40;
    std::wstring text = wide ? Utf16LeToWide(input.Rest()) : Cp1252ToWide(input.Rest());
    // A registry string ends at its first NUL.
    text = text.substr(0, text.find(L'\0'));
    const auto layout = (settings & 0x01) ? sim::KeyboardLayout::US : sim::KeyboardLayout::German;
    const bool windowsNT = !(settings & 0x02);
    const Trigger& trigger = Triggers[(settings >> 3) & 0x03];
    const bool rightHand = settings & 0x20;

    HookedDesk desk(layout, windowsNT);
    sim::SimRegistry& registry = desk.machine.registry;
    registry.PutByte(SettingsKeyPath, "Zolvik eingeschaltet", 1);
    for (std::size_t bit = 0; bit < std::size(Options); ++bit) {
        registry.PutByte(SettingsKeyPath, Options[bit], (options >> bit) & 1);
    }
    registry.PutByte(SettingsKeyPath, "UmlautMode", (options >> 6) & 1);
    // Caps Lock counts as Shift for these macros.
    TKeyFlags flags{static_cast<std::uint8_t>(trigger.flags | ((settings & 0x04) ? 0x01 : 0x00))};
    std::string name = MacroValueName(trigger.key, flags);
    if (wide) {
        registry.PutWideString(AltGrMacroKey, name, Stored(text));
    } else {
        registry.PutString(AltGrMacroKey, name, WideToCp1252(Stored(text)));
    }
    desk.machine.shell.AddFile("calc.exe");

    if (settings & 0x04) {
        desk.Press(VK_CAPITAL);
        desk.Release(VK_CAPITAL);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (trigger.modifiers[i] == 0) continue;
        std::uint8_t key = trigger.modifiers[i];
        bool extended = trigger.extended[rightHand][i];
        desk.Press(key == VK_SHIFT && rightHand ? VK_RSHIFT : key, extended);
    }
    desk.machine.ClearApp();
    desk.Press(trigger.key);
    FUZZ_CHECK(desk.LastKeySwallowed() == !text.empty(), "a key with a macro is swallowed");
    FUZZ_CHECK(desk.machine.shell.Executed().size() <= Count(text, L"^"),
               "a document is opened only for a segment after a caret");
    std::size_t shutdowns = 0;
    for (const sim::PostedMessage& posted : desk.machine.windows.Posted()) {
        shutdowns += posted.message == UM_SHUTDOWN;
    }
    FUZZ_CHECK(shutdowns <= Count(text, L"*9"), "shutdown is asked for only by *9");
    desk.PlayRequestedSounds();
    desk.Release(trigger.key);

    if (!windowsNT) return 0;
    desk.CheckOnlyHeldModifiersDown();
    // A text that starts with a caret is a command sequence, not typed whole.
    if (text[0] != L'^' && TypesExactly(text, layout)) {
        FUZZ_CHECK(desk.machine.AppWideText() == text, "a plain macro arrives exactly as written");
    }
    desk.ReleaseEverything();
    desk.CheckNoModifierDown();
    return 0;
}

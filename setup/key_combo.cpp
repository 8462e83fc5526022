#include "setup/key_combo.h"


#include "common/key_bits.h"
#include "common/number_text.h"

namespace {

constexpr std::uint16_t Extended = ExtendedKeyCodeBit;

struct NamedKey {
    std::uint16_t keyCode;
    const char* name;  // code page 1252
};

// The navigation block and the arrows are extended keys; with Num Lock off
// the keypad sends the same virtual keys without the bit, and the macro
// store tells the two apart. The punctuation keys are named by what they
// carry on a German keyboard under Windows.
constexpr NamedKey NamedKeys[] = {
    {0x08, "R\xFC" "cktaste"}, {0x09, "Tab"}, {0x0C, "Num 5"}, {0x0D, "Eingabe"},
    {0x0D | Extended, "Num Eingabe"}, {0x13, "Pause"}, {0x14, "Feststelltaste"},
    {0x1B, "Esc"}, {0x20, "Leertaste"},
    {0x21 | Extended, "Bild auf"}, {0x22 | Extended, "Bild ab"}, {0x23 | Extended, "Ende"},
    {0x24 | Extended, "Pos1"}, {0x25 | Extended, "Links"}, {0x26 | Extended, "Oben"},
    {0x27 | Extended, "Rechts"}, {0x28 | Extended, "Unten"}, {0x2C | Extended, "Druck"},
    {0x2D | Extended, "Einfg"}, {0x2E | Extended, "Entf"},
    {0x21, "Num 9"}, {0x22, "Num 3"}, {0x23, "Num 1"}, {0x24, "Num 7"}, {0x25, "Num 4"},
    {0x26, "Num 8"}, {0x27, "Num 6"}, {0x28, "Num 2"}, {0x2D, "Num 0"}, {0x2E, "Num Komma"},
    {0x5D | Extended, "Men\xFC"},
    {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num Komma"},
    {0x6F | Extended, "Num /"}, {0x90, "Num"}, {0x90 | Extended, "Num"}, {0x91, "Rollen"},
    {0xBA, "\xDC"}, {0xBB, "+"}, {0xBC, ","}, {0xBD, "-"}, {0xBE, "."}, {0xBF, "#"},
    {0xC0, "\xD6"}, {0xDB, "\xDF"}, {0xDC, "^"}, {0xDD, "\xB4"}, {0xDE, "\xC4"}, {0xE2, "<"},
};

constexpr std::uint16_t LeftWindowsKey = 0x5B;
constexpr std::uint16_t CapsLockKey = 0x14;

std::string ModifierNames(TKeyFlags flags, bool leftWin = false) {
    std::string names;
    if (flags.Contains(kfAltGr)) {
        names += "AltGr+";
    } else {
        if (flags.Contains(kfCtrl)) names += "Strg+";
        if (flags.Contains(kfAlt)) names += "Alt+";
    }
    if (flags.Contains(kfShift)) names += "Umschalt+";
    if (flags.Contains(kfCapsLock)) names += "Feststelltaste+";
    if (flags.Contains(kfWin)) names += "Win+";
    if (leftWin) names += "Win links+";
    return names;
}

}  // namespace

std::string KeyName(std::uint16_t keyCode) {
    for (const NamedKey& key : NamedKeys) {
        if (key.keyCode == keyCode) return key.name;
    }
    std::uint8_t virtualKey = keyCode & 0xFF;
    bool extended = keyCode & Extended;
    std::string name;
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        name = std::string(1, static_cast<char>(virtualKey));
    } else if (virtualKey >= 0x60 && virtualKey <= 0x69) {
        name = "Num " + std::string(1, static_cast<char>('0' + virtualKey - 0x60));
    } else if (virtualKey >= 0x70 && virtualKey <= 0x87) {
        name = "F" + std::to_string(virtualKey - 0x70 + 1);
    } else {
        name = "Taste 0x" + HexDigits(virtualKey, 2);
    }
    return extended ? name + " (erweitert)" : name;
}

std::string ComboName(const TMacroKey& combo) {
    return ModifierNames(combo.Flags) + KeyName(combo.KeyCode);
}

bool TKeyCapture::Key(std::uint16_t virtualKey, std::uint32_t keyData) {
    bool press = !(keyData & TransitionBit);
    switch (virtualKey) {
        case 0x10: SetKeyFlag(flags_, kfShift, press); return false;
        case 0x11: SetKeyFlag(flags_, kfCtrl, press); return false;
        case 0x12:
            SetKeyFlag(flags_, kfAlt, press);
            SetKeyFlag(flags_, kfAltGr, (keyData & ExtendedKeyBit) && flags_.Contains(kfAlt));
            return false;
        case 0x5C: SetKeyFlag(flags_, kfWin, press); return false;
        case LeftWindowsKey: leftWin_ = press; return false;
        case CapsLockKey: return false;
        default: break;
    }
    if (!press) return false;
    TMacroKey combo;
    combo.KeyCode = static_cast<std::uint16_t>((virtualKey & 0xFF) | (keyData & ExtendedKeyBit ? Extended : 0));
    combo.Flags = flags_;
    shown_ = ModifierNames(combo.Flags, leftWin_) + KeyName(combo.KeyCode);
    refusal_.clear();
    combo_.reset();
    std::string key = KeyName(combo.KeyCode);
    if (combo.Flags.Contains(kfAlt) && !combo.Flags.Contains(kfAltGr)) {
        refusal_ = shown_ + " geht nicht: Zolvik32 unterscheidet Alt nicht, die Belegung "
                   "w\xFC" "rde ohne Alt gelten. AltGr, Strg oder die rechte Windows-Taste nehmen.";
    } else if (leftWin_) {
        refusal_ = shown_ + " geht nicht: nur die rechte Windows-Taste z\xE4hlt, die Belegung "
                   "w\xFC" "rde ohne sie gelten.";
    } else {
        if (combo.Flags.Contains(kfAltGr)) combo.Flags.Bits &= 0xF9;
        combo_ = combo;
    }
    return true;
}

std::string TKeyCapture::Held() const { return ModifierNames(flags_, leftWin_); }

void TKeyCapture::Clear() {
    flags_ = TKeyFlags{};
    leftWin_ = false;
    shown_.clear();
    combo_.reset();
    refusal_.clear();
}

#include "setup/macro_text.h"

#include <optional>

#include "common/cp1252.h"
#include "macro/dollar_escapes.h"
#include "macro/macro_steps.h"
#include "setup/key_combo.h"

namespace {

constexpr wchar_t EscapeByte = 0xFF;
constexpr wchar_t Enter = 0x0D;
constexpr wchar_t Tab = 0x09;
constexpr wchar_t KeptByte = 0xF000;
constexpr wchar_t SmallYDiaeresis = 0xFF;
// The keystroke escape's modifier byte: with bit 7 the key that types the
// character, without it a virtual key.
constexpr unsigned char TypedCharacterBit = 0x80;

wchar_t Kept(unsigned char byte) { return static_cast<wchar_t>(KeptByte + byte); }
bool IsKept(wchar_t c) { return c >= KeptByte && c <= KeptByte + 0xFF; }

// The byte a character of a keystroke escape stands for; none for a
// character outside code page 1252.
std::optional<unsigned char> ByteOf(wchar_t c) {
    std::optional<char> byte = CodePointToCp1252(static_cast<char32_t>(c));
    if (!byte) return std::nullopt;
    return static_cast<unsigned char>(*byte);
}

std::wstring Wide(const std::string& cp1252) { return Cp1252ToWide(cp1252); }

// Escape sequences of the keystroke text: 0xFF 0xFF c is c as an Alt code,
// 0xFF s c a key with modifiers.
std::size_t EscapeLength(std::wstring_view text, std::size_t i) { return std::min<std::size_t>(3, text.size() - i); }

std::string ModifierNames(unsigned char modifiers) {
    std::string names;
    if (modifiers & 0x02) names += "Strg+";
    if (modifiers & 0x04) names += "Alt+";
    if (modifiers & 0x01) names += "Umschalt+";
    if (modifiers & 0x40) names += "Win+";
    return names;
}

// The key that types a character, named as on the keyboard.
std::string CharacterKeyName(unsigned char character) {
    switch (character) {
        case Tab: return "Tab";
        case Enter: return "Eingabe";
        case 0x08: return "R\xFC" "cktaste";
        case 0x1B: return "Esc";
        case ' ': return "Leertaste";
        default: break;
    }
    if (character >= 'a' && character <= 'z') return std::string(1, static_cast<char>(character - 0x20));
    return std::string(1, static_cast<char>(character));
}

// A keystroke escape's key: "[Umschalt+Tab]", or the character of an Alt
// code.
std::wstring PreviewEscape(wchar_t modifierCharacter, wchar_t keyCharacter) {
    std::optional<unsigned char> modifiers = ByteOf(modifierCharacter);
    std::optional<unsigned char> key = ByteOf(keyCharacter);
    if (modifiers == EscapeByte || !modifiers || !key) return std::wstring(1, keyCharacter);
    if (*modifiers & TypedCharacterBit) {
        return L"[" + Wide(ModifierNames(*modifiers & 0x7F) + CharacterKeyName(*key)) + L"]";
    }
    return L"[" + Wide(ModifierNames(*modifiers) + KeyName(*key)) + L"]";
}

std::wstring PreviewTyped(std::wstring_view text) {
    std::wstring preview;
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == EscapeByte && i + 2 < text.size()) {
            preview += PreviewEscape(text[i + 1], text[i + 2]);
            i += 2;
        } else if (c == Enter) {
            preview += L"\r\n";
        } else if (static_cast<std::uint32_t>(c) < 0x20 || c == EscapeByte) {
            preview += L"[" + Wide(CharacterKeyName(static_cast<unsigned char>(c))) + L"]";
        } else {
            preview += c;
        }
    }
    return preview;
}

// Text shown in the list, in one line: keys as in the preview, a line break
// as a pilcrow, long texts cut.
std::wstring Excerpt(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : PreviewTyped(text)) {
        if (c == L'\n') continue;
        shown += c == L'\r' ? L'\xB6' : c;
        if (shown.size() >= 40) return L"\"" + shown + L"...\"";
    }
    return L"\"" + shown + L"\"";
}

std::wstring StepDescription(const TMacroStep& step) {
    switch (step.Kind) {
        case TMacroStepKind::Type: return L"tippt " + Excerpt(step.Text);
        case TMacroStepKind::Date: return L"f\xFCgt das Datum ein";
        case TMacroStepKind::Time: return L"f\xFCgt die Uhrzeit ein";
        case TMacroStepKind::Open: return L"\xF6" L"ffnet " + step.Text;
        case TMacroStepKind::UmlautAscii: return L"schaltet die Umlautwandlung um (ASCII)";
        case TMacroStepKind::UmlautHtml: return L"schaltet die Umlautwandlung um (HTML)";
        case TMacroStepKind::EasyTab: return L"schaltet EasyTab um";
        case TMacroStepKind::NumDot: return L"schaltet NUM Punkt um";
        case TMacroStepKind::Shutdown: return L"f\xE4hrt Windows herunter";
    }
    return std::wstring();
}

// Pieces typed one after the other read as one text.
std::vector<TMacroStep> StepsToShow(const std::wstring& storedText) {
    std::vector<TMacroStep> steps;
    for (TMacroStep& step : ReadMacroSteps(ExpandDollarEscapes(storedText))) {
        if (step.Kind == TMacroStepKind::Type && !steps.empty() && steps.back().Kind == TMacroStepKind::Type) {
            steps.back().Text += step.Text;
        } else {
            steps.push_back(std::move(step));
        }
    }
    return steps;
}

// A character of a keystroke escape in the field: kept as its byte, or as
// itself when code page 1252 lacks it.
wchar_t ShownEscapeCharacter(wchar_t c) {
    std::optional<unsigned char> byte = ByteOf(c);
    return byte ? Kept(*byte) : c;
}

}  // namespace

std::wstring ShownText(const std::wstring& storedText) {
    std::wstring text = ExpandDollarEscapes(storedText);
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == EscapeByte) {
            std::size_t length = EscapeLength(text, i);
            if (text.compare(i, length, L"\xFF\xFF\xFF") == 0) {
                shown += SmallYDiaeresis;
            } else {
                for (std::size_t k = 0; k < length; ++k) shown += ShownEscapeCharacter(text[i + k]);
            }
            i += length - 1;
        } else if (c == Enter) {
            shown += L"\r\n";
        } else if (static_cast<std::uint32_t>(c) < 0x20 && c != Tab) {
            shown += Kept(static_cast<unsigned char>(c));
        } else {
            shown += c;
        }
    }
    return shown;
}

// "ÿ" is 0xFF, which starts a keystroke escape: it is typed by its Alt code.
std::wstring StoreShownText(std::wstring_view shownText) {
    std::wstring text;
    for (std::size_t i = 0; i < shownText.size(); ++i) {
        wchar_t c = shownText[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < shownText.size() && shownText[i + 1] == L'\n') ++i;
            text += Enter;
        } else if (c == SmallYDiaeresis) {
            text += L"\xFF\xFF\xFF";
        } else if (IsKept(c)) {
            text += static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c - KeptByte)));
        } else {
            text += c;
        }
    }
    return EscapeDollars(text);
}

std::wstring DescribeMacro(const std::wstring& storedText) {
    std::wstring description;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        description += (description.empty() ? L"" : L", ") + StepDescription(step);
    }
    return description.empty() ? L"tut nichts" : description;
}

std::wstring DescribeCommands(const std::wstring& storedText) {
    std::wstring description;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        if (!IsTypingStep(step.Kind)) description += (description.empty() ? L"" : L", ") + StepDescription(step);
    }
    return description;
}

std::wstring OneLineText(const std::wstring& storedText) {
    std::wstring line;
    for (wchar_t c : ShownText(storedText)) {
        if (c == L'\n') continue;
        line += c == L'\r' ? L'\xB6' : IsKept(c) ? L'\xB7' : c;
    }
    return line;
}

std::wstring PreviewMacro(const std::wstring& storedText, const TRegionalFormats& regional,
                          const win::SystemTime& now) {
    std::wstring preview;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        switch (step.Kind) {
            case TMacroStepKind::Type: preview += PreviewTyped(step.Text); break;
            case TMacroStepKind::Date:
            case TMacroStepKind::Time: {
                const std::string& regionalFormat =
                    step.Kind == TMacroStepKind::Date ? regional.RegionalLongDate : regional.RegionalLongTime;
                std::string format = step.Format ? WideToCp1252(*step.Format) : regionalFormat;
                preview += Wide(FormatTimestamp(regional, format, now));
                break;
            }
            default: preview += L"[" + StepDescription(step) + L"]"; break;
        }
    }
    return preview;
}

TCommandArgument ArgumentOf(TMacroCommand command) {
    switch (command) {
        case TMacroCommand::DateFormat:
        case TMacroCommand::TimeFormat: return TCommandArgument::Format;
        case TMacroCommand::Open: return TCommandArgument::File;
        default: return TCommandArgument::None;
    }
}

TCommandResult AppendCommand(std::wstring_view shownText, TMacroCommand command,
                             std::wstring_view argument) {
    std::wstring text(shownText);
    std::wstring piece;
    switch (command) {
        case TMacroCommand::Date: piece = L"^*40"; break;
        case TMacroCommand::Time: piece = L"^*41"; break;
        case TMacroCommand::DateFormat:
        case TMacroCommand::TimeFormat:
            if (argument.find(L'"') != std::wstring_view::npos) {
                return {false, text, "Ein eigenes Format kann kein \" enthalten."};
            }
            piece = L"^*49\"" + std::wstring(argument) + L"\"" + (command == TMacroCommand::DateFormat ? L"*40" : L"*41");
            break;
        case TMacroCommand::Open:
            if (argument.empty()) return {false, text, "Kein Programm oder Dokument gew\xE4hlt."};
            if (argument.find_first_of(L"^*") != std::wstring_view::npos) {
                return {false, text, "Ein Pfad mit ^ oder * kann nicht ge\xF6" "ffnet werden."};
            }
            piece = L"^" + std::wstring(argument);
            break;
        case TMacroCommand::UmlautAscii: piece = L"^*2"; break;
        case TMacroCommand::UmlautHtml: piece = L"^*3"; break;
        case TMacroCommand::EasyTab: piece = L"^*7"; break;
        case TMacroCommand::NumDot: piece = L"^*8"; break;
        case TMacroCommand::Shutdown: piece = L"^*9"; break;
    }
    if (text.empty() || text[0] == L'^') return {true, text + piece, ""};
    // A plain text is typed first: after "*0", a command that does nothing,
    // text is typed up to the next "^".
    if (text.find_first_of(L"^*") != std::wstring::npos) {
        return {false, text, "Ein Text mit ^ oder * kann nicht mit Befehlen verbunden werden."};
    }
    return {true, L"^*0" + text + piece, ""};
}

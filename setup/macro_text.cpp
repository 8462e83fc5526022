#include "setup/macro_text.h"

#include "common/cp1252.h"
#include "macro/dollar_escapes.h"
#include "macro/macro_steps.h"
#include "setup/key_combo.h"

namespace {

constexpr unsigned char EscapeByte = 0xFF;
constexpr unsigned char Enter = 0x0D;
constexpr unsigned char Tab = 0x09;
constexpr wchar_t KeptByte = 0xF000;
constexpr wchar_t SmallYDiaeresis = 0xFF;
// The keystroke escape's modifier byte: with bit 7 the key that types the
// character, without it a virtual key.
constexpr unsigned char TypedCharacterBit = 0x80;

wchar_t Kept(unsigned char byte) { return static_cast<wchar_t>(KeptByte + byte); }
bool IsKept(wchar_t c) { return c >= KeptByte && c <= KeptByte + 0xFF; }

std::string Expanded(const std::string& storedText) { return ExpandDollarEscapes(storedText); }

// Escape sequences of the keystroke text: 0xFF 0xFF c is c as an Alt code,
// 0xFF s c a key with modifiers.
std::size_t EscapeLength(std::string_view bytes, std::size_t i) {
    return std::min<std::size_t>(3, bytes.size() - i);
}

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

std::string PreviewTyped(std::string_view bytes) {
    std::string preview;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == EscapeByte && i + 2 < bytes.size()) {
            auto modifiers = static_cast<unsigned char>(bytes[i + 1]);
            auto key = static_cast<unsigned char>(bytes[i + 2]);
            i += 2;
            if (modifiers == EscapeByte) {
                preview += static_cast<char>(key);
            } else if (modifiers & TypedCharacterBit) {
                preview += "[" + ModifierNames(modifiers & 0x7F) + CharacterKeyName(key) + "]";
            } else {
                preview += "[" + ModifierNames(modifiers) + KeyName(key) + "]";
            }
        } else if (byte == Enter) {
            preview += "\r\n";
        } else if (byte < 0x20 || byte == EscapeByte) {
            preview += "[" + CharacterKeyName(byte) + "]";
        } else {
            preview += bytes[i];
        }
    }
    return preview;
}

// Text shown in the list, in one line: keys as in the preview, a line break
// as a pilcrow, long texts cut.
std::string Excerpt(const std::wstring& text) {
    std::string shown;
    for (char c : PreviewTyped(WideToCp1252(text))) {
        if (c == '\n') continue;
        shown += c == '\r' ? '\xB6' : c;
        if (shown.size() >= 40) return "\"" + shown + "...\"";
    }
    return "\"" + shown + "\"";
}

std::string StepDescription(const TMacroStep& step) {
    switch (step.Kind) {
        case TMacroStepKind::Type: return "tippt " + Excerpt(step.Text);
        case TMacroStepKind::Date: return "f\xFCgt das Datum ein";
        case TMacroStepKind::Time: return "f\xFCgt die Uhrzeit ein";
        case TMacroStepKind::Open: return "\xF6" "ffnet " + WideToCp1252(step.Text);
        case TMacroStepKind::UmlautAscii: return "schaltet die Umlautwandlung um (ASCII)";
        case TMacroStepKind::UmlautHtml: return "schaltet die Umlautwandlung um (HTML)";
        case TMacroStepKind::EasyTab: return "schaltet EasyTab um";
        case TMacroStepKind::NumDot: return "schaltet NUM Punkt um";
        case TMacroStepKind::Shutdown: return "f\xE4hrt Windows herunter";
    }
    return std::string();
}

// Pieces typed one after the other read as one text.
std::vector<TMacroStep> StepsToShow(const std::string& storedText) {
    std::vector<TMacroStep> steps;
    for (TMacroStep& step : ReadMacroSteps(Cp1252ToWide(Expanded(storedText)))) {
        if (step.Kind == TMacroStepKind::Type && !steps.empty() && steps.back().Kind == TMacroStepKind::Type) {
            steps.back().Text += step.Text;
        } else {
            steps.push_back(std::move(step));
        }
    }
    return steps;
}

}  // namespace

std::wstring ShownText(const std::string& storedText) {
    std::string bytes = Expanded(storedText);
    std::wstring shown;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == EscapeByte) {
            std::size_t length = EscapeLength(bytes, i);
            if (bytes.compare(i, length, "\xFF\xFF\xFF") == 0) {
                shown += SmallYDiaeresis;
            } else {
                for (std::size_t k = 0; k < length; ++k) shown += Kept(static_cast<unsigned char>(bytes[i + k]));
            }
            i += length - 1;
        } else if (byte == Enter) {
            shown += L"\r\n";
        } else if (byte < 0x20 && byte != Tab) {
            shown += Kept(byte);
        } else {
            shown += static_cast<wchar_t>(Cp1252ToCodePoint(byte));
        }
    }
    return shown;
}

// "ÿ" is 0xFF, which starts a keystroke escape: it is typed by its Alt code.
TStoredText StoreShownText(std::wstring_view shownText) {
    TStoredText result;
    result.Refused = CharactersOutsideCp1252(shownText);
    std::string bytes;
    for (std::size_t i = 0; i < shownText.size(); ++i) {
        wchar_t c = shownText[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < shownText.size() && shownText[i + 1] == L'\n') ++i;
            bytes += static_cast<char>(Enter);
        } else if (c == SmallYDiaeresis) {
            bytes += "\xFF\xFF\xFF";
        } else if (IsKept(c)) {
            bytes += static_cast<char>(c - KeptByte);
        } else {
            bytes += WideToCp1252(std::wstring_view(&shownText[i], 1));
        }
    }
    // Kept bytes count as characters of their own; they are no refusal.
    std::wstring refused;
    for (wchar_t c : result.Refused) {
        if (!IsKept(c)) refused += c;
    }
    result.Refused = refused;
    result.Text = EscapeDollars(bytes);
    return result;
}

std::wstring RefusedCharactersMessage(const std::wstring& refused) {
    std::wstring message = L"Zolvik32 kann diese Zeichen noch nicht tippen:";
    for (wchar_t c : refused) {
        message += (c >= 0xDC00 && c <= 0xDFFF) ? L"" : L" ";
        message += c;
    }
    return message;
}

std::string DescribeMacro(const std::string& storedText) {
    std::string description;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        description += (description.empty() ? "" : ", ") + StepDescription(step);
    }
    return description.empty() ? "tut nichts" : description;
}

std::string DescribeCommands(const std::string& storedText) {
    std::string description;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        if (!IsTypingStep(step.Kind)) description += (description.empty() ? "" : ", ") + StepDescription(step);
    }
    return description;
}

std::string OneLineText(const std::string& storedText) {
    std::string line;
    for (wchar_t c : ShownText(storedText)) {
        if (c == L'\n') continue;
        line += c == L'\r' ? '\xB6' : IsKept(c) ? '\xB7' : WideToCp1252(std::wstring_view(&c, 1))[0];
    }
    return line;
}

std::string PreviewMacro(const std::string& storedText, const TRegionalFormats& regional,
                         const win::SystemTime& now) {
    std::string preview;
    for (const TMacroStep& step : StepsToShow(storedText)) {
        switch (step.Kind) {
            case TMacroStepKind::Type: preview += PreviewTyped(WideToCp1252(step.Text)); break;
            case TMacroStepKind::Date:
            case TMacroStepKind::Time: {
                const std::string& regionalFormat =
                    step.Kind == TMacroStepKind::Date ? regional.RegionalLongDate : regional.RegionalLongTime;
                std::string format = step.Format ? WideToCp1252(*step.Format) : regionalFormat;
                preview += FormatTimestamp(regional, format, now);
                break;
            }
            default: preview += "[" + StepDescription(step) + "]"; break;
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

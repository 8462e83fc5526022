#pragma once
// The macro command language, read once for every program that needs it:
// the hook library runs the steps, the configuration program describes and
// previews them. The reader works on wide characters; the system still
// stores and types code page 1252, which converts to them and back without
// loss.
//
// A text whose first character is not "^" is typed whole. After a leading
// "^" the text is a command sequence: "^" separates segments, "*" with the
// next character is a command:
//   *2 *3   umlaut conversion switched over (ASCII, HTML table)
//   *40 *41 the date, the time (regional long format, or *49's)
//   *49"f"  the format for later *40 and *41
//   *7 *8   EasyTab, the keypad decimal character switched over
//   *9      Windows asked to shut down
// A segment that follows "^" names a program or document to open; text after
// a command is typed. A command throws away the segment collected before it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TMacroStepKind { Type, Date, Time, Open, UmlautAscii, UmlautHtml, EasyTab, NumDot, Shutdown };

struct TMacroStep {
    TMacroStepKind Kind;
    // Type: the keystroke text; Open: the program or document.
    std::wstring Text;
    // Date, Time: the format to fill with the moment; none for the regional
    // long format.
    std::optional<std::wstring> Format;

    bool operator==(const TMacroStep&) const = default;
};

// The steps of a macro text after its "$" escapes were expanded, in the
// order they take effect. Pieces typed one after the other are steps of
// their own, as each is typed with its own release and restore of the
// modifiers.
std::vector<TMacroStep> ReadMacroSteps(std::wstring_view text);

// Steps that type something (text, the date or the time).
bool IsTypingStep(TMacroStepKind kind);

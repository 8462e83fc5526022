#pragma once
// What a macro text does, read the way the hook library runs it, for the
// list of bindings (a short description) and the text field (what it will
// type, today's date included), and the commands the text field offers.
#include <string>
#include <vector>

#include "hook/datetime_format.h"
#include "platform/win_types.h"

enum class TMacroStepKind { Type, Date, Time, Open, UmlautAscii, UmlautHtml, EasyTab, NumDot, Shutdown };

struct TMacroStep {
    TMacroStepKind Kind;
    std::string Text;  // the typed text (the date, the time), the program or document opened
};

// The steps of a stored text, "$" escapes expanded, dates and times filled
// in with the moment given.
std::vector<TMacroStep> MacroSteps(const std::string& storedText, const TRegionalFormats& regional,
                                   const win::SystemTime& now);

// "tippt \"Mit freundlichen Grüßen\"", "öffnet calc.exe, fügt das Datum ein".
std::string DescribeMacro(const std::string& storedText);
// Everything the text types, one after the other; the other steps in
// brackets ("[öffnet calc.exe]").
std::string PreviewMacro(const std::string& storedText, const TRegionalFormats& regional,
                         const win::SystemTime& now);

// The commands of the text field, each a piece of a command sequence.
enum class TMacroCommand {
    Date,         // the date, in the regional long format
    Time,         // the time, in the regional long format
    DateFormat,   // the date in an own format
    TimeFormat,   // the time in an own format
    Open,         // open a program or document
    UmlautAscii,  // umlaut conversion on with the ASCII table, or off
    UmlautHtml,   // the same with the HTML table
    EasyTab,
    NumDot,
    Shutdown,
};

struct TCommandResult {
    bool Ok = false;
    std::string Text;    // the new macro text
    std::string Reason;  // why the command cannot be added
};

// Appends a command to a macro text. A plain text becomes a command
// sequence that types it first; the argument is the format or the path.
TCommandResult AppendCommand(const std::string& storedText, TMacroCommand command,
                             const std::string& argument = std::string());

// A text as it must be stored to give exactly that text after the "$"
// escapes: "$" doubled, control bytes and 0xFF as escapes. (A text that
// starts with "^" is a command sequence all the same.)
std::string StoredPlainText(const std::string& text);

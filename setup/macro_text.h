#pragma once
// Macro texts as the configuration program shows them: in the text field
// as the user means them (no "$" escapes, line breaks as lines), in the list
// as a short description, and as a preview of what they type with today's
// date filled in. Texts are read by the one reader of the macro language.
#include <string>
#include <string_view>

#include "macro/datetime_format.h"
#include "platform/win_types.h"

// Stored texts hold any character; a "$" escape names a code page 1252
// byte ("$80" is "€").
//
// The text field's form of a stored text: the "$" escapes expanded, a line
// break for each Enter the text types, "ÿ" for its Alt code. Bytes that are
// no character of their own (the keystroke escapes, control bytes) are kept
// as the private-use characters U+F000 + byte, so that they come back
// unchanged.
std::wstring ShownText(const std::wstring& storedText);
// The stored form: what expands to the shown text.
std::wstring StoreShownText(std::wstring_view shownText);

// "tippt \"Mit freundlichen Grüßen\"", "öffnet calc.exe, fügt das Datum ein".
std::wstring DescribeMacro(const std::wstring& storedText);
// What the text does besides typing ("öffnet calc.exe, fährt Windows
// herunter"), which a trial in the test field shows instead of running;
// empty when it only types.
std::wstring DescribeCommands(const std::wstring& storedText);
// The text in one line for the list: a line break as "¶", a byte that is
// no character as "·".
std::wstring OneLineText(const std::wstring& storedText);
// Everything the text types, one after the other, Enter as a line break;
// keystroke escapes as the keys they press ("[Umschalt+Tab]"), and the
// other steps in brackets ("[öffnet calc.exe]").
std::wstring PreviewMacro(const std::wstring& storedText, const TRegionalFormats& regional,
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

// What the command's argument is: nothing, a format or a file.
enum class TCommandArgument { None, Format, File };
TCommandArgument ArgumentOf(TMacroCommand command);

struct TCommandResult {
    bool Ok = false;
    std::wstring Text;   // the new text, in the field's form
    std::string Reason;  // why the command cannot be added (code page 1252)
};

// Appends a command to a text in the field's form. A plain text becomes a
// command sequence that types it first; the argument is the format or the
// path.
TCommandResult AppendCommand(std::wstring_view shownText, TMacroCommand command,
                             std::wstring_view argument = std::wstring_view());

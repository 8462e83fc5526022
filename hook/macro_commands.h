#pragma once
#include <string>

#include "hook/rule_actions.h"

// Carries out a macro text. A text whose first character is not "^" is typed
// whole. After a leading "^" the text is a command sequence: "^" separates
// segments, "*" with the next character is a command:
//   *2 *3   umlaut conversion switched over (ASCII, HTML table)
//   *40 *41 the date, the time (regional long format, or *49's)
//   *49"f"  the format for later *40 and *41
//   *7 *8   EasyTab, the keypad decimal character switched over
//   *9      Windows asked to shut down
// A segment that follows "^" names a program or document to open; text after
// a command is typed. A non-empty text always swallows the key.
void RunMacro(const std::string& text, TKeyRuleContext& context);

// Opens a program or document with the shell; false when it cannot.
bool OpenDocument(THookProcess& process, const std::string& path);

#pragma once
#include <cstdint>
#include <string>

#include "common/key_flags.h"
#include "common/registry_paths.h"
#include "hook/hook_process.h"
#include "hook/key_event.h"


// The registry value name of a key with its modifiers: 8 upper-case hex
// digits. AltGr hides Ctrl and Alt, so AltGr+Ctrl+key names AltGr+key.
std::string MacroValueName(std::uint16_t keyCode, TKeyFlags flags);

// The "$" escapes: "$$" is a dollar sign, "$" with one or two hex digits the
// byte they give; an escape that does not convert is dropped.
std::string ExpandDollarEscapes(std::string text);

// The expanded macro text bound to the key, empty when there is none. A
// value that cannot be read as a string counts as no macro.
std::string ReadMacro(THookProcess& process, const std::string& keyPath, std::uint16_t keyCode,
                      TKeyFlags flags);
std::string LookupAltGrMacro(THookProcess& process, const TKeyEvent& event);
std::string LookupUmlautMacro(THookProcess& process, const TKeyEvent& event);

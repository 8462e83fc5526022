#pragma once
#include <cstdint>
#include <string>

#include "common/key_flags.h"
#include "common/registry_paths.h"
#include "hook/hook_process.h"
#include "hook/key_event.h"
#include "macro/dollar_escapes.h"
#include "macro/value_name.h"
#include "settings/registry.h"

// A text value of the registry's current key that the library types: on
// Windows NT read with the wide call, so that it keeps every character;
// Windows 95/98 has only the code page 1252 one.
std::wstring ReadTypedText(THookProcess& process, TRegistry& registry, const std::string& name);

// The expanded macro text bound to the key, empty when there is none. A
// value that cannot be read as a string counts as no macro.
std::wstring ReadMacro(THookProcess& process, const std::string& keyPath, std::uint16_t keyCode,
                       TKeyFlags flags);
std::wstring LookupAltGrMacro(THookProcess& process, const TKeyEvent& event);
std::wstring LookupUmlautMacro(THookProcess& process, const TKeyEvent& event);

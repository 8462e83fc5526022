#pragma once
#include <cstdint>
#include <string>

#include "common/key_flags.h"
#include "common/registry_paths.h"
#include "hook/hook_process.h"
#include "hook/key_event.h"
#include "macro/dollar_escapes.h"
#include "macro/value_name.h"

// The expanded macro text bound to the key, empty when there is none. A
// value that cannot be read as a string counts as no macro.
std::string ReadMacro(THookProcess& process, const std::string& keyPath, std::uint16_t keyCode,
                      TKeyFlags flags);
std::string LookupAltGrMacro(THookProcess& process, const TKeyEvent& event);
std::string LookupUmlautMacro(THookProcess& process, const TKeyEvent& event);

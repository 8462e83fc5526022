#pragma once
#include <cstdint>

#include "common/library_error.h"
#include "hook/hook_process.h"

// Plays one sound event and returns when it has finished: the file the
// Windows sound scheme names for the event, or, with "Speaker benutzen" on,
// the event's PC-speaker tones. The setting and the values are read afresh
// on every call, through a registry object of the call's own. True whether
// or not anything played; an event above 8 plays nothing. An error of the
// registry layer (a value of the wrong type) goes to the caller, and then
// nothing plays.
bool PlaySound(THookProcess& process, std::uint8_t event);

// PlaySound for the library's export: no C++ error leaves it. False when an
// error ended the call; `error` then describes it.
bool PlaySoundAsData(THookProcess& process, std::uint8_t event, TLibraryError& error) noexcept;

#pragma once
#include "common/sound_events.h"
#include "hook/hook_process.h"

// Ask the tray program to play a sound, if toggle sounds are wanted. The
// request is posted: the keystroke never waits for a sound. False only when
// a sound was wanted and the control window does not exist.
bool RequestSound(THookProcess& process, TSoundEvent event);
bool RequestOnOffSound(THookProcess& process, bool on);

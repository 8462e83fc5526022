#pragma once
#include "hook/hook_process.h"
#include "hook/key_actions.h"
#include "hook/key_event.h"

// "NUM Umschaltung sperren", and AltGr+Num Lock, whose rule forces Num Lock
// on, on Windows NT. There a Num Lock press toggles Num Lock for the whole
// system as it happens, whatever the thread's toggle bit says and even when
// the hook swallows the press, so setting that bit cannot hold it on: when
// a press turns Num Lock off, the library types a Num Lock tap of its own,
// which turns it on again for the system and, as it passes, for the
// thread. The tap follows the person's release: a press of a key that is
// down toggles nothing. A release that went to another program, when the
// focus moved, leaves the tap undone until the next press drops it.
// Under Wine the X server owns Num Lock and turns a toggle made inside
// Windows back at the next key, as a Num Lock press and release of its own
// that the library cannot tell from the person's: a tap there would be
// undone and typed again at every key, so none is typed.
enum class TNumLockHold {
    None,    // the rule does not act on NT for this event
    Kept,    // the press leaves Num Lock on
    Tapped,  // the press turns it off; a tap of the library's own follows
};

// For a Num Lock press the rules will see, whose flag the hook has brought
// up to date: the first press with AltGr, or without Shift, Ctrl and Alt
// with the setting on; the master switch on. When a tap is due the flag
// shows Num Lock on.
TNumLockHold HoldNumLockOn(THookProcess& process, const TKeyEvent& event);

// At the person's release of Num Lock: asks for the tap that is due. True
// when it did, which toggles Num Lock once more.
bool TypeDueNumLockTap(THookProcess& process, TKeyActions& actions);

// A macro bound to Num Lock swallowed the press, which the thread then
// never sees: its toggle bit is set so that Num Lock ends on for it too.
void HeldNumLockSwallowed(THookProcess& process, TNumLockHold hold);

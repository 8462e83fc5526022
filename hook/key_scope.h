#pragma once
// What the system does for a key where it is pressed: in which program and
// in which field. One decision, whichever way the key comes to the library.
#include <string>

#include "hook/hook_process.h"

struct TKeyScope {
    // False: the system does nothing at all for the key. It passes
    // untouched, no sound is asked for, AltGr+F1 switches nothing; the
    // members below do not count then.
    bool Acts = true;
    // False: the lock keys are announced and Num Lock is held on as
    // everywhere, but no key rule acts, AltGr+F1 neither.
    bool Rules = true;
    bool Macros = true;
    bool Umlauts = true;
    // NUM Punkt's toggle on AltGr+Num Lock, EasyTab, the Num Lock lock.
    bool Keypad = true;
    // The text of the keypad's decimal key ("NUM Punkt").
    bool DecimalText = true;
    bool EasyBackslash = true;
};

// The scope of a key pressed in the program of that file name ("mstsc.exe")
// while `focus` has the keyboard focus: the configuration program's wish
// to be left alone outside its test field, the program's rule under the
// Programme key, and a password field. Costs one registry call (one failed
// open while the Programme key does not exist); a password field adds the
// read of its setting. A hook that runs outside the program (a low-level
// one) passes the file name of the foreground process, asked for once per
// process with ProgramFileOf, and the focus window of its thread.
TKeyScope ScopeOfKey(THookProcess& process, const std::string& programFile, win::Window focus);

// The scope of a key that this process receives. The window hook runs in
// the thread whose window has the keyboard focus, so the program is this
// process's own, whatever frame another process draws around its window.
TKeyScope ScopeOfKeyHere(THookProcess& process);

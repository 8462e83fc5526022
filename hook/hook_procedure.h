#pragma once
#include <cstdint>

#include "hook/hook_process.h"
#include "hook/key_event.h"
#include "platform/win_types.h"

// The procedure Windows calls for every keyboard event: the hook procedure
// of this process's library state.
win::LResult ZV_STDCALL KeyboardHookEntry(int code, win::WParam wParam, win::LParam lParam);
// The hook chain to pass events on through while the state cannot be made.
void SetHooksWithoutState(win::HookApi& hooks);

// The WH_KEYBOARD hook procedure. Returns 1 to swallow the event, otherwise
// what the next hook returns. Nothing raised inside it reaches the host
// process: the key then passes on.
win::LResult KeyboardHookProc(THookProcess& process, int code, win::WParam wParam,
                              win::LParam lParam);

// At the first press of a lock key, as the state after it is in
// process.KeyFlags: the key's sound and the on or off sound. Both hooks
// announce with it.
void AnnounceLockKey(THookProcess& process, const TKeyEvent& event);

// The hook handle as the tray program's control window knows it; 0 while
// that window does not exist.
win::HookHandle FetchHookHandle(THookProcess& process);

// A nonzero argument installs the system-wide hook, 0 removes it. Returns
// the hook handle afterwards (0 when installing failed or removing worked).
win::HookHandle Install(THookProcess& process, std::uint8_t install);

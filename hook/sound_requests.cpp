#include "hook/sound_requests.h"

#include "common/control_messages.h"

bool RequestSound(THookProcess& process, TSoundEvent event) {
    if (process.OptionsRegistry.ReadOption(opBeepOnToggle) == 0) return true;
    win::Window control = FindControlWindow(process.Api.windows);
    if (control == 0) return false;
    process.Api.windows.PostMessageA(control, UM_PLAYSOUND, event, 0);
    return true;
}

bool RequestOnOffSound(THookProcess& process, bool on) {
    return RequestSound(process, on ? seOn : seOff);
}

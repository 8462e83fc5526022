#include "common/control_messages.h"

win::Window FindControlWindow(win::WindowApi& windows) {
    return windows.FindWindowA(ControlWindowName, ControlWindowName);
}

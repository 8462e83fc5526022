// Entry point of Zolvik64.exe: the 64-bit host over the real platform.
#include "host/host_program.h"
#include "platform/win32/win32_platform.h"

extern "C" int WinMain(win::Instance instance, win::Instance, char* commandLine, int) {
    return RunHost(win::Win32Platform(), instance, commandLine ? commandLine : "");
}

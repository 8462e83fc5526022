#include "common/platform_detection.h"

#include "platform/win_constants.h"

bool DetectWinNT(win::SystemApi& system) {
    win::OsVersionInfo info{};
    info.size = sizeof info;
    system.GetVersionExA(&info);
    return info.platformId == win::VER_PLATFORM_WIN32_NT;
}

bool DetectWine(win::SystemApi& system) {
    win::Instance ntdll = system.GetModuleHandleA("ntdll.dll");
    return ntdll != 0 && system.GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A test-only hook library: the system's keystroke synthesiser inside a real
// process. It exports Install at ordinal 10 like Zolhook.dll, so the probe's
// host can install it. In the process with the keyboard, F12 types the text
// of the file ZOLVIK_TYPER_TEXT names, and F11 writes the modifiers' state
// to the file ZOLVIK_TYPER_LOG names; both keys are swallowed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/key_flags.h"
#include "hook/key_event.h"
#include "hook/this_process.h"
#include "hook/typing.h"
#include "platform/win32/win32_platform.h"
#include "platform/win_constants.h"

namespace {

win::Instance LibraryInstance = 0;

THookProcess* CreateWin32Process() { return new THookProcess(win::Win32Platform(), LibraryInstance); }

std::string FileText(const char* variable) {
    std::string text;
    const char* path = std::getenv(variable);
    if (FILE* file = path ? std::fopen(path, "rb") : nullptr) {
        for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
        std::fclose(file);
    }
    return text;
}

void LogModifiers(THookProcess& process) {
    const char* path = std::getenv("ZOLVIK_TYPER_LOG");
    FILE* log = path ? std::fopen(path, "a") : nullptr;
    if (!log) return;
    std::fprintf(log, "MODIFIERS");
    for (std::uint8_t key : {win::VK_SHIFT, win::VK_CONTROL, win::VK_MENU, win::VK_LMENU, win::VK_RMENU}) {
        std::fprintf(log, " %02X=%d", key, IsKeyDown(process.Api.keyboard, key) ? 1 : 0);
    }
    std::fprintf(log, "\n");
    std::fclose(log);
}

win::LResult ZV_STDCALL TyperHook(int code, win::WParam wParam, win::LParam lParam) {
    THookProcess& process = ThisProcess();
    bool press = !(static_cast<std::uint32_t>(lParam) & TransitionBit);
    if (code == win::HC_ACTION) {
        TEventKey key = EventKeyOf(static_cast<std::uint16_t>(wParam), static_cast<std::uint32_t>(lParam));
        bool own = process.Synthesised.Judge(key, !press, process.Api.system.GetTickCount()) == TEventOrigin::Own;
        if (!own && (wParam == 0x7A || wParam == 0x7B)) {
            if (press && wParam == 0x7B) TypeText(process, FileText("ZOLVIK_TYPER_TEXT"));
            if (press && wParam == 0x7A) LogModifiers(process);
            return 1;
        }
    }
    return process.Api.hooks.CallNextHookEx(0, code, wParam, lParam);
}

}  // namespace

extern "C" int ZV_STDCALL DllMain(win::Instance instance, std::uint32_t reason, void*) {
    if (reason == 1) {
        LibraryInstance = instance;
        SetProcessCreator(CreateWin32Process);
    }
    return 1;
}

extern "C" win::HookHandle ZV_STDCALL TyperInstall(std::uint8_t install) {
    THookProcess& process = ThisProcess();
    if (install) {
        process.HookHandle =
            process.Api.hooks.SetWindowsHookExA(win::WH_KEYBOARD, TyperHook, LibraryInstance, 0);
    } else if (process.Api.hooks.UnhookWindowsHookEx(process.HookHandle)) {
        process.HookHandle = 0;
    }
    return process.HookHandle;
}

#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/key_flags.h"
#include "macro/datetime_format.h"
#include "hook/synthesised_events.h"
#include "platform/platform.h"
#include "settings/options_registry.h"
#include "settings/program_rules.h"
#include "speaker/pc_speaker.h"

// A process in which the system acts on no key: the configuration program,
// which asks for it in its own process, so that nothing typed into it is
// converted and the keys bound to macros can be recorded. Its test field is
// the exception: there the rules act, and macros type, but commands that
// open programs, switch features or shut down are not run.
struct TStepAside {
    bool Active = false;
    win::Window TestField = 0;
};

// The hook library's state in one process. Windows maps the library into
// every process that receives keyboard input; each has its own copy and
// nothing here is shared between processes. The members are built in the
// order the library's modules start: platform detection and the key state,
// then the speaker, the settings store, and the regional date and time
// formats, read once.
class TLowLevelHook;

class THookProcess {
public:
    THookProcess(win::Platform& platform, win::Instance module);
    ~THookProcess();

    win::Platform& Api;
    win::Instance Module;
    bool IsWinNT;
    bool IsWine;
    TKeyFlags KeyFlags;
    TSynthesisedEvents Synthesised;
    // GetTickCount at the last key event this process's hook saw.
    std::optional<std::uint32_t> LastEventTime;
    // A Num Lock tap of the library's own, typed once the person lets go
    // of Num Lock ("NUM Umschaltung sperren", AltGr+Num Lock), or dropped
    // at the next press when that release went elsewhere.
    bool NumLockTapDue = false;
    win::HookHandle HookHandle = 0;
    // This process installed the hook (the tray program, or the 64-bit host).
    bool InstalledHere = false;
    TPCSpeaker PCSpeaker;
    TOptionsRegistry OptionsRegistry;
    const TRegionalFormats Regional;
    // Where the system steps aside in this process.
    TStepAside StepAside;
    TProgramRules ProgramRules;
    // The file name of this process's program, asked for at its first key.
    std::optional<std::string> ProgramFile;
    // The low-level hook, in the tray program's process while installed.
    std::unique_ptr<TLowLevelHook> LowLevel;
};

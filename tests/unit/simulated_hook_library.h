#pragma once
// The hook library as the tray program imports it, over the library's own
// code and the library state of the tray program's process.
#include <cstdint>

#include "hook/hook_procedure.h"
#include "hook/low_level_hook.h"
#include "hook/sound_playback.h"
#include "tray/hook_library.h"

class SimulatedHookLibrary final : public HookLibrary {
public:
    explicit SimulatedHookLibrary(THookProcess& process) : process_(process) {}
    win::HookHandle Install(std::uint8_t install) override {
        ++installCalls;
        return ::Install(process_, install);
    }
    win::HookHandle InstallLowLevel(std::uint8_t what) override {
        ++lowLevelCalls;
        return ::InstallLowLevel(process_, what);
    }
    bool PlaySound(std::uint8_t event) override {
        pending_ = !PlaySoundAsData(process_, event, error_);
        return !pending_;
    }
    bool TakeLibraryError(TLibraryError& error) override {
        if (!pending_) return false;
        error = error_;
        pending_ = false;
        return true;
    }
    int installCalls = 0;
    int lowLevelCalls = 0;

private:
    THookProcess& process_;
    TLibraryError error_{};
    bool pending_ = false;
};

#pragma once
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/platform.h"
#include "tray/hook_library.h"
#include "common/worker_thread.h"

// The tray program's own message from its sound thread to the control
// window: a sound ended with an error.
inline constexpr std::uint32_t UM_SOUNDFAILED = 0x8000 + 1;  // WM_APP + 1

// Plays the requested sounds through the hook library on a thread of their
// own: one after another, in the order requested, each to its end, so that
// the two sounds of one switch never overlap, while the control window's
// thread goes on serving messages. That thread installed the keyboard hook,
// and while it waits, Windows holds back the keys of every program whose
// hook calls it serves. No sound plays after one that ended with an error;
// the error goes to the window's thread, which raises it.
class TSoundPlayer {
public:
    TSoundPlayer(win::Platform& platform, HookLibrary& library, win::Window window);
    // Drops the sounds not yet started and waits for the playing one's end.
    ~TSoundPlayer() = default;

    void Request(std::uint8_t event);
    // On the window's thread, at UM_SOUNDFAILED: raises the error that a
    // sound ended with, if any.
    void RaiseError();

private:
    void Play(std::uint8_t event);

    win::WindowApi& Windows;
    HookLibrary& Library;
    win::Window Target;
    std::mutex Lock;
    std::optional<TLibraryError> Error;
    // Made last: its thread plays from its start.
    TWorker Worker;
};

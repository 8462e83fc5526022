#include "tray/sound_player.h"

using namespace win;

TSoundPlayer::TSoundPlayer(Platform& platform, HookLibrary& library, win::Window window)
    : Windows(platform.windows), Library(library), Target(window), Worker(platform.system) {}

void TSoundPlayer::Request(std::uint8_t event) {
    Worker.Post([this, event] { Play(event); });
}

// The library keeps its error for the thread that made the call.
void TSoundPlayer::Play(std::uint8_t event) {
    {
        std::lock_guard guard(Lock);
        if (Error) return;
    }
    if (Library.PlaySound(event)) return;
    TLibraryError error{};
    if (!Library.TakeLibraryError(error)) return;
    {
        std::lock_guard guard(Lock);
        Error = error;
    }
    Windows.PostMessageA(Target, UM_SOUNDFAILED, 0, 0);
}

void TSoundPlayer::RaiseError() {
    TLibraryError error{};
    {
        std::lock_guard guard(Lock);
        if (!Error) return;
        error = *Error;
    }
    throw ELibraryError(error);
}

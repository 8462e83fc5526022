#pragma once
#include <cstdint>

// The sound events. The numbers travel between processes (the wParam of
// UM_PLAYSOUND, the argument of PlaySound) and must never change.
enum TSoundEvent : std::uint8_t {
    seNone,
    seOn,
    seOff,
    seCapsLock,
    seScrollLock,
    seNumLock,
    seNumDot,
    seUmlaut,
    seEasyTab,
};

inline constexpr int SoundEventCount = 9;

// The event's name in code page 1252: its key in the sound scheme and its
// value name among the speaker tones. Only events 0 to 8 have one.
const char* SoundEventName(TSoundEvent event);

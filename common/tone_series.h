#pragma once
// The bounds of one PC-speaker tone series, the same wherever it is played:
// the tray program handles no other message while a series plays, and the
// configuration program plays it the same way. At most this many tones, and
// at most this much waiting in all (tones and pauses are cut to what is
// left of it).
#include <algorithm>
#include <cstdint>

inline constexpr std::int32_t MaxToneCount = 100;
inline constexpr std::int32_t MaxSeriesMilliseconds = 10000;

class TWaitBudget {
public:
    // A negative wish waits nothing.
    std::int32_t Take(std::int32_t wanted) {
        std::int32_t granted = std::clamp(wanted, 0, Left);
        Left -= granted;
        return granted;
    }

private:
    std::int32_t Left = MaxSeriesMilliseconds;
};

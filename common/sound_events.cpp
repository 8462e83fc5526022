#include "common/sound_events.h"

namespace {

// "Gro\xDF" is the byte 0xDF for the sharp s, as the registry keys hold it.
constexpr const char* SoundEventNames[SoundEventCount] = {
    "", "Ein", "Aus", "Gro\xDF" "schrift", "Rollen", "Zehnerblock", "NUM Punkt", "Umlaut", "EasyTab",
};

}  // namespace

const char* SoundEventName(TSoundEvent event) { return SoundEventNames[event]; }

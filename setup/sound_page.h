#pragma once
// The page "Klänge": for each sound event the file of the Windows sound
// scheme and the PC-speaker tones, and a way to hear them. The scheme's
// application key and the events' display names make the events appear in
// Windows' own sound settings.
#include <atomic>
#include <string>
#include <vector>

#include "common/number_list.h"
#include "common/registry_paths.h"
#include "common/sound_events.h"
#include "platform/platform.h"
#include "setup/value_slot.h"

inline constexpr const char* EventLabelsKey = "AppEvents\\EventLabels";

// The events a user hears, seOn to seEasyTab, and the display name Windows'
// sound settings show for each.
inline constexpr int FirstSoundEvent = seOn;
std::string SoundEventLabel(TSoundEvent event);

class TSoundPage {
public:
    TSoundPage();

    void Load(const TRegAccess& registry);

    TSlot& SchemeFile(TSoundEvent event);
    TSlot& Tones(TSoundEvent event);
    // The tones as the playing side reads them; a missing field is 0.
    TToneSpec ToneSpec(TSoundEvent event);
    void SetToneSpec(TSoundEvent event, const TToneSpec& spec);

    std::vector<TSlot*> Slots();

private:
    std::vector<TSlot> schemeFiles_;
    std::vector<TSlot> tones_;
};

// Creates the application key and each event's ".current" key and writes
// the display names that are missing; an existing name is the user's and
// stays. The result is the first failure as a message, empty on success.
std::string RegisterSoundEvents(const TRegAccess& registry, win::SystemApi& system);

// Plays an event as the tray program would: through the running tray
// program when the stored setting is to be heard, otherwise in this
// process with the values shown (the speaker's tones as beeps, since a
// program may not drive the speaker's ports itself), a tone series bounded
// as the tray program bounds it. Stopped between two tones when `stop` is
// set; meant to run beside the window, which stays usable.
void PlaySoundEvent(const win::Platform& platform, TSoundEvent event, bool useSpeaker,
                    TSoundPage& page, bool unsaved, const std::atomic<bool>& stop);

#include "hook/sound_playback.h"

#include <cstring>
#include <exception>
#include <string>

#include "common/module_path.h"
#include "common/registry_paths.h"
#include "common/number_list.h"
#include "common/sound_events.h"
#include "common/tone_series.h"
#include "platform/win_constants.h"
#include "settings/registry.h"

namespace {

constexpr const char* SchemeKeySuffix = "\\.current";

// Beep's range on Windows NT. Outside it Beep returns at once without a
// sound, so the tone becomes a silence of its length, as below 19 Hz on the
// ports.
constexpr std::uint16_t LowestBeepFrequency = 37;
constexpr std::uint16_t HighestBeepFrequency = 32767;

// The file goes to the platform as it is stored: environment references in
// an expand-string stay unexpanded. Without SND_NODEFAULT the platform plays
// its default sound for a file it cannot play.
void PlaySchemeSound(THookProcess& process, TRegistry& registry, const std::string& name) {
    if (!registry.OpenSubkey(std::string(SchemeAppKey) + "\\" + name + SchemeKeySuffix, false)) return;
    std::string file = registry.ReadText("");
    if (file.empty()) return;
    process.Api.sound.PlaySoundA(file.c_str(), 0, win::SND_FILENAME);
}

// Windows NT faults on the port instructions; its Beep sounds the speaker
// for the same frequency and length instead.
void SoundTone(THookProcess& process, std::uint16_t frequency, std::int32_t duration) {
    if (!process.IsWinNT) {
        process.PCSpeaker.PlayTone(frequency, duration);
    } else if (frequency < LowestBeepFrequency || frequency > HighestBeepFrequency) {
        process.PCSpeaker.Delay(duration);
    } else {
        process.Api.sound.Beep(frequency, static_cast<std::uint32_t>(duration));
    }
}

void PlayToneSeries(THookProcess& process, const TToneSpec& spec) {
    auto frequency = static_cast<std::uint16_t>(spec.Frequency & 0xFFFF);
    std::int32_t count = std::min(spec.Count, MaxToneCount);
    TWaitBudget budget;
    for (std::int32_t i = 1; i <= count; ++i) {
        SoundTone(process, frequency, budget.Take(spec.Duration));
        if (i < count) process.PCSpeaker.Delay(budget.Take(spec.Pause));
    }
}

void PlaySpeakerTones(THookProcess& process, TRegistry& registry, const std::string& name) {
    if (!registry.OpenSubkey(SpeakerKeyPath, false)) return;
    std::string tones = registry.ReadText(name);
    if (tones.empty()) return;
    TToneSpec spec;
    ParseNumberList(tones, spec);
    PlayToneSeries(process, spec);
}

void Describe(THookProcess& process, const char* className, const char* message,
              TLibraryError& error) {
    std::string module = FileNamePart(ModulePath(process.Api.system, process.Module));
    error = MakeLibraryError(className, module.c_str(), message,
                             reinterpret_cast<const void*>(&PlaySound));
}

}  // namespace

bool PlaySound(THookProcess& process, std::uint8_t event) {
    if (event >= SoundEventCount) return true;
    TRegistry registry(process.Api.registry);
    std::string name = SoundEventName(static_cast<TSoundEvent>(event));
    if (process.OptionsRegistry.ReadOption(opUseSpeaker) == 0) {
        PlaySchemeSound(process, registry, name);
    } else {
        PlaySpeakerTones(process, registry, name);
    }
    return true;
}

bool PlaySoundAsData(THookProcess& process, std::uint8_t event, TLibraryError& error) noexcept {
    try {
        return PlaySound(process, event);
    } catch (const ERegistryException& raised) {
        Describe(process, ERegistryException::ClassName, raised.what(), error);
    } catch (const std::exception& raised) {
        Describe(process, "Exception", raised.what(), error);
    } catch (...) {
        Describe(process, "Exception", "", error);
    }
    return false;
}

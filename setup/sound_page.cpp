#include "setup/sound_page.h"

#include <algorithm>

#include "common/control_messages.h"
#include "common/tone_series.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

std::string SchemePath(TSoundEvent event) {
    return std::string(SchemeAppKey) + "\\" + SoundEventName(event) + "\\.current";
}

std::size_t IndexOf(TSoundEvent event) { return static_cast<std::size_t>(event - FirstSoundEvent); }

}  // namespace

std::string SoundEventLabel(TSoundEvent event) {
    return std::string("Zolvik32: ") + SoundEventName(event);
}

TSoundPage::TSoundPage() {
    for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
        auto sound = static_cast<TSoundEvent>(event);
        schemeFiles_.emplace_back(SchemePath(sound), "", TSlotKind::Text);
        tones_.emplace_back(SpeakerKeyPath, SoundEventName(sound), TSlotKind::Text);
    }
}

void TSoundPage::Load(const TRegAccess& registry) {
    for (TSlot* slot : Slots()) slot->Load(registry);
}

TSlot& TSoundPage::SchemeFile(TSoundEvent event) { return schemeFiles_[IndexOf(event)]; }
TSlot& TSoundPage::Tones(TSoundEvent event) { return tones_[IndexOf(event)]; }

TToneSpec TSoundPage::ToneSpec(TSoundEvent event) {
    TToneSpec spec;
    ParseNumberList(Tones(event).Text(), spec);
    return spec;
}

void TSoundPage::SetToneSpec(TSoundEvent event, const TToneSpec& spec) {
    std::string text = std::to_string(spec.Frequency) + "," + std::to_string(spec.Duration) + "," +
                       std::to_string(spec.Count) + "," + std::to_string(spec.Pause);
    // The same tones written otherwise ("440, 200,1,0") stay as they are.
    if (ToneSpec(event) == spec && !Tones(event).Text().empty()) return;
    Tones(event).SetText(spec == TToneSpec{} ? std::string() : text);
}

std::vector<TSlot*> TSoundPage::Slots() {
    std::vector<TSlot*> slots;
    for (TSlot& slot : schemeFiles_) slots.push_back(&slot);
    for (TSlot& slot : tones_) slots.push_back(&slot);
    return slots;
}

std::string RegisterSoundEvents(const TRegAccess& registry, SystemApi& system) {
    auto ensure = [&](const std::string& path, const std::string& label) -> std::string {
        TRawValue value = registry.Read(path, "");
        if (value.Status == ERROR_SUCCESS) return std::string();
        std::int32_t status = registry.Write(path, "", REG_SZ, StringData(label));
        return status == ERROR_SUCCESS ? std::string() : WriteFailure(system, path, status);
    };
    std::string failure = ensure(SchemeAppKey, "Zolvik32");
    for (int event = FirstSoundEvent; failure.empty() && event < SoundEventCount; ++event) {
        auto sound = static_cast<TSoundEvent>(event);
        failure = ensure(std::string(EventLabelsKey) + "\\" + SoundEventName(sound),
                         SoundEventLabel(sound));
        if (failure.empty() && !registry.KeyExists(SchemePath(sound))) {
            std::int32_t status = registry.CreateKey(SchemePath(sound));
            if (status != ERROR_SUCCESS) failure = WriteFailure(system, SchemePath(sound), status);
        }
    }
    return failure;
}

void PlaySoundEvent(const Platform& platform, TSoundEvent event, bool useSpeaker, TSoundPage& page,
                    bool unsaved, const std::atomic<bool>& stop) {
    Window control = FindControlWindow(platform.windows);
    if (control != 0 && !unsaved) {
        platform.windows.PostMessageA(control, UM_PLAYSOUND, event, 0);
        return;
    }
    if (!useSpeaker) {
        std::string file = page.SchemeFile(event).Text();
        if (!file.empty()) platform.sound.PlaySoundA(file.c_str(), 0, SND_FILENAME);
        return;
    }
    TToneSpec spec = page.ToneSpec(event);
    std::int32_t count = std::min(spec.Count, MaxToneCount);
    TWaitBudget budget;
    for (std::int32_t i = 1; i <= count && spec.Duration >= 0 && !stop; ++i) {
        platform.sound.Beep(static_cast<std::uint16_t>(spec.Frequency),
                            static_cast<std::uint32_t>(budget.Take(spec.Duration)));
        std::int32_t pause = i < count ? budget.Take(spec.Pause) : 0;
        if (pause > 0 && !stop) platform.system.Sleep(static_cast<std::uint32_t>(pause));
    }
}

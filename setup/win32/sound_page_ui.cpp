#include <cstdlib>

#include "platform/win32/win32_platform.h"
#include "setup/win32/pages.h"

namespace {

constexpr int FirstRowId = 500;  // 10 ids per event
enum : int { FileField, BrowseButton, Frequency, Duration, Count, Pause, PlayButton, Fields };

int RowId(TSoundEvent event, int field) { return FirstRowId + (event - FirstSoundEvent) * 10 + field; }

class TSoundPageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Kl\xE4nge"; }

    void Build() override {
        AddLabel(Window, "Ereignis", 6, 4, 50);
        AddLabel(Window, "Klangdatei (Windows-Klangschema)", 58, 4, 120);
        AddLabel(Window, "Speaker: Hz, ms, Anzahl, Pause", 182, 4, 112);
        for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
            auto sound = static_cast<TSoundEvent>(event);
            int y = 16 + (event - FirstSoundEvent) * 18;
            AddLabel(Window, SoundEventName(sound), 6, y + 2, 50);
            AddControl(Window, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 58, y, 104, 12, RowId(sound, FileField));
            AddControl(Window, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 164, y, 14, 12, RowId(sound, BrowseButton));
            for (int field = Frequency; field <= Pause; ++field) {
                AddControl(Window, "EDIT", "", ES_NUMBER | WS_TABSTOP, 182 + (field - Frequency) * 22, y, 20, 12,
                           RowId(sound, field));
            }
            AddControl(Window, "BUTTON", "Spielen", BS_PUSHBUTTON | WS_TABSTOP, 272, y, 34, 12, RowId(sound, PlayButton));
        }
        AddLabel(Window, "Die Klangdateien erscheinen auch in den Sound-Einstellungen von Windows (Zolvik32).",
                 6, 164, 300, 16);
    }

    void Show() override {
        for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
            auto sound = static_cast<TSoundEvent>(event);
            SetItemText(Window, RowId(sound, FileField), Config.Sounds.SchemeFile(sound).Text());
            TToneSpec spec = Config.Sounds.ToneSpec(sound);
            bool none = Config.Sounds.Tones(sound).Text().empty();
            const std::int32_t values[] = {spec.Frequency, spec.Duration, spec.Count, spec.Pause};
            for (int field = Frequency; field <= Pause; ++field) {
                SetItemText(Window, RowId(sound, field), none ? "" : std::to_string(values[field - Frequency]));
            }
        }
    }

    void Command(int id, int code, HWND) override {
        if (id < FirstRowId || id >= FirstRowId + 80) return;
        auto sound = static_cast<TSoundEvent>(FirstSoundEvent + (id - FirstRowId) / 10);
        int field = (id - FirstRowId) % 10;
        if (field == FileField && code == EN_CHANGE) {
            Config.Sounds.SchemeFile(sound).SetText(ItemText(Window, id));
        } else if (field >= Frequency && field <= Pause && code == EN_CHANGE) {
            auto number = [&](int f) { return std::atoi(ItemText(Window, RowId(sound, f)).c_str()); };
            Config.Sounds.SetToneSpec(sound, TToneSpec{number(Frequency), number(Duration), number(Count), number(Pause)});
        } else if (field == BrowseButton && code == BN_CLICKED) {
            std::string file = AskOpenFile(Window, "Wave-Dateien (*.wav)\0*.wav\0Alle Dateien\0*.*\0", "Klangdatei");
            if (!file.empty()) SetItemText(Window, RowId(sound, FileField), file);
        } else if (field == PlayButton && code == BN_CLICKED) {
            bool unsaved = Config.Sounds.SchemeFile(sound).Changed() || Config.Sounds.Tones(sound).Changed() ||
                           Config.HasChanges();
            PlaySoundEvent(win::Win32Platform(), sound, Config.Settings.Flag(opUseSpeaker), Config.Sounds, unsaved);
        }
    }
};

}  // namespace

std::unique_ptr<TPage> MakeSoundPage(TSetupConfig& config) { return std::make_unique<TSoundPageUi>(config); }

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_platform.h"
#include "setup/win32/pages.h"

namespace {

// Posted to the page when a sound has finished playing.
constexpr UINT UM_PLAYED = WM_APP + 2;

// One sound played beside the window, from a copy of the page's values, so
// that the window stays usable and a second click can stop it.
struct TPlaying {
    TSoundEvent Event;
    bool UseSpeaker;
    TSoundPage Values;
    bool Unsaved;
    HWND Page;
    std::atomic<bool> Stop{false};
};

DWORD WINAPI PlayBeside(void* parameter) {
    auto playing = static_cast<TPlaying*>(parameter);
    PlaySoundEvent(win::Win32Platform(), playing->Event, playing->UseSpeaker, playing->Values, playing->Unsaved,
                   playing->Stop);
    PostMessageA(playing->Page, UM_PLAYED, 0, reinterpret_cast<LPARAM>(playing));
    return 0;
}

// Each event's label leads to its file field with the first letter of its
// name that no other label on the page took.
std::string WithMnemonic(const std::string& name, std::string& taken) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        char letter = name[i];
        if (letter == ' ' || taken.find(static_cast<char>(letter & ~0x20)) != std::string::npos) continue;
        taken += static_cast<char>(letter & ~0x20);
        return name.substr(0, i) + "&" + name.substr(i);
    }
    return name;
}

constexpr int FirstRowId = 500;  // 10 ids per event
enum : int { FileField, BrowseButton, Frequency, Duration, Count, Pause, PlayButton, Fields };

int RowId(TSoundEvent event, int field) { return FirstRowId + (event - FirstSoundEvent) * 10 + field; }

class TSoundPageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Kl\xE4nge"; }
    const char* HelpTopic() const override { return "9-klaenge"; }

    ~TSoundPageUi() override { StopPlaying(); }

    void Build() override {
        AddLabel(Window, "Ereignis", 6, 4, 50);
        // The main window's buttons Übernehmen and Hilfe.
        std::string taken = "\xDCH";
        AddLabel(Window, "Klangdatei (Windows-Klangschema)", 58, 4, 120);
        AddLabel(Window, "Speaker: Hz, ms, Anzahl, Pause", 182, 4, 112);
        for (int event = FirstSoundEvent; event < SoundEventCount; ++event) {
            auto sound = static_cast<TSoundEvent>(event);
            int y = 16 + (event - FirstSoundEvent) * 18;
            AddLabel(Window, WithMnemonic(SoundEventName(sound), taken), 6, y + 2, 50);
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
            bool again = playing_ && playing_->Event == sound;
            StopPlaying();
            if (!again) Play(sound);
        }
    }

    void OwnMessage(UINT message, WPARAM, LPARAM lParam) override {
        if (message == UM_PLAYED) Played(reinterpret_cast<TPlaying*>(lParam));
    }

private:
    // A second click on the playing event's button stops it; a click on
    // another one plays that instead.
    void Played(TPlaying* playing) {
        SetItemText(Window, RowId(playing->Event, PlayButton), "Spielen");
        if (playing == playing_) playing_ = nullptr;
        delete playing;
    }

    void Play(TSoundEvent sound) {
        bool unsaved = Config.HasChanges();
        playing_ = new TPlaying{sound, Config.Settings.Flag(opUseSpeaker), Config.Sounds, unsaved, Window};
        SetItemText(Window, RowId(sound, PlayButton), "Stopp");
        HANDLE thread = CreateThread(nullptr, 0, PlayBeside, playing_, 0, nullptr);
        if (thread) {
            CloseHandle(thread);
        } else {
            Played(playing_);
        }
    }

    // Stops the wave playing in this process and the tone series between
    // two tones; the thread then says it has finished.
    void StopPlaying() {
        if (!playing_) return;
        playing_->Stop = true;
        PlaySoundA(nullptr, nullptr, 0);
        playing_ = nullptr;
    }

    TPlaying* playing_ = nullptr;
};

}  // namespace

std::unique_ptr<TPage> MakeSoundPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TSoundPageUi>(config, host);
}

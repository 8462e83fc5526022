// PlaySound on the simulated machine: which sound file or which tones an
// event gets, what plays nothing, the bounds on a tone series, and how an
// error comes out, as an exception inside the library and as data at its
// edge.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/sound_events.h"
#include "hook/sound_playback.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "tests/unit/speaker_timeline.h"

using namespace win;
using Events = std::vector<std::string>;

namespace {

constexpr Instance LibraryModule = 0x10000000;
constexpr const char* SchemeRoot = "AppEvents\\Schemes\\Apps\\Zolvik32\\";
constexpr const char* SpeakerKey = "Software\\Quendlin\\Zolvik32\\Settings\\Speaker";
constexpr const char* CapsLockName = "Gro\xDF" "schrift";

std::string SchemeKey(const std::string& eventName) { return SchemeRoot + eventName + "\\.current"; }

// A 440 Hz tone of the given length on a closed gate, as the ports see it.
Events Tone440(int milliseconds) {
    return {"61=03", "43=B6", "42=97", "42=0A", "sleep " + std::to_string(milliseconds), "61=00"};
}

Events Joined(std::initializer_list<Events> parts) {
    Events all;
    for (const Events& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class SoundPlaybackTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    SpeakerTimeline timeline{machine};
    std::unique_ptr<THookProcess> process;

    // The library's state in the tray program, on Windows 98 or on NT.
    void StartProcess(bool windowsNT) {
        machine.system.SetWindowsNT(windowsNT);
        process = std::make_unique<THookProcess>(timeline.platform, LibraryModule);
    }
    void SetUp() override { StartProcess(false); }

    void UseSpeaker(std::uint8_t on) {
        machine.registry.PutByte(SettingsKeyPath, "Speaker benutzen", on);
    }
    void PutScheme(const std::string& eventName, const std::string& file) {
        machine.registry.PutString(SchemeKey(eventName), "", file);
    }
    void PutTones(const std::string& eventName, const std::string& tones) {
        machine.registry.PutString(SpeakerKey, eventName, tones);
    }
    bool Play(std::uint8_t event) { return PlaySound(*process, event); }
    std::string ErrorOf(std::uint8_t event) {
        try {
            Play(event);
        } catch (const ERegistryException& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(SoundPlaybackTest, EachEventPlaysTheFileItsSchemeNames) {
    for (int event = 1; event < SoundEventCount; ++event) {
        PutScheme(SoundEventName(static_cast<TSoundEvent>(event)), std::to_string(event) + ".wav");
    }
    for (std::uint8_t event : {3, 1, 3, 2, 4, 5, 6, 7, 8}) EXPECT_TRUE(Play(event));
    EXPECT_EQ(timeline.Events(),
              (Events{"play 3.wav", "play 1.wav", "play 3.wav", "play 2.wav", "play 4.wav",
                      "play 5.wav", "play 6.wav", "play 7.wav", "play 8.wav"}));
    for (const sim::PlaySoundCall& call : machine.sound.Played()) {
        EXPECT_EQ(call.flags, SND_FILENAME) << "a file, synchronous, the platform's default if unplayable";
        EXPECT_EQ(call.module, 0u);
    }
}

TEST_F(SoundPlaybackTest, ExpandStringGoesToThePlatformUnexpanded) {
    machine.registry.Put(SchemeKey("Ein"), "", REG_EXPAND_SZ,
                         {'%', 'W', 'I', 'N', 'D', 'I', 'R', '%', '\\', 'a', '.', 'w', 'a', 'v', 0});
    Play(seOn);
    EXPECT_EQ(timeline.Events(), (Events{"play %WINDIR%\\a.wav"}));
}

// With an empty name the path holds two backslashes in a row, which the
// registry reads as one.
TEST_F(SoundPlaybackTest, EventZeroUsesTheSchemeKeyWithoutAName) {
    PutScheme("", "none.wav");
    EXPECT_TRUE(Play(seNone));
    EXPECT_EQ(timeline.Events(), (Events{"play none.wav"}));
}

TEST_F(SoundPlaybackTest, MissingOrEmptySchemeSoundsPlayNothing) {
    machine.registry.CreateKey(SchemeKey("Ein"));                 // key without a value
    PutScheme("Aus", "");                                          // empty value
    machine.registry.PutString(SchemeKey(CapsLockName), "Datei", "x.wav");  // not the default value
    for (std::uint8_t event : {seOn, seOff, seCapsLock, seScrollLock}) EXPECT_TRUE(Play(event));
    EXPECT_TRUE(machine.sound.Played().empty());
    EXPECT_FALSE(machine.registry.KeyExists(SchemeKey("Rollen"))) << "opened, never created";
}

TEST_F(SoundPlaybackTest, EventsAboveEightPlayNothingAndReadNothing) {
    PutScheme("EasyTab", "8.wav");
    std::uint64_t calls = machine.registry.CallCount();
    for (std::uint8_t event : {9, 10, 128, 255}) EXPECT_TRUE(Play(event));
    EXPECT_EQ(machine.registry.CallCount(), calls);
    EXPECT_TRUE(timeline.Events().empty());
}

TEST_F(SoundPlaybackTest, SettingIsReadAtEveryCall) {
    PutScheme("Ein", "ein.wav");
    PutTones("Ein", "440,200,1,0");
    Play(seOn);
    UseSpeaker(1);
    Play(seOn);
    UseSpeaker(0);
    Play(seOn);
    EXPECT_EQ(timeline.Events(), Joined({{"play ein.wav"}, Tone440(200), {"play ein.wav"}}));
}

struct TonesCase {
    const char* tones;
    Events heard;
    const char* reason;
};

Events ThreeTones() {
    return Joined({Tone440(200), {"sleep 100"}, Tone440(200), {"sleep 100"}, Tone440(200)});
}

const TonesCase PortCases[] = {
    {"440,200,3,100", ThreeTones(), "no pause after the last tone"},
    {"440,200,0,100", {}, "no tones"},
    {"440,200,-2,100", {}, "negative count"},
    {"440,200", {}, "count not given: 0"},
    {",200,1,0", {"sleep 200", "61=00"}, "frequency not a number: silence"},
    {"440,200,2,", Joined({Tone440(200), {"sleep 0"}, Tone440(200)}), "trailing comma: pause not given"},
    {"18,50,1,0", {"sleep 50", "61=00"}, "below 19 Hz: silence, gate still cleared"},
    {"65976,200,1,0", Tone440(200), "only the low 16 bits of the frequency"},
    {"440,-1,2,-100", Joined({Tone440(0), {"sleep 0"}, Tone440(0)}), "negative waits do not wait"},
    {"440,60000,3,60000", Joined({Tone440(10000), {"sleep 0"}, Tone440(0), {"sleep 0"}, Tone440(0)}),
     "a series waits 10 s at most"},
    {"440,4000,2,3000", Joined({Tone440(4000), {"sleep 3000"}, Tone440(3000)}),
     "the last tone is cut where the 10 s end"},
};

class SpeakerPortsTest : public SoundPlaybackTest, public ::testing::WithParamInterface<TonesCase> {};

TEST_P(SpeakerPortsTest, TonesOnTheSpeakerPorts) {
    const TonesCase& row = GetParam();
    UseSpeaker(1);
    PutTones(CapsLockName, row.tones);
    EXPECT_TRUE(Play(seCapsLock));
    EXPECT_EQ(timeline.Events(), row.heard) << row.reason << ": " << row.tones;
    EXPECT_TRUE(machine.sound.Beeps().empty());
}

INSTANTIATE_TEST_SUITE_P(Windows98, SpeakerPortsTest, ::testing::ValuesIn(PortCases));

const TonesCase BeepCases[] = {
    {"440,200,3,100",
     {"beep 440 200", "sleep 100", "beep 440 200", "sleep 100", "beep 440 200"},
     "Beep with the same frequency and length"},
    {"37,200,1,0", {"beep 37 200"}, "lowest frequency Beep takes"},
    {"32767,200,1,0", {"beep 32767 200"}, "highest frequency Beep takes"},
    {"36,200,1,0", {"sleep 200"}, "below Beep's range: silence of the length"},
    {"32768,200,1,0", {"sleep 200"}, "above Beep's range: silence of the length"},
};

class SpeakerBeepTest : public SoundPlaybackTest, public ::testing::WithParamInterface<TonesCase> {};

// Windows NT faults on the port instructions.
TEST_P(SpeakerBeepTest, TonesThroughBeepWithoutPorts) {
    const TonesCase& row = GetParam();
    StartProcess(true);
    UseSpeaker(1);
    PutTones("Ein", row.tones);
    EXPECT_TRUE(Play(seOn));
    EXPECT_EQ(timeline.Events(), row.heard) << row.reason << ": " << row.tones;
    EXPECT_EQ(machine.ports.ReadCount(), 0u);
    EXPECT_TRUE(machine.ports.Writes().empty());
}

INSTANTIATE_TEST_SUITE_P(WindowsNT, SpeakerBeepTest, ::testing::ValuesIn(BeepCases));

TEST_F(SoundPlaybackTest, ManyTonesAreCutToAHundred) {
    StartProcess(true);
    UseSpeaker(1);
    PutTones("Aus", "440,0,2147483647,0");
    Play(seOff);
    EXPECT_EQ(machine.sound.Beeps().size(), 100u);
}

TEST_F(SoundPlaybackTest, EventZeroReadsTheSpeakerKeysDefaultValue) {
    UseSpeaker(1);
    PutTones("", "440,20,1,0");
    Play(seNone);
    EXPECT_EQ(timeline.Events(), Tone440(20));
}

TEST_F(SoundPlaybackTest, MissingOrEmptyTonesPlayNothing) {
    UseSpeaker(1);
    Play(seOn);
    EXPECT_FALSE(machine.registry.KeyExists(SpeakerKey)) << "opened, never created";
    PutTones("Ein", "");
    PutTones("Aus", "440,200,1,0");
    Play(seOn);
    Play(seScrollLock);
    EXPECT_TRUE(timeline.Events().empty());
}

TEST_F(SoundPlaybackTest, WronglyTypedValuesAreErrorsNamingTheValue) {
    machine.registry.Put(SchemeKey(CapsLockName), "", REG_BINARY, {1, 2});
    EXPECT_EQ(ErrorOf(seCapsLock), "Ung\xFCltiger Datentyp f\xFCr ''");
    UseSpeaker(1);
    machine.registry.Put(SpeakerKey, CapsLockName, REG_DWORD, {0xB8, 1, 0, 0});
    EXPECT_EQ(ErrorOf(seCapsLock), std::string("Ung\xFCltiger Datentyp f\xFCr '") + CapsLockName + "'");
    machine.registry.Put(SettingsKeyPath, "Speaker benutzen", REG_DWORD, {1, 0, 0, 0});
    EXPECT_EQ(ErrorOf(seCapsLock), "Ung\xFCltiger Datentyp f\xFCr 'Speaker benutzen'");
    EXPECT_TRUE(timeline.Events().empty()) << "nothing plays";
}

// The settings store keeps its own key open; PlaySound's keys are closed
// whichever way the call ends.
TEST_F(SoundPlaybackTest, EveryPathClosesItsKeys) {
    std::size_t settingsOnly = machine.registry.OpenHandleCount();
    PutScheme("Ein", "ein.wav");
    machine.registry.Put(SchemeKey("Aus"), "", REG_BINARY, {1});
    PutTones("Rollen", "440,1,1,0");
    machine.registry.Put(SpeakerKey, "Zehnerblock", REG_BINARY, {1});
    Play(seOn);
    EXPECT_THROW(Play(seOff), ERegistryException);
    Play(seCapsLock);
    UseSpeaker(1);
    Play(seScrollLock);
    EXPECT_THROW(Play(seNumLock), ERegistryException);
    Play(seNumDot);
    EXPECT_EQ(machine.registry.OpenHandleCount(), settingsOnly);
}

class PlaySoundAsDataTest : public SoundPlaybackTest {
protected:
    TLibraryError error{};
    void SetUp() override {
        machine.system.SetModuleFileName(LibraryModule, "C:\\Programme\\Zolvik32\\Zolhook.dll");
        SoundPlaybackTest::SetUp();
        std::memset(&error, 'x', sizeof error);
    }
};

TEST_F(PlaySoundAsDataTest, ErrorBecomesARecordForTheTrayProgram) {
    machine.registry.Put(SchemeKey("Aus"), "", REG_MULTI_SZ, {'a', 0, 0});
    EXPECT_FALSE(PlaySoundAsData(*process, seOff, error));
    EXPECT_STREQ(error.ClassName, "ERegistryException");
    EXPECT_STREQ(error.ModuleName, "Zolhook.dll");
    EXPECT_STREQ(error.Message, "Ung\xFCltiger Datentyp f\xFCr ''");
    EXPECT_EQ(error.Address, reinterpret_cast<const void*>(&PlaySound));
    EXPECT_TRUE(machine.sound.Played().empty());
}

TEST_F(PlaySoundAsDataTest, FinishedCallLeavesTheRecordAlone) {
    PutScheme("Aus", "aus.wav");
    EXPECT_TRUE(PlaySoundAsData(*process, seOff, error));
    EXPECT_TRUE(PlaySoundAsData(*process, 200, error));
    EXPECT_EQ(error.ClassName[0], 'x');
    EXPECT_EQ(machine.sound.Played().size(), 1u);
}

// The platform cuts a path longer than the buffer and leaves it without
// its terminating NUL.
TEST_F(PlaySoundAsDataTest, ModuleNameOfACutPathIsTerminated) {
    machine.system.SetModuleFileName(LibraryModule, "C:\\" + std::string(300, 'n') + ".dll");
    machine.registry.Put(SchemeKey("Ein"), "", REG_BINARY, {1});
    EXPECT_FALSE(PlaySoundAsData(*process, seOn, error));
    EXPECT_EQ(std::string(error.ModuleName), std::string(sizeof error.ModuleName - 4, 'n'));
}

}  // namespace

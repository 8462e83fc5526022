#pragma once
// What the speaker hears, in order: port writes, sounds, beeps and waits of
// a simulated machine on one timeline. The ports and the sound output are
// watched through thin wrappers; the waits are taken from the machine's
// record each time something else happens, so they land where they fell.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"

class SpeakerTimeline {
    class Ports final : public win::PortApi {
    public:
        Ports(sim::SimPorts& ports, SpeakerTimeline& timeline) : ports_(ports), timeline_(timeline) {}
        std::uint8_t ReadPort(std::uint16_t port) override { return ports_.ReadPort(port); }
        void WritePort(std::uint16_t port, std::uint8_t value) override {
            ports_.WritePort(port, value);
            char text[16];
            std::snprintf(text, sizeof text, "%02X=%02X", port, value);
            timeline_.Add(text);
        }

    private:
        sim::SimPorts& ports_;
        SpeakerTimeline& timeline_;
    };

    class Sound final : public win::SoundApi {
    public:
        Sound(sim::SimSound& sound, SpeakerTimeline& timeline) : sound_(sound), timeline_(timeline) {}
        bool PlaySoundA(const char* sound, win::Instance module, std::uint32_t flags) override {
            timeline_.Add(std::string("play ") + (sound ? sound : ""));
            return sound_.PlaySoundA(sound, module, flags);
        }
        bool Beep(std::uint32_t frequency, std::uint32_t milliseconds) override {
            timeline_.Add("beep " + std::to_string(frequency) + " " + std::to_string(milliseconds));
            return sound_.Beep(frequency, milliseconds);
        }

    private:
        sim::SimSound& sound_;
        SpeakerTimeline& timeline_;
    };

    sim::SimMachine& machine_;
    Ports ports_{machine_.ports, *this};
    Sound sound_{machine_.sound, *this};
    std::vector<std::string> events_;
    std::size_t sleepsSeen_ = 0;

public:
    explicit SpeakerTimeline(sim::SimMachine& machine) : machine_(machine) {}

    // The machine, with the speaker's ports and the sound output watched.
    win::Platform platform{machine_.registry, machine_.keyboard, machine_.windows,
                           machine_.shell,    machine_.system,   sound_,
                           ports_,            machine_.hooks};

    // "61=03" for a port write, "play FILE", "beep 440 200", "sleep 200".
    std::vector<std::string> Events() {
        TakeSleeps();
        return events_;
    }

private:
    void Add(const std::string& event) {
        TakeSleeps();
        events_.push_back(event);
    }

    void TakeSleeps() {
        const std::vector<std::uint32_t>& sleeps = machine_.system.Sleeps();
        for (; sleepsSeen_ < sleeps.size(); ++sleepsSeen_) {
            events_.push_back("sleep " + std::to_string(sleeps[sleepsSeen_]));
        }
    }
};

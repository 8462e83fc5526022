#include "speaker/pc_speaker.h"

namespace {

constexpr std::uint16_t SystemControlPort = 0x61;
constexpr std::uint16_t TimerCommandPort = 0x43;
constexpr std::uint16_t TimerChannel2Port = 0x42;

// Bit 0 gates timer channel 2, bit 1 connects it to the speaker.
constexpr std::uint8_t SpeakerGateBits = 0x03;
// Channel 2, low byte then high byte, mode 3 (square wave), binary counting.
constexpr std::uint8_t SquareWaveOnChannel2 = 0xB6;
constexpr std::uint32_t TimerClockHz = 1193181;
constexpr std::uint16_t LowestFrequency = 19;

}  // namespace

TPCSpeaker::TPCSpeaker(win::PortApi& ports, win::SystemApi& system)
    : Ports(ports), System(system) {}

std::uint8_t TPCSpeaker::ReadPort(std::uint16_t port) { return Ports.ReadPort(port); }

void TPCSpeaker::WritePort(std::uint16_t port, std::uint16_t value) {
    Ports.WritePort(port, static_cast<std::uint8_t>(value & 0xFF));
}

// A gate that is already open means the channel is running: only the new
// divisor is loaded.
void TPCSpeaker::StartTone(std::uint16_t frequency) {
    if (frequency < LowestFrequency) return;
    std::uint32_t divisor = TimerClockHz / frequency;
    std::uint8_t control = ReadPort(SystemControlPort);
    if ((control & SpeakerGateBits) == 0) {
        WritePort(SystemControlPort, control | SpeakerGateBits);
        WritePort(TimerCommandPort, SquareWaveOnChannel2);
    }
    WritePort(TimerChannel2Port, divisor & 0xFF);
    WritePort(TimerChannel2Port, divisor >> 8);
}

void TPCSpeaker::StopTone() {
    WritePort(SystemControlPort, ReadPort(SystemControlPort) & ~SpeakerGateBits);
}

void TPCSpeaker::Delay(std::int32_t milliseconds) {
    System.Sleep(milliseconds > 0 ? static_cast<std::uint32_t>(milliseconds) : 0);
}

// The three steps always run: a frequency below 19 Hz is a silence of the
// full length, and the gate is closed at the end either way.
void TPCSpeaker::PlayTone(std::uint16_t frequency, std::int32_t duration) {
    StartTone(frequency);
    Delay(duration);
    StopTone();
}

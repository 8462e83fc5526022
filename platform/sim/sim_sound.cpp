#include "platform/sim/sim_sound.h"

namespace sim {

bool SimSound::PlaySoundA(const char* sound, win::Instance module, std::uint32_t flags) {
    played_.push_back({sound ? sound : "", module, flags});
    return true;
}

bool SimSound::Beep(std::uint32_t frequency, std::uint32_t milliseconds) {
    beeps_.push_back({frequency, milliseconds});
    return true;
}

std::uint8_t SimPorts::ReadPort(std::uint16_t port) {
    ++reads_;
    return values_[port];
}

void SimPorts::WritePort(std::uint16_t port, std::uint8_t value) {
    values_[port] = value;
    writes_.push_back({port, value});
}

}  // namespace sim

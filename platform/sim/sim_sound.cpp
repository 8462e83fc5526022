#include "platform/sim/sim_sound.h"

#include "platform/sim/sim_threads.h"
#include "platform/win_constants.h"

namespace sim {

namespace {
constexpr std::uint32_t DefaultLength = 500;
}  // namespace

std::uint64_t SimSound::Now() const { return threads_ ? threads_->Now() : 0; }

void SimSound::Wait(std::uint32_t milliseconds) {
    if (threads_) threads_->Sleep(milliseconds);
}

bool SimSound::PlaySoundA(const char* sound, win::Instance module, std::uint32_t flags) {
    std::uint64_t now = Now();
    if (!played_.empty() && played_.back().end > now) {
        played_.back().end = now;
        played_.back().cutShort = true;
    }
    if (!sound) return true;
    std::string name = sound;
    auto length = lengths_.find(name);
    std::uint32_t milliseconds = length == lengths_.end() ? DefaultLength : length->second;
    played_.push_back({name, module, flags, now, now + milliseconds});
    if (!(flags & win::SND_ASYNC)) Wait(milliseconds);
    return true;
}

bool SimSound::Beep(std::uint32_t frequency, std::uint32_t milliseconds) {
    beeps_.push_back({frequency, milliseconds});
    Wait(milliseconds);
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

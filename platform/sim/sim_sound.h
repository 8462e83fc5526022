#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

class SimThreads;

struct PlaySoundCall {
    std::string sound;
    win::Instance module;
    std::uint32_t flags;
    // When it started and ended on the machine's clock.
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    // Another sound cut it off before its end.
    bool cutShort = false;
};

struct BeepCall {
    std::uint32_t frequency;
    std::uint32_t milliseconds;
};

// Sound output, recorded in the order it was asked for. A sound takes its
// length on the machine's clock: PlaySoundA returns at its end, or at once
// with SND_ASYNC; the next call of the process, a null sound too, cuts off
// one that still plays. Beep holds
// its caller for the tone's length, as on Windows NT.
class SimSound final : public win::SoundApi {
public:
    bool PlaySoundA(const char* sound, win::Instance module, std::uint32_t flags) override;
    bool Beep(std::uint32_t frequency, std::uint32_t milliseconds) override;

    void AttachThreads(SimThreads& threads) { threads_ = &threads; }
    // Sounds last half a second unless set otherwise.
    void SetLength(const std::string& sound, std::uint32_t milliseconds) { lengths_[sound] = milliseconds; }
    const std::vector<PlaySoundCall>& Played() const { return played_; }
    const std::vector<BeepCall>& Beeps() const { return beeps_; }

private:
    std::uint64_t Now() const;
    void Wait(std::uint32_t milliseconds);

    std::vector<PlaySoundCall> played_;
    std::vector<BeepCall> beeps_;
    std::map<std::string, std::uint32_t> lengths_;
    SimThreads* threads_ = nullptr;
};

// The speaker's I/O ports: each port reads what was last written to it (or
// its initial value), and every write is recorded.
class SimPorts final : public win::PortApi {
public:
    std::uint8_t ReadPort(std::uint16_t port) override;
    void WritePort(std::uint16_t port, std::uint8_t value) override;

    void SetPort(std::uint16_t port, std::uint8_t value) { values_[port] = value; }
    struct Write {
        std::uint16_t port;
        std::uint8_t value;
        bool operator==(const Write&) const = default;
    };
    const std::vector<Write>& Writes() const { return writes_; }
    std::uint64_t ReadCount() const { return reads_; }

private:
    std::uint8_t values_[0x10000] = {};
    std::vector<Write> writes_;
    std::uint64_t reads_ = 0;
};

}  // namespace sim

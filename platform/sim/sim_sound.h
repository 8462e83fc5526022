#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

struct PlaySoundCall {
    std::string sound;
    win::Instance module;
    std::uint32_t flags;
};

struct BeepCall {
    std::uint32_t frequency;
    std::uint32_t milliseconds;
};

// Sound output, recorded in the order it was asked for.
class SimSound final : public win::SoundApi {
public:
    bool PlaySoundA(const char* sound, win::Instance module, std::uint32_t flags) override;
    bool Beep(std::uint32_t frequency, std::uint32_t milliseconds) override;

    const std::vector<PlaySoundCall>& Played() const { return played_; }
    const std::vector<BeepCall>& Beeps() const { return beeps_; }

private:
    std::vector<PlaySoundCall> played_;
    std::vector<BeepCall> beeps_;
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

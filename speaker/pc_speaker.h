#pragma once
#include <cstdint>

#include "platform/platform.h"

// The PC speaker, driven through channel 2 of the 8254 interval timer and
// the gate bits of the system control port. It keeps no state of its own:
// every operation acts on the ports at once. Only Windows 95 and 98 let a
// program execute the port instructions; on Windows NT they fault.
class TPCSpeaker {
public:
    TPCSpeaker(win::PortApi& ports, win::SystemApi& system);

    std::uint8_t ReadPort(std::uint16_t port);
    // Only the low 8 bits of the value reach the port.
    void WritePort(std::uint16_t port, std::uint16_t value);
    // A continuous tone. Below 19 Hz the divisor would not fit 16 bits, and
    // no port is touched.
    void StartTone(std::uint16_t frequency);
    void StopTone();
    // A negative wait does not wait: the platform would take it as an
    // unsigned count of milliseconds, nearly 50 days for -1.
    void Delay(std::int32_t milliseconds);
    void PlayTone(std::uint16_t frequency, std::int32_t duration);

private:
    win::PortApi& Ports;
    win::SystemApi& System;
};

// The PC speaker on the simulated ports: what each operation writes, in
// which order, and where the waits fall.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "speaker/pc_speaker.h"
#include "tests/unit/speaker_timeline.h"

using Events = std::vector<std::string>;

namespace {

class PCSpeakerTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    SpeakerTimeline timeline{machine};
    TPCSpeaker speaker{timeline.platform.ports, timeline.platform.system};
};

struct StartCase {
    std::uint16_t frequency;
    std::uint8_t control;  // port 0x61 before the tone
    Events writes;
    const char* reason;
};

const StartCase StartCases[] = {
    {440, 0x00, {"61=03", "43=B6", "42=97", "42=0A"}, "divisor 2711: gate, control word, low, high"},
    {440, 0x4C, {"61=4F", "43=B6", "42=97", "42=0A"}, "the other bits of port 0x61 are kept"},
    {19, 0x00, {"61=03", "43=B6", "42=4F", "42=F5"}, "lowest frequency, divisor 62799"},
    {65535, 0x00, {"61=03", "43=B6", "42=12", "42=00"}, "highest frequency, divisor 18"},
    {440, 0x01, {"42=97", "42=0A"}, "timer gate open: only the divisor"},
    {440, 0x02, {"42=97", "42=0A"}, "speaker connected: only the divisor"},
    {1000, 0x03, {"42=A9", "42=04"}, "both bits set: only the divisor 1193"},
    {18, 0x00, {}, "divisor would not fit 16 bits"},
    {0, 0x00, {}, "no division by zero"},
};

class StartToneTest : public PCSpeakerTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartToneTest, WritesThePorts) {
    const StartCase& row = GetParam();
    machine.ports.SetPort(0x61, row.control);
    speaker.StartTone(row.frequency);
    EXPECT_EQ(timeline.Events(), row.writes) << row.reason;
}

INSTANTIATE_TEST_SUITE_P(Frequencies, StartToneTest, ::testing::ValuesIn(StartCases));

TEST_F(PCSpeakerTest, TooLowFrequencyDoesNotEvenReadAPort) {
    speaker.StartTone(18);
    EXPECT_EQ(machine.ports.ReadCount(), 0u);
}

TEST_F(PCSpeakerTest, StopToneClearsOnlyTheGateBits) {
    machine.ports.SetPort(0x61, 0xFF);
    speaker.StopTone();
    machine.ports.SetPort(0x61, 0x4D);
    speaker.StopTone();
    EXPECT_EQ(timeline.Events(), (Events{"61=FC", "61=4C"}));
}

TEST_F(PCSpeakerTest, PlayToneStopsAfterItsDuration) {
    machine.ports.SetPort(0x61, 0x20);
    speaker.PlayTone(440, 200);
    EXPECT_EQ(timeline.Events(),
              (Events{"61=23", "43=B6", "42=97", "42=0A", "sleep 200", "61=20"}));
}

TEST_F(PCSpeakerTest, TooLowToneIsASilenceThatStillClosesTheGate) {
    machine.ports.SetPort(0x61, 0x03);
    speaker.PlayTone(18, 200);
    EXPECT_EQ(timeline.Events(), (Events{"sleep 200", "61=00"}));
}

TEST_F(PCSpeakerTest, NegativeDelayDoesNotWait) {
    speaker.Delay(250);
    speaker.Delay(-1);
    speaker.Delay(INT32_MIN);
    EXPECT_EQ(timeline.Events(), (Events{"sleep 250", "sleep 0", "sleep 0"}));
}

TEST_F(PCSpeakerTest, WritePortSendsTheLowByte) {
    speaker.WritePort(0x42, 0x1234);
    EXPECT_EQ(timeline.Events(), (Events{"42=34"}));
}

}  // namespace

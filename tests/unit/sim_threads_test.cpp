// The simulated machine's threads and clock: one thread runs at a time, in
// a fixed order, and time passes only while all of them wait.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

struct Trace {
    sim::SimMachine* machine;
    std::string text;
    void Note(const std::string& what) {
        text += what + "@" + std::to_string(machine->threads.Now()) + " ";
    }
};

std::uint32_t ZV_STDCALL SleepTwice(void* param) {
    auto* trace = static_cast<Trace*>(param);
    trace->Note("a");
    trace->machine->system.Sleep(30);
    trace->Note("b");
    trace->machine->system.Sleep(30);
    trace->Note("c");
    return 0;
}

std::uint32_t ZV_STDCALL SleepOnce(void* param) {
    auto* trace = static_cast<Trace*>(param);
    trace->Note("x");
    trace->machine->system.Sleep(40);
    trace->Note("y");
    return 0;
}

std::uint32_t ZV_STDCALL WaitForever(void* param) {
    auto* machine = static_cast<sim::SimMachine*>(param);
    Handle never = machine->system.CreateEventA(false, true, false, nullptr);
    machine->system.WaitForSingleObject(never, INFINITE);
    return 0;
}

TEST(SimThreadsTest, ThreadsTakeTurnsWhereTheyWaitAndTimePassesOnlyWhileAllWait) {
    sim::SimMachine machine;
    Trace trace{&machine, ""};
    Handle threads[] = {machine.system.CreateThread(SleepTwice, &trace, nullptr),
                        machine.system.CreateThread(SleepOnce, &trace, nullptr)};
    trace.Note("started");
    EXPECT_EQ(machine.system.WaitForSingleObject(threads[0], 10), WAIT_TIMEOUT);
    EXPECT_EQ(machine.system.WaitForMultipleObjects(2, threads, true, INFINITE), WAIT_OBJECT_0);
    trace.Note("joined");
    EXPECT_EQ(trace.text, "started@0 a@0 x@0 b@30 y@40 c@60 joined@60 ");
}

TEST(SimThreadsTest, AWaitThatNothingCanEndIsAFaultOfTheTest) {
    sim::SimMachine machine;
    Handle thread = machine.system.CreateThread(WaitForever, &machine, nullptr);
    EXPECT_THROW(machine.system.WaitForSingleObject(thread, INFINITE), std::logic_error);
    EXPECT_EQ(machine.system.WaitForSingleObject(thread, 5000), WAIT_TIMEOUT);
    EXPECT_EQ(machine.threads.Now(), 5000u) << "the timed wait took its time; the machine ends the thread as it goes";
}

}  // namespace

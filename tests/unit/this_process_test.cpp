// The library's state in a process: made on the first hook call, freed when
// the library is unloaded, and the key passed on when it cannot be made.
#include <gtest/gtest.h>

#include <new>

#include "common/control_messages.h"
#include "hook/hook_procedure.h"
#include "hook/this_process.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr Instance LibraryModule = 0x10000000;
sim::SimMachine* Machine = nullptr;
int StatesMade = 0;

THookProcess* CreateSimulatedProcess() {
    ++StatesMade;
    return new THookProcess(Machine->platform, LibraryModule);
}

// Making the state can fail only as any allocation can.
THookProcess* CreateNoProcess() {
    ++StatesMade;
    throw std::bad_alloc();
}

class ThisProcessTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    THookProcess tray{machine.platform, LibraryModule};
    std::size_t trayHandles = machine.registry.OpenHandleCount();

    void SetUp() override {
        Machine = &machine;
        StatesMade = 0;
        SetProcessCreator(CreateSimulatedProcess);
        SetHooksWithoutState(machine.hooks);
        ASSERT_NE(Install(tray, 1), 0u);
    }
    void TearDown() override {
        LibraryUnloading(false);
        SetProcessCreator(nullptr);
        Machine = nullptr;
    }
};

TEST_F(ThisProcessTest, MadeAtTheFirstKeyAndFreedWhenTheLibraryIsUnloaded) {
    machine.Tap('A');
    machine.Tap('B');
    EXPECT_EQ(StatesMade, 1);
    EXPECT_EQ(machine.registry.OpenHandleCount(), trayHandles + 1) << "the settings key is open";

    LibraryUnloading(false);
    EXPECT_EQ(machine.registry.OpenHandleCount(), trayHandles) << "and closed again";

    machine.Tap('C');
    EXPECT_EQ(StatesMade, 2) << "a later load makes it anew";
    EXPECT_EQ(machine.AppText(), "abc");
}

TEST_F(ThisProcessTest, NothingIsTouchedWhenTheProcessEnds) {
    machine.Tap('A');
    LibraryUnloading(true);
    EXPECT_EQ(machine.registry.OpenHandleCount(), trayHandles + 1);
    machine.Tap('B');
    EXPECT_EQ(StatesMade, 1) << "the state was kept";
}

TEST_F(ThisProcessTest, UnloadingBeforeAnyCallFreesNothing) {
    LibraryUnloading(false);
    EXPECT_EQ(StatesMade, 0);
    EXPECT_EQ(machine.registry.OpenHandleCount(), trayHandles);
}

// A hook installed before the library's comes after it in the chain.
TEST_F(ThisProcessTest, WithoutItsStateTheHookCallsTheNextHook) {
    SetProcessCreator(CreateNoProcess);
    machine.Tap('A');
    EXPECT_EQ(StatesMade, 2) << "tried at each event";
    EXPECT_EQ(machine.AppText(), "a");
    ASSERT_EQ(machine.hooks.NextHookCalls().size(), 2u);
    EXPECT_EQ(machine.hooks.NextHookCalls()[0].code, HC_ACTION);
    EXPECT_EQ(machine.hooks.NextHookCalls()[0].wParam, WParam('A'));
    EXPECT_EQ(machine.hooks.NextHookCalls()[1].wParam, WParam('A'));
}

}  // namespace

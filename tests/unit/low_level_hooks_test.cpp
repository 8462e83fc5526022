// Low-level keyboard hooks in the simulated machine: called in the thread
// that installed them, before the system takes an event and before any
// window hook, and only while that thread takes its messages. Also the
// window hooks of Store apps, and what a low-level hook asks about the
// thread in front.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/own_input.h"
#include "hook/typing.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr Instance ProgramModule = 0x00400000;
constexpr std::uint8_t VK_A = 0x41;

// A stand-in for the tray program: a thread of process 1 that installs a
// low-level hook and then takes its messages, after a wait that does not
// take them (blockFor) if asked. What the hook and a window hook saw goes
// into `seen`, in order, with the machine's clock.
class LowLevelHookTest : public ::testing::Test {
protected:
    struct Seen {
        std::string what;  // "low-level" or "window"
        std::uint32_t process;
        std::uint64_t at;
        WParam message = 0;
        KbdLlHookStruct event{};
        bool asyncDown = false;
    };

    sim::SimMachine machine;
    std::vector<Seen> seen;
    LResult answer = 0;
    std::uint32_t blockFor = 0;
    std::uint32_t hookTakes = 0;
    HookHandle hook = 0;

    static inline LowLevelHookTest* current = nullptr;

    void SetUp() override { current = this; }
    void TearDown() override { current = nullptr; }

    static LResult ZV_STDCALL LowLevelProc(int code, WParam wParam, LParam lParam) {
        LowLevelHookTest& test = *current;
        const auto& event = *reinterpret_cast<const KbdLlHookStruct*>(lParam);
        test.seen.push_back({"low-level", test.machine.system.GetCurrentProcessId(), test.machine.threads.Now(),
                             wParam, event, test.machine.keyboard.IsAsyncKeyDown(static_cast<std::uint8_t>(event.vkCode))});
        if (test.hookTakes) test.machine.system.Sleep(test.hookTakes);
        if (test.answer) return test.answer;
        return test.machine.hooks.CallNextHookEx(0, code, wParam, lParam);
    }

    static std::uint32_t ZV_STDCALL HookThread(void* param) {
        auto& test = *static_cast<LowLevelHookTest*>(param);
        test.hook = test.machine.hooks.SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelProc, ProgramModule, 0);
        if (test.blockFor) {
            Handle never = test.machine.system.CreateEventA(false, true, false, nullptr);
            test.machine.system.WaitForSingleObject(never, test.blockFor);
        }
        Message message;
        while (test.machine.windows.GetMessageA(&message, 0, 0, 0) > 0) {}
        return 0;
    }

    void StartHookThread() {
        machine.system.CreateThread(HookThread, this, nullptr);
        machine.system.AdvanceClock(1);
        ASSERT_NE(hook, 0u);
    }

    // A window hook installed by the current process.
    void AddWindowHook() {
        machine.hooks.AddHook([this](int code, WParam wParam, LParam lParam) {
            seen.push_back({"window", machine.system.GetCurrentProcessId(), machine.threads.Now()});
            return machine.hooks.CallNextHookEx(0, code, wParam, lParam);
        });
    }

    std::vector<std::string> What() const {
        std::vector<std::string> what;
        for (const Seen& one : seen) what.push_back(one.what);
        return what;
    }
    std::size_t Count(const std::string& what) const {
        auto same = [&](const Seen& one) { return one.what == what; };
        return static_cast<std::size_t>(std::count_if(seen.begin(), seen.end(), same));
    }
};

// The window hook comes from a 64-bit program, so that a Store app, a
// 64-bit process too, shows that no hook library is loaded into it.
struct TargetCase {
    enum Kind { App32, App64, Store } kind;
    bool windowHookInContext;
};

class LowLevelHookTargetTest : public LowLevelHookTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(LowLevelHookTargetTest, LowLevelHookFirstInItsThreadThenTheWindowHookWhereItMayRun) {
    const TargetCase& c = GetParam();
    std::uint32_t host64 = machine.system.AddProcess(true);
    machine.system.SetCurrentProcess(host64);
    AddWindowHook();
    machine.system.SetCurrentProcess(1);
    StartHookThread();
    Window target = c.kind == TargetCase::App32   ? machine.AddApplication(false)
                    : c.kind == TargetCase::App64 ? machine.AddApplication(true)
                                                  : machine.AddStoreApplication();
    std::uint32_t targetProcess = 0;
    machine.windows.GetWindowThreadProcessId(target, &targetProcess);
    machine.Focus(target);

    machine.windows.PostThreadMessageA(1, WM_USER, 0, 0);
    std::uint64_t pressedAt = machine.threads.Now();
    machine.Tap(VK_A);

    Message message{};
    EXPECT_TRUE(machine.windows.PeekMessageA(&message, 0, WM_USER, WM_USER, PM_REMOVE))
        << "the hook's thread takes only its own messages";
    ASSERT_EQ(What(), (std::vector<std::string>{"low-level", "window", "low-level", "window"}));
    EXPECT_EQ(seen[0].process, 1u) << "in the installing thread's process";
    EXPECT_EQ(seen[0].message, WM_KEYDOWN);
    EXPECT_EQ(seen[0].event.flags, 0u) << "the person's key";
    EXPECT_EQ(seen[0].event.time, pressedAt);
    EXPECT_FALSE(seen[0].asyncDown) << "before the system took the key";
    EXPECT_EQ(seen[2].event.flags, LLKHF_UP);
    EXPECT_EQ(seen[1].process, c.windowHookInContext ? targetProcess : host64);
    EXPECT_EQ(machine.AppText(target), "a");
}

INSTANTIATE_TEST_SUITE_P(Targets, LowLevelHookTargetTest,
                         ::testing::Values(TargetCase{TargetCase::App32, false},
                                           TargetCase{TargetCase::App64, true},
                                           TargetCase{TargetCase::Store, false}));

TEST_F(LowLevelHookTest, ASwallowedEventNeverEntersTheSystem) {
    AddWindowHook();
    StartHookThread();
    answer = 1;
    machine.Press(VK_CAPITAL);
    machine.Press(VK_A);
    EXPECT_EQ(What(), (std::vector<std::string>{"low-level", "low-level"}));
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_CAPITAL));
    EXPECT_FALSE(machine.keyboard.IsAsyncKeyDown(VK_A));
    EXPECT_FALSE(machine.keyboard.IsLockOn(VK_CAPITAL));
    EXPECT_TRUE(machine.AppMessages().empty());

    answer = 0;
    machine.Press(VK_CAPITAL);
    EXPECT_TRUE(machine.keyboard.IsLockOn(VK_CAPITAL)) << "passed on, the key switches the light";
    EXPECT_EQ(Count("window"), 1u);
}

// A thread that does not take its messages holds all input up. After
// LowLevelHooksTimeout (300 ms) the event goes on without the hook, which
// is gone for good: later keys pass it by even once the thread pumps again.
struct BlockedCase {
    const char* why;
    std::uint32_t blockFor;
    std::uint32_t hookTakes;
    std::size_t lowLevelCalls;
    std::uint64_t delay;
    bool stillInstalled;
};

class BlockedInstallerTest : public LowLevelHookTest, public ::testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedInstallerTest, InputWaitsForTheThreadUpToTheTimeout) {
    const BlockedCase& c = GetParam();
    blockFor = c.blockFor;
    hookTakes = c.hookTakes;
    AddWindowHook();
    StartHookThread();
    std::uint64_t pressedAt = machine.threads.Now();
    machine.Press(VK_A);

    ASSERT_EQ(Count("window"), 1u) << c.why;
    EXPECT_EQ(seen.back().at - pressedAt, c.delay) << c.why;
    EXPECT_EQ(Count("low-level"), c.lowLevelCalls) << c.why;
    EXPECT_EQ(machine.hooks.LowLevelCount(), c.stillInstalled ? 1u : 0u) << c.why;
    EXPECT_EQ(machine.AppText(), "a") << c.why;

    machine.system.AdvanceClock(2000);
    seen.clear();
    machine.Release(VK_A);
    std::vector<std::string> expected = {"window"};
    if (c.stillInstalled) expected.insert(expected.begin(), "low-level");
    EXPECT_EQ(What(), expected) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Waits, BlockedInstallerTest,
    ::testing::Values(BlockedCase{"pumping", 0, 0, 1, 0, true},
                      BlockedCase{"in a wait that ends in time", 200, 0, 1, 199, true},
                      BlockedCase{"in a wait too long", 1000, 0, 0, 300, false},
                      BlockedCase{"in a hook too slow", 0, 400, 1, 300, false}));

// SendInput's events as a low-level hook sees them, and what they type.
struct InjectedCase {
    KeyboardInput press;
    std::uint32_t vkCode;
    std::uint32_t scanCode;
    std::uint32_t flags;
    std::string typed;
};

class InjectedInputTest : public LowLevelHookTest, public ::testing::WithParamInterface<InjectedCase> {};

TEST_P(InjectedInputTest, FlaggedAndMarkedAsMade) {
    const InjectedCase& c = GetParam();
    StartHookThread();
    KeyboardInput release = c.press;
    release.dwFlags |= KEYEVENTF_KEYUP;
    Input inputs[] = {{INPUT_KEYBOARD, c.press}, {INPUT_KEYBOARD, release}};
    EXPECT_EQ(machine.keyboard.SendInput(2, inputs, sizeof(Input) - 1), 0u) << "a record of the wrong size";
    EXPECT_EQ(machine.keyboard.SendInput(2, inputs, sizeof(Input)), 2u);
    machine.DeliverInput();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].event.vkCode, c.vkCode);
    EXPECT_EQ(seen[0].event.scanCode, c.scanCode);
    EXPECT_EQ(seen[0].event.flags, c.flags);
    EXPECT_EQ(seen[1].event.flags, c.flags | LLKHF_UP);
    EXPECT_EQ(seen[0].event.dwExtraInfo, c.press.dwExtraInfo);
    EXPECT_EQ(machine.AppText(), c.typed);
}

INSTANTIATE_TEST_SUITE_P(
    Records, InjectedInputTest,
    ::testing::Values(InjectedCase{{VK_A, 0x1E, 0, 0, OwnInputMarker}, VK_A, 0x1E, LLKHF_INJECTED, "a"},
                      InjectedCase{{0, 0xE4, KEYEVENTF_UNICODE, 0, 7}, VK_PACKET, 0xE4, LLKHF_INJECTED, "\xE4"},
                      InjectedCase{{0, 0x1E, KEYEVENTF_SCANCODE, 0, 0}, VK_A, 0x1E, LLKHF_INJECTED, "a"},
                      InjectedCase{{VK_CONTROL, 0x1D, KEYEVENTF_EXTENDEDKEY, 0, 0}, VK_RCONTROL, 0x1D,
                                   LLKHF_INJECTED | LLKHF_EXTENDED, ""}));

TEST(LowLevelHookHelpers, TheLibrarysOwnEventsCarryTheMarker) {
    sim::SimMachine machine;
    THookProcess process(machine.platform, 1);
    TypeText(process, "A\xE4");
    ASSERT_FALSE(machine.keyboard.InjectedLog().empty());
    for (const sim::KeyInput& input : machine.keyboard.InjectedLog()) EXPECT_EQ(input.extraInfo, OwnInputMarker);
}

TEST(LowLevelHookHelpers, TheThreadInFrontAsALowLevelHookAsksAboutIt) {
    sim::SimMachine machine;
    Window store = machine.AddStoreApplication();
    std::uint32_t storeProcess = 0;
    std::uint32_t storeThread = machine.windows.GetWindowThreadProcessId(store, &storeProcess);
    machine.keyboard.SetThreadLayout(storeThread, sim::KeyboardLayout::US);
    machine.Focus(store);
    machine.Tap(VK_A);
    std::uint32_t lastKeyAt = machine.system.GetTickCount();
    machine.system.AdvanceClock(500);

    EXPECT_EQ(machine.keyboard.GetKeyboardLayout(storeThread), 0x04090409u);
    EXPECT_EQ(machine.keyboard.GetKeyboardLayout(0), 0x04070407u) << "the caller's, the machine's layout";
    GuiThreadInfo info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(machine.windows.GetGUIThreadInfo(0, &info));
    EXPECT_EQ(info.hwndFocus, store);
    EXPECT_EQ(info.hwndActive, machine.windows.GetParent(store));
    LastInputInfo last{sizeof last, 0};
    ASSERT_TRUE(machine.keyboard.GetLastInputInfo(&last));
    EXPECT_EQ(last.dwTime, lastKeyAt);
    Handle handle = machine.system.OpenProcess(0, false, storeProcess);
    EXPECT_TRUE(machine.system.IsImmersiveProcess(handle));
    EXPECT_FALSE(machine.system.IsImmersiveProcess(machine.system.GetCurrentProcess()));
}

}  // namespace

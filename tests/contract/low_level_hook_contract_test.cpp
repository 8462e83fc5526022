// A low-level keyboard hook of this thread and input made with SendInput,
// against the simulation and, under Wine, the real API. The hook is called
// while the thread takes its messages; the keys are F21 to F24, which no
// program acts on.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/own_input.h"
#include "platform/win_constants.h"
#include "tests/contract/contract_backend.h"

using namespace win;

namespace {

constexpr std::uint8_t VK_F22 = 0x85;
constexpr std::uint8_t VK_F23 = 0x86;
constexpr std::uint8_t VK_F24 = 0x87;

struct Seen {
    WParam message;
    KbdLlHookStruct event;
};
std::vector<Seen> observed;
int swallowed = 0;
bool swallowing = false;

LResult ZV_STDCALL Observe(int code, WParam wParam, LParam lParam) {
    if (code == HC_ACTION) observed.push_back({wParam, *reinterpret_cast<const KbdLlHookStruct*>(lParam)});
    return ContractHooks().CallNextHookEx(0, code, wParam, lParam);
}

LResult ZV_STDCALL Swallow(int code, WParam wParam, LParam lParam) {
    if (code == HC_ACTION && swallowing) {
        ++swallowed;
        return 1;
    }
    return ContractHooks().CallNextHookEx(0, code, wParam, lParam);
}

HookHandle Install(HookProc proc) {
    return ContractHooks().SetWindowsHookExA(WH_KEYBOARD_LL, proc, ContractSystem().GetModuleHandleA(nullptr), 0);
}

Input Key(std::uint8_t virtualKey, bool release) {
    return Input{INPUT_KEYBOARD, {virtualKey, 0, release ? KEYEVENTF_KEYUP : 0u, 0, OwnInputMarker}};
}

// Takes messages until `done` holds, for at most about a second.
template <class Done>
void PumpUntil(Done done) {
    for (int round = 0; round < 100 && !done(); ++round) {
        Message message;
        while (ContractWindows().PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
            ContractWindows().DispatchMessageA(&message);
        }
        if (!done()) ContractSystem().Sleep(10);
    }
}

// Wine answers GetAsyncKeyState from a copy it keeps for 50 ms.
bool AsyncDown(std::uint8_t virtualKey) {
    ContractSystem().Sleep(60);
    return ContractKeyboard().GetAsyncKeyState(virtualKey) & 0x8000;
}

class LowLevelHookContract : public ::testing::Test {
protected:
    void SetUp() override {
        observed.clear();
        swallowed = 0;
        swallowing = false;
    }
};

// A Unicode event names no key: the hooks see the virtual key VK_PACKET,
// and a low-level hook finds the UTF-16 unit in the scan code. Its release
// is told by the message: Wine leaves LLKHF_UP off it.
Input UnicodeUnit(wchar_t unit, bool release) {
    return Input{INPUT_KEYBOARD, {0, static_cast<std::uint16_t>(unit),
                                  KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0u), 0, OwnInputMarker}};
}

TEST_F(LowLevelHookContract, InjectedEventsArriveFlaggedWithTheirExtraInformation) {
    HookHandle hook = Install(Observe);
    ASSERT_NE(hook, 0u);
    Input keys[] = {Key(VK_F24, false), Key(VK_F24, true), UnicodeUnit(0x0141, false), UnicodeUnit(0x0141, true)};
    EXPECT_EQ(ContractKeyboard().SendInput(4, keys, sizeof(Input)), 4u);
    PumpUntil([] { return observed.size() >= 4; });
    ContractHooks().UnhookWindowsHookEx(hook);

    ASSERT_EQ(observed.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        bool release = i % 2 == 1;
        bool unicode = i >= 2;
        EXPECT_EQ(observed[i].message, release ? WM_KEYUP : WM_KEYDOWN) << i;
        EXPECT_EQ(observed[i].event.vkCode, unicode ? VK_PACKET : VK_F24) << i;
        if (unicode) {
            EXPECT_EQ(observed[i].event.scanCode, 0x0141u) << i;
            EXPECT_TRUE(observed[i].event.flags & LLKHF_INJECTED) << i;
        } else {
            EXPECT_EQ(observed[i].event.flags & (LLKHF_INJECTED | LLKHF_UP),
                      LLKHF_INJECTED | (release ? LLKHF_UP : 0u)) << i;
        }
        EXPECT_EQ(observed[i].event.dwExtraInfo, OwnInputMarker) << i;
    }
}

TEST_F(LowLevelHookContract, ANonzeroAnswerEndsTheEventThere) {
    HookHandle older = Install(Observe);
    HookHandle newer = Install(Swallow);
    ASSERT_NE(older, 0u);
    ASSERT_NE(newer, 0u);

    swallowing = true;
    Input swallowedKey[] = {Key(VK_F23, false)};
    EXPECT_EQ(ContractKeyboard().SendInput(1, swallowedKey, sizeof(Input)), 1u);
    PumpUntil([] { return swallowed == 1; });
    EXPECT_EQ(swallowed, 1);
    EXPECT_TRUE(observed.empty()) << "the hook installed earlier never saw it";
    EXPECT_FALSE(AsyncDown(VK_F23)) << "the system never took it";

    swallowing = false;
    Input passedKey[] = {Key(VK_F22, false)};
    EXPECT_EQ(ContractKeyboard().SendInput(1, passedKey, sizeof(Input)), 1u);
    PumpUntil([] { return observed.size() == 1; });
    EXPECT_EQ(observed.size(), 1u) << "passed on with CallNextHookEx";
    EXPECT_TRUE(AsyncDown(VK_F22)) << "the system took it";

    Input releases[] = {Key(VK_F22, true)};
    ContractKeyboard().SendInput(1, releases, sizeof(Input));
    PumpUntil([] { return observed.size() == 2; });
    ContractHooks().UnhookWindowsHookEx(newer);
    ContractHooks().UnhookWindowsHookEx(older);
}

}  // namespace

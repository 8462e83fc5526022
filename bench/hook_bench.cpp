// The hook procedure's cost per keystroke over the simulated backend, and
// the registry calls each keystroke makes: on Windows every one of them is
// a call into the kernel, in every process that receives the keystroke.
// Reads of the keyboard state are counted too: under Wine each one may be a
// call into its server.
// A keystroke is the press and the release of a key, and, for a key that
// types a macro, every synthesised event coming back through the hook.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "common/control_messages.h"
#include "common/registry_paths.h"
#include "hook/hook_procedure.h"
#include "hook/low_level_hook.h"
#include "hook/macro_store.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "settings/options_registry.h"

using namespace win;

namespace {

// The end of the hook chain. The simulated chain records every call, which
// over millions of keystrokes would measure the recording.
class ChainEnd final : public HookApi {
public:
    HookHandle SetWindowsHookExA(int, HookProc, Instance, std::uint32_t) override { return 1; }
    LResult CallNextHookEx(HookHandle, int, WParam, LParam) override { return 0; }
    bool UnhookWindowsHookEx(HookHandle) override { return true; }
};

// The simulated system without its records of every wait.
class QuietSystem final : public sim::SimSystem {
public:
    void Sleep(std::uint32_t) override {}
    std::uint32_t WaitForInputIdle(Handle, std::uint32_t) override { return 0; }
};

// An application process with the library's state, on the German layout,
// whose hook knows its handle already (it asks the control window once).
class Desk {
public:
    Desk() {
        machine.SetLayout(sim::KeyboardLayout::German);
        machine.windows.AddWindow(ControlWindowName, ControlWindowName, 0,
                                  [](std::uint32_t, WParam, LParam) -> LResult { return 1; });
        process = std::make_unique<THookProcess>(platform, 0x10000000);
    }

    void Set(const char* name, std::uint8_t value) {
        machine.registry.PutByte(SettingsKeyPath, name, value);
    }

    // One event through the hook, as Windows calls it, and into the
    // thread's key state when the hook lets it pass.
    void Deliver(const sim::KeyInput& input) {
        sim::SimKeyboard::Delivered delivered = machine.keyboard.KeyDataFor(input);
        bool swallowed = KeyboardHookProc(*process, HC_ACTION, delivered.virtualKey,
                                          static_cast<LParam>(delivered.keyData)) != 0;
        if (!swallowed) machine.keyboard.ApplyToThreadState(input);
    }
    void UserEvent(std::uint8_t key, bool extended, bool release) {
        machine.keyboard.UserEvent(key, extended, release);
        DeliverAll();
    }
    void DeliverAll() {
        while (machine.keyboard.HasPendingInput()) Deliver(machine.keyboard.TakeInput());
    }
    void Keystroke(std::uint8_t key) {
        UserEvent(key, false, false);
        UserEvent(key, false, true);
        synthesised += machine.keyboard.InjectedLog().size();
        machine.keyboard.ClearInjectedLog();
    }

    sim::SimMachine machine;
    QuietSystem system;
    ChainEnd chain;
    Platform platform{machine.registry, machine.keyboard, machine.windows, machine.shell,
                      system,           machine.sound,    machine.ports,   chain};
    std::unique_ptr<THookProcess> process;
    std::uint64_t synthesised = 0;
};

// 200 macros, as a full configuration has: the function keys F1 to F24 and
// the digits, with six modifier states. Neither X nor E is among them.
void DefineMacros(sim::SimRegistry& registry) {
    constexpr std::uint8_t flags[] = {0x08, 0x09, 0x00, 0x01, 0x03, 0x02};
    for (int i = 0; i < 200; ++i) {
        const int key = i / 6;
        TKeyFlags modifiers{flags[i % 6]};
        auto code = static_cast<std::uint16_t>(key < 24 ? 0x70 + key : '0' + key - 24);
        registry.PutString(AltGrMacroKey, MacroValueName(code, modifiers),
                                        "Makro " + std::to_string(i));
    }
}

void UmlautTable(Desk& desk) {
    desk.Set("Umlautwandlung", 1);
    desk.Set("UmlautMode", 0);
    for (auto [name, text] : {std::pair{"000000DE", "ae"}, {"000000C0", "oe"}, {"000000BA", "ue"},
                              {"000100DE", "Ae"}, {"000100C0", "Oe"}, {"000100BA", "Ue"}, {"000000DB", "ss"}}) {
        desk.machine.registry.PutString(AsciiUmlautKey, name, text);
    }
}

void Measure(benchmark::State& state, Desk& desk, std::uint8_t key) {
    desk.Keystroke(key);  // the hook learns its handle
    const std::uint64_t calls = desk.machine.registry.CallCount();
    const std::uint64_t opens = desk.machine.registry.OpenCount();
    const std::uint64_t stateReads = desk.machine.keyboard.StateReadCount();
    desk.synthesised = 0;
    for (auto _ : state) desk.Keystroke(key);
    auto perKeystroke = [](std::uint64_t count) {
        return benchmark::Counter(static_cast<double>(count), benchmark::Counter::kAvgIterations);
    };
    state.counters["registry_calls"] = perKeystroke(desk.machine.registry.CallCount() - calls);
    state.counters["key_opens"] = perKeystroke(desk.machine.registry.OpenCount() - opens);
    state.counters["synthesised"] = perKeystroke(desk.synthesised);
    state.counters["state_reads"] = perKeystroke(desk.machine.keyboard.StateReadCount() - stateReads);
}

void Modifier(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    Measure(state, desk, VK_SHIFT);
}

void LetterMasterSwitchOff(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 0);
    DefineMacros(desk.machine.registry);
    Measure(state, desk, 'X');
}

void LetterWith200Macros(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    DefineMacros(desk.machine.registry);
    Measure(state, desk, 'X');
}

void LetterWith200MacrosAndUmlauts(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    DefineMacros(desk.machine.registry);
    UmlautTable(desk);
    Measure(state, desk, 'X');
}

// Rules for remote desktops and virtual machines, none for this program:
// the lookup of its value under the held Programme key replaces the failed
// open of a missing key.
void LetterWith200MacrosAndProgramRules(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    DefineMacros(desk.machine.registry);
    for (const char* program : {"mstsc.exe", "msrdc.exe", "vmconnect.exe", "VirtualBoxVM.exe"}) {
        desk.machine.registry.PutString(ProgramsKeyPath, program, "alles");
    }
    Measure(state, desk, 'X');
}

// A program where the system does nothing: one lookup, no setting read.
void LetterInAProgramLeftAlone(benchmark::State& state) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    DefineMacros(desk.machine.registry);
    desk.system.SetProcessImage(desk.system.GetCurrentProcessId(), "C:\\Windows\\mstsc.exe");
    desk.machine.registry.PutString(ProgramsKeyPath, "mstsc.exe", "alles");
    Measure(state, desk, 'X');
}

// AltGr is held (left Ctrl and right Alt); every E types the macro, whose
// events all come back through the hook. The Unicode macro has as many
// characters, none of them in code page 1252: the same registry calls, its
// characters typed as Unicode events.
void AltGrMacro(benchmark::State& state, const std::wstring& text) {
    Desk desk;
    desk.Set("Zolvik eingeschaltet", 1);
    DefineMacros(desk.machine.registry);
    desk.machine.registry.PutWideString(AltGrMacroKey, "00080045", text);
    desk.UserEvent(VK_CONTROL, false, false);
    desk.UserEvent(VK_MENU, true, false);
    Measure(state, desk, 'E');
}

// A 64-bit Windows with the low-level hook installed and served by a thread
// of its own, and a 64-bit application in front, for which the hook acts.
// Its procedure is timed for each call the person's events make; the work
// it hands to its worker runs between the keystrokes, untimed.
class LowLevelDesk {
public:
    LowLevelDesk() {
        machine.system.Set64BitWindows(true);
        machine.registry.PutByte(SettingsKeyPath, "Zolvik eingeschaltet", 1);
        Window app = machine.AddApplication(true);
        Timed = this;
        machine.system.CreateThread(HookThread, this, nullptr);
        machine.system.AdvanceClock(1);
        machine.Focus(app);
    }
    ~LowLevelDesk() { Timed = nullptr; }

    void Keystroke(std::uint8_t key) {
        machine.Tap(key);
        for (int round = 0; round < 5; ++round) {
            machine.system.AdvanceClock(20);
            machine.DeliverInput();
        }
    }

    sim::SimMachine machine;
    THookProcess process{machine.platform, 0x10000000};
    std::chrono::nanoseconds Spent{0};
    std::chrono::nanoseconds Longest{0};

private:
    static std::uint32_t ZV_STDCALL HookThread(void* self) {
        auto& desk = *static_cast<LowLevelDesk*>(self);
        HookApi& hooks = desk.machine.platform.hooks;
        hooks.UnhookWindowsHookEx(InstallLowLevel(desk.process, 1));
        desk.process.LowLevel->Handle = hooks.SetWindowsHookExA(WH_KEYBOARD_LL, TimedEntry, 0x10000000, 0);
        Message message;
        while (desk.machine.windows.GetMessageA(&message, 0, 0, 0) > 0) {
        }
        return 0;
    }
    static LResult ZV_STDCALL TimedEntry(int code, WParam wParam, LParam lParam) {
        auto start = std::chrono::steady_clock::now();
        LResult result = LowLevelHookEntry(code, wParam, lParam);
        auto spent = std::chrono::steady_clock::now() - start;
        if (!(reinterpret_cast<const KbdLlHookStruct*>(lParam)->flags & LLKHF_INJECTED) && Timed) {
            Timed->Spent += spent;
            Timed->Longest = std::max(Timed->Longest, std::chrono::duration_cast<std::chrono::nanoseconds>(spent));
        }
        return result;
    }
    static inline LowLevelDesk* Timed = nullptr;
};

// The time is the low-level hook's, for the press and the release.
void MeasureLowLevel(benchmark::State& state, LowLevelDesk& desk, std::uint8_t key) {
    desk.Keystroke(key);
    desk.Longest = {};
    for (auto _ : state) {
        desk.Spent = {};
        desk.Keystroke(key);
        state.SetIterationTime(std::chrono::duration<double>(desk.Spent).count());
    }
    state.counters["longest_call_us"] = std::chrono::duration<double, std::micro>(desk.Longest).count();
}

// A letter that no rule takes, with 200 macros: the hook passes it.
void LowLevelPassedLetter(benchmark::State& state) {
    LowLevelDesk desk;
    DefineMacros(desk.machine.registry);
    MeasureLowLevel(state, desk, 'X');
}

// An umlaut the hook swallows and hands to its worker as "ae".
void LowLevelActingUmlaut(benchmark::State& state) {
    LowLevelDesk desk;
    desk.machine.registry.PutByte(SettingsKeyPath, "Umlautwandlung", 1);
    desk.machine.registry.PutByte(SettingsKeyPath, "UmlautMode", 0);
    desk.machine.registry.PutString(AsciiUmlautKey, "000000DE", "ae");
    MeasureLowLevel(state, desk, 0xDE);
}

}  // namespace

BENCHMARK(Modifier);
BENCHMARK(LetterMasterSwitchOff);
BENCHMARK(LetterWith200Macros);
BENCHMARK(LetterWith200MacrosAndUmlauts);
BENCHMARK(LetterWith200MacrosAndProgramRules);
BENCHMARK(LetterInAProgramLeftAlone);
BENCHMARK_CAPTURE(AltGrMacro, Ansi, L"Hallo");
BENCHMARK_CAPTURE(AltGrMacro, Unicode, L"\x0141\x2192\x2713\x03A9\x0159");
BENCHMARK(LowLevelPassedLetter)->UseManualTime();
BENCHMARK(LowLevelActingUmlaut)->UseManualTime();

BENCHMARK_MAIN();

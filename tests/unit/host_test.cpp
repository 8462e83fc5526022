// The 64-bit host over the simulation: it installs the hook of the library
// beside it, tells the tray program it is ready, and ends, unhooking, when
// the tray program ends or asks it to.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "hook/hook_procedure.h"
#include "host/host_program.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

constexpr Instance HostModule = 0x00400000;
constexpr Instance LibraryModule = 0x10000000;
const std::string Folder = "C:\\Programme\\Zolvik32\\";

THookProcess* Library = nullptr;
HookHandle ZV_STDCALL LibraryInstall(std::uint8_t install) { return Install(*Library, install); }

class HostTest : public ::testing::Test {
public:
    sim::SimMachine machine;
    std::uint32_t tray = machine.system.AddProcess(false);
    std::uint32_t host = machine.system.AddProcess(true);
    THookProcess library{machine.platform, LibraryModule};
    Handle trayHandle = machine.system.OpenProcess(SYNCHRONIZE, true, tray);
    Handle ready = machine.system.CreateEventA(true, true, false, nullptr);

    void SetUp() override {
        Library = &library;
        machine.system.SetModuleFileName(HostModule, Folder + "Zolvik64.exe");
        machine.system.AddLibrary(Folder + "Zolhook64.dll", LibraryModule,
                                  {{InstallOrdinal, reinterpret_cast<ProcAddress>(&LibraryInstall)}});
        machine.system.SetCurrentProcess(host);
    }
    void TearDown() override { Library = nullptr; }

    std::string Arguments() const {
        return std::to_string(trayHandle) + " " + std::to_string(ready);
    }
    // Runs the host; the step runs once its loop waits.
    int Run(std::function<void()> step, const std::string& arguments) {
        machine.windows.WhenIdle(std::move(step));
        return RunHost(machine.platform, HostModule, arguments);
    }
};

TEST_F(HostTest, RunsWithItsHookUntilTheTrayProgramEndsOrAsksItToEnd) {
    const std::function<void(HostTest&)> endings[] = {
        [](HostTest& test) { test.machine.system.EndProcess(test.tray, 1); },
        [](HostTest& test) { test.machine.windows.PostThreadMessageA(test.host, WM_QUIT, 0, 0); },
    };
    for (const auto& end : endings) {
        tray = machine.system.AddProcess(false);
        trayHandle = machine.system.OpenProcess(SYNCHRONIZE, true, tray);
        ready = machine.system.CreateEventA(true, true, false, nullptr);
        bool hookedAndReady = false;
        int exitCode = Run(
            [&] {
                hookedAndReady = machine.hooks.InstalledCount() == 1 && machine.system.IsSignaled(ready);
                end(*this);
            },
            Arguments());
        EXPECT_EQ(exitCode, HostExitNormal);
        EXPECT_TRUE(hookedAndReady) << "the tray program learns of the hook once it is in place";
        EXPECT_EQ(machine.hooks.InstalledCount(), 0u) << "unhooked at the end";
    }
}

TEST_F(HostTest, EndsAtOnceWhenItCannotServe) {
    struct Case {
        const char* why;
        std::function<void(HostTest&)> arrange;
        std::string arguments;  // empty: the right ones
        int exitCode;
    };
    const Case cases[] = {
        {"no arguments", [](HostTest&) {}, " ", HostExitBadArguments},
        {"one handle", [](HostTest&) {}, "12", HostExitBadArguments},
        {"not a number", [](HostTest&) {}, "12 x4", HostExitBadArguments},
        {"a third argument", [](HostTest&) {}, "12 16 20", HostExitBadArguments},
        {"library missing",
         [](HostTest& test) { test.machine.system.SetModuleFileName(HostModule, "C:\\anderswo\\Zolvik64.exe"); },
         "", HostExitNoLibrary},
        {"hook refused", [](HostTest& test) { test.machine.hooks.SetInstallFails(true); }, "",
         HostExitNoHook},
    };
    for (const Case& c : cases) {
        HostTest::SetUp();
        c.arrange(*this);
        int exitCode = RunHost(machine.platform, HostModule, c.arguments.empty() ? Arguments() : c.arguments);
        EXPECT_EQ(exitCode, c.exitCode) << c.why;
        EXPECT_FALSE(machine.system.IsSignaled(ready)) << c.why;
        EXPECT_EQ(machine.hooks.InstalledCount(), 0u) << c.why;
        machine.hooks.SetInstallFails(false);
    }
}

TEST_F(HostTest, NeverRunsBesideAnotherHostButTakesOverFromOneThatEnded) {
    std::uint32_t other = machine.system.AddProcess(true);
    machine.system.SetCurrentProcess(other);
    machine.system.CreateMutexA(nullptr, true, HostMutexName);
    machine.system.SetCurrentProcess(host);
    EXPECT_EQ(RunHost(machine.platform, HostModule, Arguments()), HostExitAlreadyRunning);
    EXPECT_EQ(machine.system.TimedOutWaits(), 1u) << "it waited for the other host first";
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);

    machine.system.EndProcess(other, 0);
    int exitCode = Run([this] { machine.system.EndProcess(tray, 0); }, Arguments());
    EXPECT_EQ(exitCode, HostExitNormal) << "the mutex of an ended host is abandoned, and taken";
}

}  // namespace

// The tray program over the simulation: start-up, the control window's
// messages, the tray icon, the shutdown and the error box.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "common/control_messages.h"
#include "common/sound_events.h"
#include "hook/hook_procedure.h"
#include "hook/sound_playback.h"
#include "platform/sim/sim_machine.h"
#include "platform/win_constants.h"
#include "tray/control_window.h"
#include "tray/prev_inst.h"
#include "tray/tray_icon.h"
#include "tray/tray_program.h"
#include "tests/unit/simulated_hook_library.h"

using namespace win;

namespace {

constexpr Instance ProgramModule = 0x400000;
constexpr Instance LibraryModule = 0x10000000;
const char* const Folder = "C:\\Programme\\Zolvik32\\";

class TrayTest : public ::testing::Test {
protected:
    sim::SimMachine machine;
    std::unique_ptr<THookProcess> libraryState;
    std::unique_ptr<SimulatedHookLibrary> library;
    std::unique_ptr<TTrayProgram> program;

    void SetUp() override {
        machine.system.SetModuleFileName(ProgramModule, std::string(Folder) + "Zolvik32.exe");
        machine.system.SetModuleFileName(LibraryModule, std::string(Folder) + "Zolhook.dll");
        libraryState = std::make_unique<THookProcess>(machine.platform, LibraryModule);
        library = std::make_unique<SimulatedHookLibrary>(*libraryState);
    }
    // Starts the program; each step runs when its loop (or its message box's)
    // waits, and the program's window is closed after the last.
    int Start(const std::string& commandLine = "", std::vector<std::function<void()>> steps = {}) {
        program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
        for (auto& step : steps) machine.windows.WhenIdle(std::move(step));
        machine.windows.WhenIdle(
            [this] { machine.windows.PostMessageA(program->ControlWindow, WM_CLOSE, 0, 0); });
        return RunTrayProgram(*program, commandLine);
    }
    void Post(std::uint32_t message, WParam wParam, LParam lParam) {
        machine.windows.PostMessageA(Control(), message, wParam, lParam);
    }
    Window Control() { return machine.windows.FindWindowA(ControlWindowName, ControlWindowName); }
    std::vector<std::uint32_t> NotifyMessages() const {
        std::vector<std::uint32_t> messages;
        for (const auto& call : machine.shell.NotifyIconCalls()) messages.push_back(call.message);
        return messages;
    }
    LResult SendMessageToControl(std::uint32_t message) {
        return machine.windows.SendMessageA(Control(), message, 0, 0);
    }
    std::uint8_t Setting(const char* name) const {
        auto value = machine.registry.Get(SettingsKeyPath, name);
        return value ? value->data.at(0) : 0xEE;
    }
};

TEST_F(TrayTest, NormalRunAddsTheIconInstallsTheHookAndRemovesBothAtTheEnd) {
    bool hookWhileRunning = false;
    bool iconWhileRunning = false;
    int exitCode = Start("", {[&] {
        hookWhileRunning = machine.hooks.InstalledCount() == 1;
        iconWhileRunning = machine.shell.IconInTray();
    }});
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(hookWhileRunning);
    EXPECT_TRUE(iconWhileRunning);
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
    EXPECT_FALSE(machine.shell.IconInTray());
    EXPECT_EQ(NotifyMessages(), (std::vector<std::uint32_t>{NIM_ADD, NIM_DELETE}));
    EXPECT_FALSE(machine.windows.Exists(Control()));
}

TEST_F(TrayTest, ControlWindowClassAndWindow) {
    Start();
    const WindowClass& record = program->WindowClass;
    EXPECT_EQ(record.style, 0u);
    EXPECT_EQ(record.windowProc, ControlWindowProc);
    EXPECT_EQ(record.instance, ProgramModule);
    EXPECT_NE(record.icon, 0u) << "MAINICON";
    EXPECT_NE(record.cursor, 0u) << "IDC_ARROW";
    EXPECT_STREQ(record.menuName, "Zolvik32");
    EXPECT_STREQ(record.className, "Zolvik32");
}

TEST_F(TrayTest, IconRecordHasTheOldSizeAndTheTip) {
    Start();
    const NotifyIconData& data = machine.shell.NotifyIconCalls().front().data;
    EXPECT_EQ(data.cbSize, 88u);
    EXPECT_EQ(data.uID, 0u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, UM_TRAYICON);
    EXPECT_EQ(data.hIcon, program->WindowClass.icon);
    char tip[64] = "Zolvik32";
    EXPECT_EQ(std::memcmp(data.szTip, tip, sizeof tip), 0) << "the tip, then zeros";
}

TEST_F(TrayTest, SecondCopyAsksTheFirstToRefreshThenSaysSoAndEnds) {
    Window first = machine.windows.AddWindow(ControlWindowName, ControlWindowName);
    machine.system.CreateMutexA(nullptr, true, "ZOLVIK32");
    int exitCode = Start();
    EXPECT_EQ(exitCode, ExitAlreadyRunning);
    EXPECT_EQ(machine.windows.PostedTo(first),
              (std::vector<sim::PostedMessage>{{first, UM_REFRESHICON, 0, 0}}));
    ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(machine.windows.MessageBoxes()[0].text, "Zolvik32 wurde bereits gestartet!");
    EXPECT_EQ(machine.windows.MessageBoxes()[0].caption, "Zolvik32");
    EXPECT_EQ(machine.windows.MessageBoxes()[0].type, MB_OK);
    EXPECT_EQ(library->installCalls, 0);
    EXPECT_TRUE(machine.registry.KeyExists(SettingsKeyPath)) << "the settings key is opened all the same";
}

// The system reports the program's name as it was started: in any case,
// with or without its extension.
TEST_F(TrayTest, OneProgramFileHasOneMutexHoweverItWasStarted) {
    struct Case {
        const char* first;
        const char* second;
        bool secondIsACopy;
    };
    const Case cases[] = {
        {"C:\\Programme\\Zolvik32\\Zolvik32.exe", "C:\\Programme\\Zolvik32\\zolvik32", true},
        {"C:\\Programme\\Zolvik32\\ZOLVIK32.EXE", "C:\\PROGRA~1\\Zolvik32\\Zolvik32.Exe", true},
        {"C:\\Programme\\Zolvik32\\Zolvik32.exe", "C:\\Kopie\\Zolvik33.exe", false},
        {"C:\\A.EXE\\Kopie.EXE.bak", "C:\\A.EXE\\Kopie", false},
    };
    for (const Case& c : cases) {
        sim::SimMachine fresh;
        fresh.system.SetModuleFileName(ProgramModule, c.first);
        ASSERT_FALSE(CheckPrevInstance(fresh.platform, ProgramModule)) << c.first;
        fresh.system.SetModuleFileName(ProgramModule, c.second);
        EXPECT_EQ(CheckPrevInstance(fresh.platform, ProgramModule), c.secondIsACopy) << c.first << " " << c.second;
    }
    machine.system.SetModuleFileName(ProgramModule, "C:\\Programme\\Zolvik32\\Zolvik32 \xC4nderung.exe");
    EXPECT_EQ(ExeBaseName(machine.platform, ProgramModule), "ZOLVIK32 \xC4NDERUNG");
}

TEST_F(TrayTest, HideOptionOnlyAsTheExactFirstArgument) {
    struct Case {
        const char* commandLine;
        bool hides;
    };
    const Case cases[] = {
        {"/h", true},     {"  /h  other", true}, {"\"/h\"", true},  {"/\"h\"", true},
        {"/H", false},    {"-h", false},         {"x /h", false},   {"/hh", false},
        {"\"/h x\"", false}, {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FirstArgument(c.commandLine) == "/h", c.hides) << c.commandLine;
    }
    Start("/h");
    EXPECT_EQ(Setting("Zolvik-Symbol verstecken"), 1);
    EXPECT_TRUE(machine.shell.NotifyIconCalls().empty()) << "no icon shown";
}

TEST_F(TrayTest, WithoutHookTheProgramEndsAtOnceWithoutIcon) {
    machine.hooks.SetInstallFails(true);
    program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
    EXPECT_EQ(RunTrayProgram(*program, "/h"), ExitNoHook);
    EXPECT_EQ(Setting("Zolvik-Symbol verstecken"), 1) << "stored before the hook";
    EXPECT_TRUE(machine.shell.NotifyIconCalls().empty());
    EXPECT_EQ(library->installCalls, 1) << "no Install(0)";
    EXPECT_TRUE(machine.windows.MessageBoxes().empty());
}

TEST_F(TrayTest, ClassThatCannotBeRegisteredEndsAtOnce) {
    machine.windows.SetRegisterClassFails(true);
    program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
    EXPECT_EQ(RunTrayProgram(*program, ""), ExitNoWindowClass);
    EXPECT_EQ(library->installCalls, 0);
    EXPECT_TRUE(machine.windows.MessageBoxes().empty());
}

TEST_F(TrayTest, WindowThatCannotBeCreatedEndsAtOnce) {
    machine.windows.SetCreateWindowFails(true);
    program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
    EXPECT_EQ(RunTrayProgram(*program, "/h"), ExitNoControlWindow);
    EXPECT_EQ(library->installCalls, 0);
    EXPECT_FALSE(machine.registry.Get(SettingsKeyPath, "Zolvik-Symbol verstecken").has_value());
    EXPECT_TRUE(machine.windows.MessageBoxes().empty());
}

TEST_F(TrayTest, QuitPostedByAnotherProgramGivesItsExitCode) {
    program = std::make_unique<TTrayProgram>(machine.platform, ProgramModule, *library);
    machine.windows.WhenIdle([this] { machine.windows.PostQuitMessage(7); });
    EXPECT_EQ(RunTrayProgram(*program, ""), 7);
    EXPECT_FALSE(machine.shell.IconInTray());
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
}

TEST_F(TrayTest, MessageTable) {
    machine.shell.AddFile(std::string(Folder) + "Zolsetup.exe");
    machine.registry.PutString("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "", "ein.wav");
    LResult hook = 0, queryOpen = 1;
    Start("", {[&] {
        hook = SendMessageToControl(UM_GETHOOK);
        queryOpen = SendMessageToControl(WM_QUERYOPEN);
        Post(UM_PLAYSOUND, 0x100 | seOn, 0);
        Post(UM_SETENABLED, 1, 0);
        Post(UM_SHUTDOWN, 1, 0);
        Post(UM_TRAYICON, 0, WM_LBUTTONDOWN);
        Post(UM_TRAYICON, 0, WM_MOUSEMOVE);
        Post(UM_TRAYICON, 0, WM_RBUTTONUP);
        Post(UM_TRAYICON, 0, WM_LBUTTONUP);
        Post(UM_TRAYICON, 0, WM_LBUTTONUP);
    }});
    EXPECT_EQ(hook, static_cast<LResult>(program->TrayHookHandle));
    EXPECT_NE(hook, 0);
    EXPECT_EQ(queryOpen, 0);
    ASSERT_EQ(machine.sound.Played().size(), 1u);
    EXPECT_EQ(machine.sound.Played()[0].sound, "ein.wav") << "the low byte is the event";
    EXPECT_EQ(Setting("Zolvik eingeschaltet"), 1);
    EXPECT_EQ(machine.windows.ExitWindowsRequests(), (std::vector<std::uint32_t>{1}));
    ASSERT_EQ(machine.shell.Executed().size(), 2u) << "every left button release starts it";
    EXPECT_EQ(machine.shell.Executed()[0].file, std::string(Folder) + "Zolsetup.exe");
    EXPECT_EQ(machine.shell.Executed()[0].verb, "open");
    EXPECT_TRUE(machine.windows.Beeps().empty());
}

TEST_F(TrayTest, SetEnabledStoresTheLowByte) {
    Start("", {[&] { Post(UM_SETENABLED, 256, 0); }});
    EXPECT_EQ(Setting("Zolvik eingeschaltet"), 0);
}

TEST_F(TrayTest, FailuresBeep) {
    machine.windows.SetExitWindowsResult(false);
    int exitCode = Start("", {[&] {
        Post(UM_SHUTDOWN, 1, 0);
        Post(UM_TRAYICON, 0, WM_LBUTTONUP);
    }});
    EXPECT_EQ(exitCode, 0) << "the program goes on";
    EXPECT_EQ(machine.windows.Beeps(), (std::vector<std::uint32_t>{MB_ICONEXCLAMATION, MB_SIMPLE_BEEP}));
}

TEST_F(TrayTest, RefreshFollowsTheHideSetting) {
    Start("", {[&] {
                   machine.registry.PutByte(SettingsKeyPath, "Zolvik-Symbol verstecken", 1);
                   Post(UM_REFRESHICON, 0, 0);
               },
               [&] { Post(UM_REFRESHICON, 0, 0); },
               [&] {
                   machine.registry.PutByte(SettingsKeyPath, "Zolvik-Symbol verstecken", 0);
                   Post(UM_REFRESHICON, 0, 0);
               }});
    // Shown at start; hidden; a refresh while hidden makes no shell call;
    // shown again with its tip; the tip updated; removed at the end.
    EXPECT_EQ(NotifyMessages(),
              (std::vector<std::uint32_t>{NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_ADD, NIM_DELETE}));
    EXPECT_FALSE(machine.windows.IsVisible(program->ControlWindow));
}

// The error comes with a posted message: the loop's own quit request is
// still queued when the box opens, and must not close it.
TEST_F(TrayTest, RegistryErrorInTheWindowProcedureEndsWithTheErrorBox) {
    int exitCode = Start("", {[&] {
        machine.registry.SetWritesFail(true);
        Post(UM_SETENABLED, 1, 0);
    }});
    EXPECT_EQ(exitCode, ExitUncaughtError);
    EXPECT_FALSE(machine.shell.IconInTray()) << "icon removed";
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u) << "hook removed";
    ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u);
    const sim::MessageBoxCall& box = machine.windows.MessageBoxes()[0];
    EXPECT_FALSE(box.closedByQuit) << "the user closed the box";
    EXPECT_EQ(box.caption, "Anwendungsfehler");
    EXPECT_EQ(box.type, MB_ICONERROR | MB_TASKMODAL);
    const std::string start = "Exception ERegistryException in Modul Zolvik32.exe bei ";
    const std::string end = ".\nKonnte Daten f\xFCr 'Zolvik eingeschaltet' nicht setzen.";
    ASSERT_EQ(box.text.size(), start.size() + 8 + end.size()) << box.text;
    EXPECT_TRUE(box.text.starts_with(start)) << box.text;
    EXPECT_EQ(box.text.substr(start.size(), 8).find_first_not_of("0123456789ABCDEF"), std::string::npos)
        << "the address in eight upper-case hex digits: " << box.text;
    EXPECT_TRUE(box.text.ends_with(end)) << box.text;
}

// Windows handles a sent message inside GetMessageA: no posted message need
// follow it for the error to end the program.
TEST_F(TrayTest, ErrorInASentMessageEndsWithTheErrorBox) {
    int exitCode = Start("", {[&] {
        machine.registry.SetWritesFail(true);
        SendMessageToControl(UM_SETENABLED);
        SendMessageToControl(WM_CLOSE);
    }});
    EXPECT_EQ(exitCode, ExitUncaughtError);
    ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(machine.windows.MessageBoxes()[0].caption, "Anwendungsfehler");
    EXPECT_TRUE(machine.windows.MessageBoxes()[0].text.ends_with("'Zolvik eingeschaltet' nicht setzen."));
    EXPECT_FALSE(machine.shell.IconInTray());
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
}

// The error box's message loop still serves the control window after the
// icon and the hook are gone.
TEST_F(TrayTest, MessagesWhileTheErrorBoxIsUpAreIgnored) {
    LResult hookWhileBoxUp = -1;
    std::size_t shellCallsBeforeBox = 0;
    int exitCode = Start("", {[&] {
                                  machine.registry.SetWritesFail(true);
                                  SendMessageToControl(UM_SETENABLED);
                              },
                              [&] {
                                  ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u) << "the box is up";
                                  shellCallsBeforeBox = machine.shell.NotifyIconCalls().size();
                                  machine.registry.SetWritesFail(false);
                                  Post(UM_REFRESHICON, 0, 0);
                                  SendMessageToControl(UM_REFRESHICON);
                                  Post(UM_PLAYSOUND, seOn, 0);
                                  Post(UM_SETENABLED, 1, 0);
                                  Post(UM_TRAYICON, 0, WM_LBUTTONUP);
                                  hookWhileBoxUp = SendMessageToControl(UM_GETHOOK);
                              }});
    EXPECT_EQ(exitCode, ExitUncaughtError);
    ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u);
    EXPECT_FALSE(machine.windows.MessageBoxes()[0].closedByQuit) << "the window's end does not close the box";
    EXPECT_EQ(machine.shell.NotifyIconCalls().size(), shellCallsBeforeBox) << "the icon stays gone";
    EXPECT_FALSE(machine.shell.IconInTray());
    EXPECT_EQ(hookWhileBoxUp, 0) << "the hook is removed";
    EXPECT_TRUE(machine.shell.Executed().empty()) << "no setup started";
    EXPECT_TRUE(machine.sound.Played().empty()) << "no sound";
    EXPECT_EQ(Setting("Zolvik eingeschaltet"), 0xEE) << "nothing stored";
    EXPECT_FALSE(machine.windows.Exists(program->ControlWindow)) << "WM_CLOSE still works";
}

// The sound thread hands the library's error to the window's thread; no
// sound plays after it.
TEST_F(TrayTest, ErrorInsideTheLibrarysPlaySoundArrivesAsData) {
    machine.registry.Put("AppEvents\\Schemes\\Apps\\Zolvik32\\Aus\\.current", "", REG_BINARY, {1});
    machine.registry.PutString("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "", "ein.wav");
    int exitCode = Start("", {[&] {
        Post(UM_PLAYSOUND, seOff, 0);
        Post(UM_PLAYSOUND, seOn, 0);
    }});
    EXPECT_EQ(exitCode, ExitUncaughtError);
    ASSERT_EQ(machine.windows.MessageBoxes().size(), 1u);
    EXPECT_FALSE(machine.windows.MessageBoxes()[0].closedByQuit) << "the user closed the box";
    const std::string& text = machine.windows.MessageBoxes()[0].text;
    EXPECT_TRUE(text.starts_with("Exception ERegistryException in Modul Zolhook.dll bei ")) << text;
    EXPECT_TRUE(text.ends_with(".\nUng\xFCltiger Datentyp f\xFCr ''.")) << text;
    EXPECT_EQ(machine.hooks.InstalledCount(), 0u);
    EXPECT_TRUE(machine.sound.Played().empty());
}

// Every sound plays on a thread of its own, to its end and in the order
// requested, tone series too: the thread that installed the hook never
// waits, or Windows would hold back the keys of every program its hook
// calls go to.
TEST_F(TrayTest, SoundsPlayInOrderWhileTheWindowsThreadGoesOn) {
    const std::string scheme = "AppEvents\\Schemes\\Apps\\Zolvik32\\";
    machine.registry.PutString(scheme + "Gro\xDF" "schrift\\.current", "", "gross.wav");
    machine.registry.PutString(scheme + "Ein\\.current", "", "ein.wav");
    machine.registry.PutString(SpeakerKeyPath, "NUM Punkt", "440,3000,5,500");
    machine.sound.SetLength("gross.wav", 800);
    machine.sound.SetLength("ein.wav", 300);
    LResult hook = 0;
    int exitCode = Start("", {[&] {
                                  Post(UM_PLAYSOUND, seCapsLock, 0);
                                  Post(UM_PLAYSOUND, seOn, 0);
                                  hook = SendMessageToControl(UM_GETHOOK);
                              },
                              [&] {
                                  machine.registry.PutByte(SettingsKeyPath, "Speaker benutzen", 1);
                                  Post(UM_PLAYSOUND, seNumDot, 0);
                              }});
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(hook, 0);
    EXPECT_LE(machine.windows.LongestCall(program->ControlWindow), 50u) << "no handler holds the thread";
    const auto& played = machine.sound.Played();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].sound, "gross.wav");
    EXPECT_EQ(played[1].sound, "ein.wav");
    EXPECT_FALSE(played[0].cutShort || played[1].cutShort) << "each to its end";
    EXPECT_EQ(played[1].start, played[0].end);
    ASSERT_FALSE(machine.sound.Beeps().empty());
    EXPECT_EQ(machine.sound.Beeps()[0].frequency, 440u);
    EXPECT_EQ(machine.threads.Now(), played[1].end + 10000) << "the series is still cut to 10 seconds";
}

// The program ends as soon as it is asked to; the sound that plays then
// ends first, and those not yet started are dropped.
TEST_F(TrayTest, ClosingWhileASoundPlaysLetsItEnd) {
    machine.registry.PutString("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "", "ein.wav");
    std::uint64_t closed = 0;
    int exitCode = Start("", {[&] {
        for (int i = 0; i < 3; ++i) Post(UM_PLAYSOUND, seOn, 0);
        machine.threads.Start([&] {
            machine.system.Sleep(100);
            closed = machine.threads.Now();
            Post(WM_CLOSE, 0, 0);
        });
    }});
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(closed, 100u);
    ASSERT_EQ(machine.sound.Played().size(), 1u);
    EXPECT_FALSE(machine.sound.Played()[0].cutShort);
    EXPECT_LE(machine.windows.LongestCall(program->ControlWindow), 50u);
}

// A browser's sandbox or a Store app may ask for sounds and the hook, but
// not switch the system off or end the session.
TEST_F(TrayTest, LowIntegrityProcessesMayOnlyAskForSoundsAndTheHook) {
    machine.registry.PutString("AppEvents\\Schemes\\Apps\\Zolvik32\\Ein\\.current", "", "ein.wav");
    std::uint32_t sandbox = machine.system.AddProcess(false);
    machine.windows.SetIntegrity(sandbox, sim::Integrity::Low);
    LResult hook = 0;
    int exitCode = Start("", {[&] {
        machine.system.SetCurrentProcess(sandbox);
        Post(UM_PLAYSOUND, seOn, 0);
        hook = SendMessageToControl(UM_GETHOOK);
        Post(UM_SETENABLED, 0, 0);
        Post(UM_SHUTDOWN, 1, 0);
        Post(WM_CLOSE, 0, 0);
        machine.system.SetCurrentProcess(1);
    }});
    EXPECT_EQ(exitCode, 0) << "closed by the test, not by the sandbox";
    EXPECT_EQ(machine.sound.Played().size(), 1u);
    EXPECT_EQ(hook, static_cast<LResult>(program->TrayHookHandle));
    EXPECT_EQ(Setting("Zolvik eingeschaltet"), 0xEE);
    EXPECT_TRUE(machine.windows.ExitWindowsRequests().empty());
}

// The taskbar announces itself when it comes up after the program, whose
// first add then failed, and whenever Explorer starts anew.
TEST_F(TrayTest, IconComesBackWhenTheTaskbarIsMade) {
    auto announce = [&] { Post(machine.windows.RegisterWindowMessageA("TaskbarCreated"), 0, 0); };
    std::size_t callsWhileHidden = 0;
    machine.shell.SetNotifyIconFails(true);
    Start("", {[&] {
                   EXPECT_FALSE(program->TrayIcon->Shown) << "the first add failed";
                   machine.shell.SetNotifyIconFails(false);
                   announce();
               },
               [&] {
                   EXPECT_TRUE(machine.shell.IconInTray()) << "added once the taskbar is there";
                   machine.shell.LoseIcons();
                   announce();
               },
               [&] {
                   EXPECT_TRUE(machine.shell.IconInTray()) << "back after Explorer's restart";
                   machine.registry.PutByte(SettingsKeyPath, "Zolvik-Symbol verstecken", 1);
                   Post(UM_REFRESHICON, 0, 0);
               },
               [&] {
                   callsWhileHidden = machine.shell.NotifyIconCalls().size();
                   machine.shell.LoseIcons();
                   announce();
               }});
    EXPECT_EQ(machine.shell.NotifyIconCalls().size(), callsWhileHidden) << "a hidden icon stays hidden";
    EXPECT_EQ(machine.windows.Beeps(), (std::vector<std::uint32_t>{MB_SIMPLE_BEEP})) << "the failed add";
}

// The program's folder may have characters that the ANSI code page lacks.
TEST_F(TrayTest, SetupStartsFromAFolderOfAnyName) {
    const std::wstring folder = L"C:\\Users\\\u0141ukasz\\AppData\\Local\\Programs\\Zolvik32 \u0141ukasz\\";
    machine.system.SetModuleFileName(ProgramModule, folder + L"Zolvik32.exe");
    machine.shell.AddFile(folder + L"Zolsetup.exe");
    Start("", {[&] { Post(UM_TRAYICON, 0, WM_LBUTTONUP); }});
    ASSERT_EQ(machine.shell.Executed().size(), 1u);
    EXPECT_EQ(machine.shell.Executed()[0].wideFile, folder + L"Zolsetup.exe");
    EXPECT_TRUE(machine.windows.Beeps().empty()) << "started";
}

TEST(TrayIconTest, FailedShellCallsBeepAndKeepTheState) {
    sim::SimMachine machine;
    TTrayIcon icon(machine.platform, 0x20001, 0x10010, ControlWindowProc);
    icon.SetTip(std::string(70, 'x'));
    EXPECT_EQ(icon.Tip.size(), 63u) << "cut to fit szTip";
    EXPECT_TRUE(machine.shell.NotifyIconCalls().empty()) << "not shown: no call";
    machine.shell.SetNotifyIconFails(true);
    icon.Show();
    EXPECT_FALSE(icon.Shown);
    machine.shell.SetNotifyIconFails(false);
    icon.Show();
    EXPECT_TRUE(icon.Shown);
    EXPECT_EQ(std::string(icon.IconData.szTip), std::string(63, 'x'));
    machine.shell.SetNotifyIconFails(true);
    icon.SetTip("Zolvik32");
    icon.Hide();
    EXPECT_TRUE(icon.Shown);
    EXPECT_EQ(machine.windows.Beeps(), (std::vector<std::uint32_t>(3, MB_SIMPLE_BEEP)));
}

}  // namespace

#include "tray/tray_program.h"

#include <cstring>
#include <utility>

#include "common/control_messages.h"
#include "common/module_path.h"
#include "common/number_text.h"
#include "platform/win_constants.h"
#include "settings/registry.h"
#include "tray/control_window.h"
#include "tray/prev_inst.h"

using namespace win;

namespace {

constexpr const char* AlreadyRunning = "Zolvik32 wurde bereits gestartet!";
constexpr const char* ErrorCaption = "Anwendungsfehler";

TTrayProgram* Running = nullptr;

void AskRunningCopyToRefresh(TTrayProgram& program) {
    Window running = FindControlWindow(program.Api.windows);
    if (running != 0) program.Api.windows.PostMessageA(running, UM_REFRESHICON, 0, 0);
    program.Api.windows.MessageBoxA(0, AlreadyRunning, ControlWindowName, MB_OK);
}

bool RegisterControlClass(TTrayProgram& program) {
    WindowApi& windows = program.Api.windows;
    WindowClass& record = program.WindowClass;
    record.style = 0;
    record.windowProc = ControlWindowProc;
    record.instance = program.Module;
    record.icon = windows.LoadIconA(program.Module, "MAINICON");
    record.cursor = windows.LoadCursorA(0, IDC_ARROW);
    record.background = windows.GetStockObject(WHITE_BRUSH);
    // The program has no menu resource of this name, so the window has none.
    record.menuName = ControlWindowName;
    record.className = ControlWindowName;
    return windows.RegisterClassA(&record) != 0;
}

Window CreateControlWindow(TTrayProgram& program) {
    return program.Api.windows.CreateWindowExA(0, ControlWindowName, ControlWindowName,
                                               WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                               CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, program.Module,
                                               nullptr);
}

// Programs of a lower integrity level (a browser's sandbox, a Store app)
// reach the window only with the messages it lets through: the library's
// sound requests and its question for the hook, never the master switch or
// the shutdown. Explorer, which announces its taskbar, runs at the medium
// level, above which a tray program started elevated would not hear it.
void AllowMessagesFromBelow(TTrayProgram& program) {
    for (std::uint32_t message : {UM_PLAYSOUND, UM_GETHOOK, program.TaskbarCreated}) {
        program.Api.windows.ChangeWindowMessageFilterEx(program.ControlWindow, message, MSGFLT_ALLOW);
    }
}

void RaisePendingError(TTrayProgram& program) {
    if (program.PendingError) std::rethrow_exception(std::exchange(program.PendingError, nullptr));
}

// A sent message is handled inside GetMessageA, not by DispatchMessageA, so
// an error kept from it is looked for after both; the window procedure also
// ends the loop, which may otherwise wait for a message that never comes.
int RunMessageLoop(TTrayProgram& program) {
    WindowApi& windows = program.Api.windows;
    Message message{};
    while (windows.GetMessageA(&message, 0, 0, 0) != 0) {
        RaisePendingError(program);
        windows.TranslateMessage(&message);
        windows.DispatchMessageA(&message);
        RaisePendingError(program);
    }
    RaisePendingError(program);
    return static_cast<int>(message.wParam);
}

// However the message loop ends, the icon leaves the tray and both hooks
// are removed; only then does the sound thread end, once the sound it plays
// has ended.
int RunWithIconAndHook(TTrayProgram& program) {
    struct Shutdown {
        TTrayProgram& program;
        ~Shutdown() {
            program.TrayIcon.reset();
            program.Library.Install(0);
            program.LowLevel.reset();
            program.Sounds.reset();
        }
    } shutdown{program};
    program.LowLevel = std::make_unique<TLowLevelThread>(program.Api, program.Library);
    program.Sounds = std::make_unique<TSoundPlayer>(program.Api, program.Library, program.ControlWindow);
    program.TrayIcon = std::make_unique<TTrayIcon>(program.Api, program.WindowClass.icon,
                                                   program.ControlWindow, ControlWindowProc);
    RefreshTrayIcon(program, program.ControlWindow);
    program.Api.windows.UpdateWindow(program.ControlWindow);
    return RunMessageLoop(program);
}

int RunMainSteps(TTrayProgram& program, const std::string& commandLine) {
    if (program.PrevInstance) {
        AskRunningCopyToRefresh(program);
        return ExitAlreadyRunning;
    }
    if (!RegisterControlClass(program)) return ExitNoWindowClass;
    program.ControlWindow = CreateControlWindow(program);
    // Without the window nothing could reach the program: not the hook
    // library, not the shell, not the request to end.
    if (program.ControlWindow == 0) return ExitNoControlWindow;
    program.TaskbarCreated = program.Api.windows.RegisterWindowMessageA("TaskbarCreated");
    AllowMessagesFromBelow(program);
    if (FirstArgument(commandLine) == "/h") program.OptionsRegistry.WriteOption(opHideIcon, 1);
    program.TrayHookHandle = program.Library.Install(1);
    if (program.TrayHookHandle == 0) return ExitNoHook;
    return RunWithIconAndHook(program);
}

// What the error box says of an error: raised in the library and carried
// over as data, or raised here.
TLibraryError Describe(TTrayProgram& program, std::exception_ptr raised) {
    std::string className = "Exception";
    std::string message;
    try {
        std::rethrow_exception(raised);
    } catch (const ELibraryError& library) {
        return library.Error;
    } catch (const ERegistryException& registry) {
        className = ERegistryException::ClassName;
        message = registry.what();
    } catch (const std::exception& other) {
        message = other.what();
    } catch (...) {
    }
    std::string module = FileNamePart(ModulePath(program.Api.system, program.Module));
    return MakeLibraryError(className.c_str(), module.c_str(), message.c_str(),
                            reinterpret_cast<const void*>(&RunTrayProgram));
}

// Windows' modal loops end at once at a WM_QUIT in the queue, such as the
// one that ended the message loop after an error in a posted message: the
// box would close before anyone could read it.
void DiscardQuitMessages(WindowApi& windows) {
    Message quit{};
    while (windows.PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Put together by hand: a formatting function of the C runtime would link
// its floating-point formatting into the program.
void ReportUncaughtError(TTrayProgram& program, std::exception_ptr raised) {
    TLibraryError error = Describe(program, raised);
    std::size_t length = std::strlen(error.Message);
    const char* stop = (length == 0 || error.Message[length - 1] == '.') ? "" : ".";
    std::string text = std::string("Exception ") + error.ClassName + " in Modul " + error.ModuleName + " bei " +
                       HexDigits(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(error.Address)), 8) +
                       ".\n" + error.Message + stop;
    DiscardQuitMessages(program.Api.windows);
    program.Api.windows.MessageBoxA(0, text.c_str(), ErrorCaption, MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

TTrayProgram::TTrayProgram(Platform& platform, Instance module, HookLibrary& library)
    : Api(platform),
      Module(module),
      Library(library),
      PrevInstance(CheckPrevInstance(platform, module)),
      OptionsRegistry(platform.registry, HKEY_CURRENT_USER) {
    OpenSettingsKey(OptionsRegistry);
}

TTrayProgram& ThisTray() { return *Running; }

int RunTrayProgram(TTrayProgram& program, const std::string& commandLine) {
    Running = &program;
    int exitCode = ExitUncaughtError;
    try {
        exitCode = RunMainSteps(program, commandLine);
    } catch (...) {
        ReportUncaughtError(program, std::current_exception());
    }
    Running = nullptr;
    return exitCode;
}

std::string FirstArgument(const std::string& commandLine) {
    std::size_t i = 0;
    auto separator = [&](std::size_t at) { return static_cast<unsigned char>(commandLine[at]) <= ' '; };
    while (i < commandLine.size() && separator(i)) ++i;
    std::string argument;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !separator(i)); ++i) {
        if (commandLine[i] == '"') {
            quoted = !quoted;
        } else {
            argument += commandLine[i];
        }
    }
    return argument;
}

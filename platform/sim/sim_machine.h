#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_keyboard.h"
#include "platform/sim/sim_layouts.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_sound.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_windows.h"

namespace sim {

struct AppKeyMessage {
    std::uint32_t message;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP
    std::uint8_t virtualKey;
    std::uint32_t keyData;
};

// A simulated Windows with one application in front: the user's key events
// and every keybd_event and SendInput pass the low-level keyboard hooks,
// enter the system, go to the thread in the foreground as Windows queues
// them, run through the installed keyboard hooks in that thread's process
// (or out of context), and what the hooks let pass reaches that
// thread's focused window, which records the key messages and the
// characters they make. Further applications, 32-bit or 64-bit, can be added
// and focused; the first one lives in process 1, a 32-bit process.
class SimMachine {
public:
    SimMachine();

    SimRegistry registry;
    SimKeyboard keyboard;
    SimWindows windows;
    SimShell shell;
    SimSystem system;
    SimSound sound;
    SimPorts ports;
    SimHooks hooks;
    win::Platform platform{registry, keyboard, windows, shell, system, sound, ports, hooks};
    // Last, so that its threads are ended before the rest goes.
    SimThreads threads;

    void SetLayout(KeyboardLayout layout);
    // Key data of events in a dialog box carry the dialog-mode bit.
    void SetDialogMode(bool on) { dialogMode_ = on; }

    // The user at the keyboard. Every call delivers all queued events, those
    // the hooks synthesise on the way included, before it returns.
    void Press(std::uint8_t virtualKey, bool extended = false);
    void Release(std::uint8_t virtualKey, bool extended = false);
    void Tap(std::uint8_t virtualKey, bool extended = false);
    // AltGr as Windows reports it: the left Ctrl key, then the right Alt key.
    void PressAltGr();
    void ReleaseAltGr();
    void DeliverInput();

    // An application in a process of its own; returns its edit window.
    win::Window AddApplication(bool is64Bit);
    // A Store app: a 64-bit process into which no hook library is loaded.
    win::Window AddStoreApplication();
    // A person's click into a window: it takes a moment, in which the
    // machine's threads go on.
    void Focus(win::Window window);
    // The focus moves while the system types, after the next `injected`
    // keybd_event calls: the events made after that go to the window's
    // thread.
    void FocusAmidInjected(std::size_t injected, win::Window window);

    win::Window AppWindow() const { return appWindow_; }
    const std::vector<AppKeyMessage>& AppMessages() const { return AppMessages(appWindow_); }
    const std::vector<AppKeyMessage>& AppMessages(win::Window window) const;
    const std::string& AppText() const { return AppText(appWindow_); }
    const std::string& AppText(win::Window window) const;
    // What a Unicode window receives (UTF-16 units), where AppText is what
    // an ANSI one does: "?" for each unit its code page lacks.
    const std::wstring& AppWideText() const { return AppWideText(appWindow_); }
    const std::wstring& AppWideText(win::Window window) const;
    void ClearApp();

private:
    struct Received {
        std::vector<AppKeyMessage> messages;
        std::string text;
        std::wstring wideText;
    };
    void DeliverToApp(const KeyInput& input, std::uint8_t virtualKey, std::uint32_t keyData);
    win::Window AddAppWindows();
    win::Window AddApplicationProcess(std::uint32_t process);
    const Received& ReceivedBy(win::Window window) const;

    win::Window appWindow_;
    CharacterTranslator translator_{KeyboardLayout::German};
    bool dialogMode_ = false;
    std::map<win::Window, Received> received_;
};

}  // namespace sim

#pragma once
// The whole system on a simulated machine, as "zolvik-sim run" replays it:
// the registry imported from .reg files, the hook installed by a stand-in
// for the tray program whose control window answers UM_GETHOOK and collects
// what the library posts, and one application with the keyboard focus, in
// whose process the hook library runs. A second application, in a process
// and with a library state of its own, waits for the focus to come to it.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hook/hook_process.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_machine.h"
#include "regfile/reg_file.h"
#include "tools/zolvik_sim/key_names.h"
#include "tools/zolvik_sim/moment.h"
#include "tools/zolvik_sim/recorders.h"
#include "tools/zolvik_sim/script.h"

struct TSessionOptions {
    sim::KeyboardLayout Layout = sim::KeyboardLayout::German;
    bool WindowsNT = true;
    win::SystemTime Moment = DefaultMoment;
    std::uint32_t Locale = sim::LocaleGerman;
    bool DialogMode = false;
    // The file name of the application's program; empty leaves the
    // simulation's own.
    std::string Program;
    // The application's window is an edit control that holds a password.
    bool PasswordField = false;
    std::set<std::wstring> MissingFiles;
    std::vector<sim::HotKey> HotKeys;
};

// One key event as the hook chain saw it.
struct TKeyEventRecord {
    std::uint8_t VirtualKey;
    std::uint32_t KeyData;
    bool User;       // pressed by the user, not synthesised
    bool Swallowed;  // the hook library kept it from the application
    bool InOther;    // it went to the other application
};

class TSession {
public:
    // Throws RegFileError when a file cannot be imported.
    TSession(const TSessionOptions& options, const std::vector<TRegFile>& files);
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // Taps a lock key before the recording starts, so that the thread's
    // toggle and the library's flags both show it on.
    void SwitchLockOn(std::uint8_t virtualKey);
    void StartRecording();
    // Throws ToolError for a text with a character no key types.
    void Run(const std::vector<TStep>& steps);

    // As a Unicode window receives it.
    const std::wstring& ReceivedText() const { return machine_.AppWideText(); }
    const std::wstring& ReceivedInOther() const { return machine_.AppWideText(otherWindow_); }
    const std::vector<TKeyEventRecord>& KeyEvents() const { return events_; }
    std::vector<sim::PostedMessage> Posted() const { return machine_.windows.Posted(); }
    win::Window ControlWindow() const { return control_; }
    const std::vector<TOpenedDocument>& Opened() const { return shell_.Opened(); }
    std::vector<std::uint32_t> Beeps() const;
    std::vector<TValueChange> RegistryChanges() const { return registry_.Changes(); }
    // A lock key as its light shows it.
    bool LockOn(std::uint8_t virtualKey) const { return machine_.keyboard.IsLockOn(virtualKey); }
    // What GetAsyncKeyState reports.
    bool KeyDown(std::uint8_t virtualKey) const { return machine_.keyboard.IsAsyncKeyDown(virtualKey); }

private:
    static win::LResult ZV_STDCALL LogKeyEvent(int code, win::WParam wParam, win::LParam lParam);
    void UserEvent(std::uint8_t virtualKey, bool extended, bool release);
    void Press(const TKeyRef& key);
    void Release(const TKeyRef& key);
    void Tap(const TStep& step);
    void Hold(const TStep& step);
    void Type(const std::string& text);
    void MoveFocus(const TStep& step);
    void TypeCharacter(char character);
    std::uint16_t KeyFor(char character);

    sim::SimMachine machine_;
    TRecordingRegistry registry_{machine_.registry};
    TRecordingShell shell_;
    win::Platform platform_;
    std::unique_ptr<THookProcess> tray_;
    win::HookHandle hookHandle_ = 0;
    win::Window control_ = 0;
    std::unique_ptr<THookProcess> app_;
    win::Window otherWindow_ = 0;
    std::uint32_t otherProcess_ = 0;
    std::unique_ptr<THookProcess> other_;
    win::HookHandle loggerHandle_ = 0;
    int afterTyped_ = 0;
    std::vector<TKeyEventRecord> events_;
    std::size_t beepsBefore_ = 0;
};

#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

class SimHooks;
class SimKeyboard;
class SimSystem;
class SimThreads;

// A process's integrity level, which User Interface Privilege Isolation
// compares.
enum class Integrity { Low, Medium, High };

struct PostedMessage {
    win::Window window;
    std::uint32_t message;
    win::WParam wParam;
    win::LParam lParam;
    bool operator==(const PostedMessage&) const = default;
};

struct ThreadPost {
    std::uint32_t threadId;
    std::uint32_t message;
    win::WParam wParam;
    win::LParam lParam;
};

struct MessageBoxCall {
    win::Window owner;
    std::string text;
    std::string caption;
    std::uint32_t type;
    // A WM_QUIT waiting in the queue ended the box's loop, before the user
    // could read it.
    bool closedByQuit = false;
};

// Windows, classes, messages, beeps and boxes. A test window answers sent
// messages through a handler; a window of a registered class through its
// class's window procedure, with posted messages queued for GetMessageA.
// Each thread has a message queue of its own, which the windows it made
// and PostThreadMessageA fill. A thread that takes its messages also
// answers the low-level keyboard hook calls waiting for it (SimHooks).
class SimWindows final : public win::WindowApi {
public:
    using Handler = std::function<win::LResult(std::uint32_t, win::WParam, win::LParam)>;

    win::Window FindWindowA(const char* className, const char* windowName) override;
    bool PostMessageA(win::Window window, std::uint32_t message, win::WParam wParam,
                      win::LParam lParam) override;
    win::LResult SendMessageA(win::Window window, std::uint32_t message, win::WParam wParam,
                              win::LParam lParam) override;
    win::Window GetFocus() override;
    win::Window GetParent(win::Window window) override;
    bool IsChild(win::Window parent, win::Window window) override;
    std::uint16_t RegisterClassA(const win::WindowClass* windowClass) override;
    win::Window CreateWindowExA(std::uint32_t exStyle, const char* className,
                                const char* windowName, std::uint32_t style, std::int32_t x,
                                std::int32_t y, std::int32_t width, std::int32_t height,
                                win::Window parent, win::Handle menu, win::Instance instance,
                                void* param) override;
    int GetMessageA(win::Message* message, win::Window window, std::uint32_t filterMin,
                    std::uint32_t filterMax) override;
    bool TranslateMessage(const win::Message* message) override;
    win::LResult DispatchMessageA(const win::Message* message) override;
    win::LResult DefWindowProcA(win::Window window, std::uint32_t message, win::WParam wParam,
                                win::LParam lParam) override;
    bool ShowWindow(win::Window window, int command) override;
    bool UpdateWindow(win::Window window) override;
    void PostQuitMessage(int exitCode) override;
    win::IconHandle LoadIconA(win::Instance instance, const char* name) override;
    win::CursorHandle LoadCursorA(win::Instance instance, std::uintptr_t resourceId) override;
    win::BrushHandle GetStockObject(int object) override;
    bool MessageBeep(std::uint32_t type) override;
    int MessageBoxA(win::Window owner, const char* text, const char* caption,
                    std::uint32_t type) override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    win::Window GetForegroundWindow() override;
    std::uint32_t GetWindowThreadProcessId(win::Window window, std::uint32_t* processId) override;
    bool PostThreadMessageA(std::uint32_t threadId, std::uint32_t message, win::WParam wParam,
                            win::LParam lParam) override;
    bool PeekMessageA(win::Message* message, win::Window window, std::uint32_t filterMin,
                      std::uint32_t filterMax, std::uint32_t remove) override;
    std::uint32_t MsgWaitForMultipleObjects(std::uint32_t count, const win::Handle* handles,
                                            bool waitAll, std::uint32_t milliseconds,
                                            std::uint32_t wakeMask) override;
    std::uint32_t RegisterWindowMessageA(const char* name) override;
    // The letters of code page 1252.
    std::uint32_t CharUpperBuffA(char* text, std::uint32_t length) override;
    bool ChangeWindowMessageFilterEx(win::Window window, std::uint32_t message,
                                     std::uint32_t action) override;
    std::uint32_t RealGetWindowClassA(win::Window window, char* className, std::uint32_t size) override;
    // GWL_STYLE only.
    std::int32_t GetWindowLongA(win::Window window, int index) override;
    // No caret, capture or menu is kept: those stay empty.
    bool GetGUIThreadInfo(std::uint32_t threadId, win::GuiThreadInfo* info) override;

    // Test setup and observation. Windows belong to the process that is
    // current when they are made, and to the thread that makes them.
    void AttachSystem(SimSystem& system) { system_ = &system; }
    void AttachThreads(SimThreads& threads) { threads_ = &threads; }
    void AttachInput(SimKeyboard& keyboard, SimHooks& hooks) {
        keyboard_ = &keyboard;
        hooks_ = &hooks;
    }
    // The id Windows gives the calling thread (SimThreads::WindowsThreadId).
    std::uint32_t CurrentThread() const;
    // Messages from a process of a lower level to a window of a higher one
    // are dropped unless the window's message filter allows them. Processes
    // run at the medium level unless set otherwise.
    void SetIntegrity(std::uint32_t processId, Integrity level) { integrity_[processId] = level; }
    // The longest time, on the machine's clock, that the window's procedure
    // took to handle one message.
    std::uint64_t LongestCall(win::Window window) const;
    win::Window AddWindow(const std::string& className, const std::string& title,
                          win::Window parent = 0, Handler handler = nullptr);
    // The messages posted to threads, whatever became of them.
    const std::vector<ThreadPost>& ThreadPosts() const { return threadPosts_; }
    // The keyboard focus moves to the window, and its top-level window comes
    // to the foreground. Each thread remembers its own focus window, which
    // GetFocus returns only while the focus is in that thread.
    void SetFocus(win::Window window);
    win::Window FocusOf(std::uint32_t thread) const;
    void SetStyle(win::Window window, std::uint32_t style) { windows_.at(window).style = style; }
    // A class a program made from a standard class (an "Edit" superclassed as
    // "TEdit", say), which RealGetWindowClassA names.
    void SetBaseClass(win::Window window, const std::string& base) { windows_.at(window).baseClass = base; }
    bool IsVisible(win::Window window) const;
    bool Exists(win::Window window) const;
    const std::vector<PostedMessage>& Posted() const { return posted_; }
    std::vector<PostedMessage> PostedTo(win::Window window) const;
    void ClearPosted() { posted_.clear(); }
    const std::vector<std::uint32_t>& Beeps() const { return beeps_; }
    const std::vector<MessageBoxCall>& MessageBoxes() const { return boxes_; }
    const std::vector<std::uint32_t>& ExitWindowsRequests() const { return exitRequests_; }
    void SetExitWindowsResult(bool result) { exitWindowsResult_ = result; }
    void SetRegisterClassFails(bool fail) { registerClassFails_ = fail; }
    void SetCreateWindowFails(bool fail) { createWindowFails_ = fail; }
    // What other programs do while the message loop waits: each step runs
    // when the queue is empty, in order.
    void WhenIdle(std::function<void()> step) { idleSteps_.push_back(std::move(step)); }

private:
    struct SimWindow {
        std::string className;
        std::string title;
        win::Window parent = 0;
        Handler handler;
        win::WindowProc proc = nullptr;
        bool visible = false;
        std::uint32_t style = 0;
        std::string baseClass;
        std::uint32_t process = 1;
        std::uint32_t thread = 1;
        std::set<std::uint32_t> allowedFromBelow;
    };
    struct SimClass {
        win::WindowClass record;
        std::string className;
        std::string menuName;
    };
    static bool SameName(const std::string& a, const std::string& b);
    bool RunBoxLoop();
    void WaitForMessage();
    std::deque<win::Message>& OwnQueue() { return queues_[CurrentThread()]; }
    void ServeInput();
    bool HasCallFor(std::uint32_t thread) const;
    bool PassesIsolation(win::Window window, std::uint32_t message) const;
    win::LResult Deliver(win::Window window, std::uint32_t message, win::WParam wParam,
                         win::LParam lParam);
    void Destroy(win::Window window);
    std::uint32_t CurrentProcess() const;
    bool RunIdleStep();

    std::map<win::Window, SimWindow> windows_;
    std::map<std::string, SimClass> classes_;
    win::Window nextWindow_ = 0x10010;
    win::Window focus_ = 0;
    std::map<std::uint32_t, win::Window> threadFocus_;
    std::vector<PostedMessage> posted_;
    std::vector<ThreadPost> threadPosts_;
    SimSystem* system_ = nullptr;
    SimThreads* threads_ = nullptr;
    SimKeyboard* keyboard_ = nullptr;
    SimHooks* hooks_ = nullptr;
    std::map<std::uint32_t, Integrity> integrity_;
    std::map<win::Window, std::uint64_t> longestCall_;
    std::map<std::string, std::uint32_t> registeredMessages_;
    std::map<std::uint32_t, std::deque<win::Message>> queues_;
    std::deque<std::function<void()>> idleSteps_;
    std::vector<std::uint32_t> beeps_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<std::uint32_t> exitRequests_;
    bool exitWindowsResult_ = true;
    bool registerClassFails_ = false;
    bool createWindowFails_ = false;
    std::uint16_t nextAtom_ = 0xC000;
};

}  // namespace sim

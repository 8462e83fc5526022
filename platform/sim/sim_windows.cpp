#include "platform/sim/sim_windows.h"

#include <algorithm>
#include <stdexcept>

#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

namespace {

constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_NCCREATE = 0x0081;
constexpr int IDOK = 1;

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

// Class names and window titles compare without regard to case.
bool SimWindows::SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

Window SimWindows::AddWindow(const std::string& className, const std::string& title,
                             Window parent, Handler handler) {
    Window window = nextWindow_;
    nextWindow_ += 0x10;
    windows_[window] =
        SimWindow{className, title, parent, std::move(handler), nullptr, true, CurrentProcess()};
    return window;
}

std::uint32_t SimWindows::CurrentProcess() const {
    return system_ ? system_->GetCurrentProcessId() : 1;
}

// Only top-level windows are found, as FindWindowA does.
Window SimWindows::FindWindowA(const char* className, const char* windowName) {
    for (const auto& [window, record] : windows_) {
        if (record.parent != 0) continue;
        if (className && !SameName(record.className, className)) continue;
        if (windowName && !SameName(record.title, windowName)) continue;
        return window;
    }
    return 0;
}

bool SimWindows::PostMessageA(Window window, std::uint32_t message, WParam wParam,
                              LParam lParam) {
    if (!windows_.count(window)) return false;
    posted_.push_back({window, message, wParam, lParam});
    if (windows_[window].proc) queue_.push_back(Message{window, message, wParam, lParam, 0, 0, 0});
    return true;
}

LResult SimWindows::SendMessageA(Window window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
    if (!windows_.count(window)) return 0;
    return Deliver(window, message, wParam, lParam);
}

LResult SimWindows::Deliver(Window window, std::uint32_t message, WParam wParam, LParam lParam) {
    SimWindow& record = windows_.at(window);
    if (record.proc) return record.proc(window, message, wParam, lParam);
    if (record.handler) return record.handler(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

Window SimWindows::GetParent(Window window) {
    auto found = windows_.find(window);
    return found == windows_.end() ? 0 : found->second.parent;
}

bool SimWindows::IsChild(Window parent, Window window) {
    for (Window up = GetParent(window); up != 0; up = GetParent(up)) {
        if (up == parent) return true;
    }
    return false;
}

std::uint16_t SimWindows::RegisterClassA(const WindowClass* windowClass) {
    std::string name = Text(windowClass->className);
    if (registerClassFails_) return 0;
    for (const auto& [existing, record] : classes_) {
        if (SameName(existing, name)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
    }
    SimClass record{*windowClass, name, Text(windowClass->menuName)};
    classes_[name] = record;
    return nextAtom_++;
}

Window SimWindows::CreateWindowExA(std::uint32_t, const char* className, const char* windowName,
                                   std::uint32_t style, std::int32_t, std::int32_t, std::int32_t,
                                   std::int32_t, Window parent, Handle, Instance, void*) {
    if (createWindowFails_) return 0;
    auto found = std::find_if(classes_.begin(), classes_.end(),
                              [&](const auto& entry) { return SameName(entry.first, Text(className)); });
    if (found == classes_.end()) return 0;
    constexpr std::uint32_t WS_VISIBLE = 0x10000000;
    Window window = AddWindow(found->first, Text(windowName), parent);
    windows_[window].proc = found->second.record.windowProc;
    windows_[window].visible = style & WS_VISIBLE;
    if (Deliver(window, WM_NCCREATE, 0, 0) == 0) {
        windows_.erase(window);
        return 0;
    }
    Deliver(window, WM_CREATE, 0, 0);
    return window;
}

void SimWindows::SetFocus(Window window) {
    focus_ = window;
    auto found = windows_.find(window);
    if (found != windows_.end()) threadFocus_[found->second.process] = window;
}

Window SimWindows::GetFocus() {
    std::uint32_t process = 0;
    GetWindowThreadProcessId(focus_, &process);
    return process == CurrentProcess() ? focus_ : 0;
}

Window SimWindows::FocusOf(std::uint32_t thread) const {
    auto found = threadFocus_.find(thread);
    return found == threadFocus_.end() ? 0 : found->second;
}

bool SimWindows::RunIdleStep() {
    if (idleSteps_.empty()) return false;
    std::function<void()> step = std::move(idleSteps_.front());
    idleSteps_.pop_front();
    step();
    return true;
}

// The simulation has no other thread to wait for: a loop that would block
// on an empty queue is a fault of the test, not a message.
int SimWindows::GetMessageA(Message* message, Window, std::uint32_t, std::uint32_t) {
    while (queue_.empty() && RunIdleStep()) {
    }
    if (queue_.empty()) throw std::logic_error("GetMessageA would wait forever");
    *message = queue_.front();
    queue_.pop_front();
    return message->message == WM_QUIT ? 0 : 1;
}

bool SimWindows::TranslateMessage(const Message* message) {
    return message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN;
}

LResult SimWindows::DispatchMessageA(const Message* message) {
    if (!windows_.count(message->window)) return 0;
    return Deliver(message->window, message->message, message->wParam, message->lParam);
}

LResult SimWindows::DefWindowProcA(Window window, std::uint32_t message, WParam, LParam) {
    if (message == WM_NCCREATE) return 1;
    if (message == WM_CLOSE) Destroy(window);
    return 0;
}

void SimWindows::Destroy(Window window) {
    if (!windows_.count(window)) return;
    Deliver(window, WM_DESTROY, 0, 0);
    windows_.erase(window);
    if (focus_ == window) focus_ = 0;
    std::erase_if(threadFocus_, [&](const auto& entry) { return entry.second == window; });
}

bool SimWindows::ShowWindow(Window window, int command) {
    auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    bool wasVisible = found->second.visible;
    found->second.visible = command != SW_HIDE;
    return wasVisible;
}

bool SimWindows::UpdateWindow(Window window) { return windows_.count(window) > 0; }

void SimWindows::PostQuitMessage(int exitCode) {
    queue_.push_back(Message{0, WM_QUIT, static_cast<WParam>(exitCode), 0, 0, 0, 0});
}

IconHandle SimWindows::LoadIconA(Instance, const char* name) {
    return Text(name) == "MAINICON" ? IconHandle(0x20001) : 0;
}

CursorHandle SimWindows::LoadCursorA(Instance instance, std::uintptr_t resourceId) {
    return instance == 0 && resourceId == IDC_ARROW ? CursorHandle(0x30001) : 0;
}

BrushHandle SimWindows::GetStockObject(int object) { return BrushHandle(0x40000 + object); }

bool SimWindows::MessageBeep(std::uint32_t type) {
    beeps_.push_back(type);
    return true;
}

// While the box is up its own message loop serves the thread's windows:
// what other programs send or post meanwhile arrives. The user closes it
// once nothing more comes; WM_QUIT closes it too and stays queued for the
// caller's loop.
int SimWindows::MessageBoxA(Window owner, const char* text, const char* caption,
                            std::uint32_t type) {
    boxes_.push_back({owner, Text(text), Text(caption), type});
    RunBoxLoop();
    return IDOK;
}

void SimWindows::RunBoxLoop() {
    for (;;) {
        while (queue_.empty() && RunIdleStep()) {
        }
        if (queue_.empty() || queue_.front().message == WM_QUIT) return;
        Message message = queue_.front();
        queue_.pop_front();
        DispatchMessageA(&message);
    }
}

bool SimWindows::ExitWindowsEx(std::uint32_t flags, std::uint32_t) {
    exitRequests_.push_back(flags);
    return exitWindowsResult_;
}

// The top-level window that holds the focus.
Window SimWindows::GetForegroundWindow() {
    Window window = focus_;
    while (GetParent(window) != 0) window = GetParent(window);
    return window;
}

std::uint32_t SimWindows::GetWindowThreadProcessId(Window window, std::uint32_t* processId) {
    auto found = windows_.find(window);
    std::uint32_t process = found == windows_.end() ? 0 : found->second.process;
    if (processId) *processId = process;
    return process;
}

// Only the current process's thread has a queue here; posts to other
// threads are recorded.
bool SimWindows::PostThreadMessageA(std::uint32_t threadId, std::uint32_t message, WParam wParam,
                                    LParam lParam) {
    threadPosts_.push_back({threadId, message, wParam, lParam});
    if (system_ && system_->HasEnded(threadId)) return false;
    if (threadId == CurrentProcess()) queue_.push_back(Message{0, message, wParam, lParam, 0, 0, 0});
    return true;
}

bool SimWindows::PeekMessageA(Message* message, Window, std::uint32_t, std::uint32_t,
                              std::uint32_t remove) {
    if (queue_.empty()) return false;
    *message = queue_.front();
    if (remove & PM_REMOVE) queue_.pop_front();
    return true;
}

// Objects first, then the queue; while neither is ready, what other programs
// do runs, as in GetMessageA.
std::uint32_t SimWindows::MsgWaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                                    bool waitAll, std::uint32_t milliseconds,
                                                    std::uint32_t) {
    for (;;) {
        if (count > 0) {
            std::uint32_t result = system_->WaitForMultipleObjects(count, handles, waitAll, 0);
            if (result != WAIT_TIMEOUT) return result;
        }
        if (!queue_.empty()) return WAIT_OBJECT_0 + count;
        if (RunIdleStep()) continue;
        if (milliseconds == INFINITE) throw std::logic_error("the wait would never end");
        return WAIT_TIMEOUT;
    }
}

bool SimWindows::IsVisible(Window window) const {
    auto found = windows_.find(window);
    return found != windows_.end() && found->second.visible;
}

bool SimWindows::Exists(Window window) const { return windows_.count(window) > 0; }

std::vector<PostedMessage> SimWindows::PostedTo(Window window) const {
    std::vector<PostedMessage> result;
    std::copy_if(posted_.begin(), posted_.end(), std::back_inserter(result),
                 [&](const PostedMessage& posted) { return posted.window == window; });
    return result;
}

}  // namespace sim

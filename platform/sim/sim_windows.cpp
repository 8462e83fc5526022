#include "platform/sim/sim_windows.h"

#include <algorithm>
#include <stdexcept>

#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_keyboard.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_threads.h"
#include "platform/win_constants.h"
#include "common/cp1252.h"

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
    windows_[window] = SimWindow{className, title, parent, std::move(handler), nullptr, true, 0, "",
                                 CurrentProcess(), CurrentThread(), {}};
    return window;
}

std::uint32_t SimWindows::CurrentProcess() const {
    return system_ ? system_->GetCurrentProcessId() : 1;
}

std::uint32_t SimWindows::CurrentThread() const {
    return threads_ ? SimThreads::WindowsThreadId(threads_->Running(), CurrentProcess()) : CurrentProcess();
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
    if (!windows_.count(window) || !PassesIsolation(window, message)) return false;
    posted_.push_back({window, message, wParam, lParam});
    if (windows_[window].proc) queues_[windows_[window].thread].push_back(Message{window, message, wParam, lParam, 0, 0, 0});
    return true;
}

LResult SimWindows::SendMessageA(Window window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
    if (!windows_.count(window) || !PassesIsolation(window, message)) return 0;
    return Deliver(window, message, wParam, lParam);
}

// Windows lets a few system messages through as well; nothing here sends
// those across levels.
bool SimWindows::PassesIsolation(Window window, std::uint32_t message) const {
    auto level = [this](std::uint32_t process) {
        auto found = integrity_.find(process);
        return found == integrity_.end() ? Integrity::Medium : found->second;
    };
    const SimWindow& target = windows_.at(window);
    return level(CurrentProcess()) >= level(target.process) ||
           target.allowedFromBelow.count(message) > 0;
}

LResult SimWindows::Deliver(Window window, std::uint32_t message, WParam wParam, LParam lParam) {
    SimWindow& record = windows_.at(window);
    if (!record.proc) {
        if (record.handler) return record.handler(message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    std::uint64_t start = threads_ ? threads_->Now() : 0;
    LResult result = record.proc(window, message, wParam, lParam);
    if (threads_) {
        std::uint64_t& longest = longestCall_[window];
        longest = std::max(longest, threads_->Now() - start);
    }
    return result;
}

std::uint64_t SimWindows::LongestCall(Window window) const {
    auto found = longestCall_.find(window);
    return found == longestCall_.end() ? 0 : found->second;
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
    windows_[window].style = style;
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
    if (found != windows_.end()) threadFocus_[found->second.thread] = window;
}

Window SimWindows::GetFocus() {
    return GetWindowThreadProcessId(focus_, nullptr) == CurrentThread() ? focus_ : 0;
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

bool SimWindows::HasCallFor(std::uint32_t thread) const { return hooks_ && hooks_->HasCallFor(thread); }

// What a thread does whenever it takes its messages: it answers the hook
// calls waiting for it, and leads input that waits for the low-level hooks
// on, unless another thread does so already.
void SimWindows::ServeInput() {
    if (!threads_ || !hooks_) return;
    hooks_->AnswerCalls(threads_->Running());
    if (keyboard_->HasRawInput() && !keyboard_->IsPassingRawInput()) keyboard_->PassRawInput();
}

// While the queue is empty the machine's other threads run, and once none
// of them can go on, what other programs do comes next.
void SimWindows::WaitForMessage() {
    std::deque<Message>& queue = OwnQueue();
    std::uint32_t me = threads_ ? threads_->Running() : 0;
    for (;;) {
        ServeInput();
        if (!queue.empty()) return;
        auto arrived = [this, &queue, me] { return !queue.empty() || HasCallFor(me); };
        if (threads_ && threads_->Wait(arrived, INFINITE, true) == WaitEnd::Ready) continue;
        if (!RunIdleStep()) return;
    }
}

// A loop that would block on a queue that nothing fills any more is a fault
// of the test, not a message.
int SimWindows::GetMessageA(Message* message, Window, std::uint32_t, std::uint32_t) {
    WaitForMessage();
    std::deque<Message>& queue = OwnQueue();
    if (queue.empty()) throw std::logic_error("GetMessageA would wait forever");
    *message = queue.front();
    queue.pop_front();
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
    OwnQueue().push_back(Message{0, WM_QUIT, static_cast<WParam>(exitCode), 0, 0, 0, 0});
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
// once nothing more comes; a WM_QUIT closes it first and stays queued for
// the caller's loop.
int SimWindows::MessageBoxA(Window owner, const char* text, const char* caption,
                            std::uint32_t type) {
    std::size_t box = boxes_.size();
    boxes_.push_back({owner, Text(text), Text(caption), type});
    bool closedByQuit = RunBoxLoop();
    boxes_[box].closedByQuit = closedByQuit;
    return IDOK;
}

bool SimWindows::RunBoxLoop() {
    for (;;) {
        WaitForMessage();
        std::deque<Message>& queue = OwnQueue();
        if (queue.empty()) return false;
        if (queue.front().message == WM_QUIT) return true;
        Message message = queue.front();
        queue.pop_front();
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
    if (processId) *processId = found == windows_.end() ? 0 : found->second.process;
    return found == windows_.end() ? 0 : found->second.thread;
}

bool SimWindows::PostThreadMessageA(std::uint32_t threadId, std::uint32_t message, WParam wParam,
                                    LParam lParam) {
    threadPosts_.push_back({threadId, message, wParam, lParam});
    if (system_ && !system_->IsThreadRunning(threadId)) return false;
    queues_[threadId].push_back(Message{0, message, wParam, lParam, 0, 0, 0});
    return true;
}

// WM_QUIT passes every filter.
bool SimWindows::PeekMessageA(Message* message, Window, std::uint32_t filterMin,
                              std::uint32_t filterMax, std::uint32_t remove) {
    auto wanted = [&](const Message& queued) {
        return (filterMin == 0 && filterMax == 0) || queued.message == WM_QUIT ||
               (queued.message >= filterMin && queued.message <= filterMax);
    };
    ServeInput();
    std::deque<Message>& queue = OwnQueue();
    auto found = std::find_if(queue.begin(), queue.end(), wanted);
    if (found == queue.end()) return false;
    *message = *found;
    if (remove & PM_REMOVE) queue.erase(found);
    return true;
}

// Objects first, then the queue; while neither is ready, the machine's other
// threads and then what other programs do run, as in GetMessageA, and only
// then does the wait's own time pass.
std::uint32_t SimWindows::MsgWaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                                    bool waitAll, std::uint32_t milliseconds,
                                                    std::uint32_t) {
    std::deque<Message>& queue = OwnQueue();
    std::uint32_t me = threads_ ? threads_->Running() : 0;
    auto ready = [&] {
        return !queue.empty() || HasCallFor(me) || (count > 0 && system_->Satisfied(count, handles, waitAll));
    };
    for (;;) {
        ServeInput();
        if (count > 0) {
            std::uint32_t result = system_->WaitForMultipleObjects(count, handles, waitAll, 0);
            if (result != WAIT_TIMEOUT) return result;
        }
        if (!queue.empty()) return WAIT_OBJECT_0 + count;
        if (threads_ && threads_->Wait(ready, INFINITE, true) == WaitEnd::Ready) continue;
        if (RunIdleStep()) continue;
        if (!threads_ && milliseconds == INFINITE) throw std::logic_error("the wait would never end");
        if (threads_ && threads_->Wait(ready, milliseconds) == WaitEnd::Ready) continue;
        return WAIT_TIMEOUT;
    }
}

// Message names share the atom table with class names, so the numbers come
// from the same range; a name registered again gets its number again.
std::uint32_t SimWindows::RegisterWindowMessageA(const char* name) {
    std::string key = Text(name);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto [found, added] = registeredMessages_.try_emplace(key, nextAtom_);
    if (added) ++nextAtom_;
    return found->second;
}

std::uint32_t SimWindows::CharUpperBuffA(char* text, std::uint32_t length) {
    std::string upper = UpperCase(std::string_view(text, length));
    std::copy(upper.begin(), upper.end(), text);
    return length;
}

bool SimWindows::ChangeWindowMessageFilterEx(Window window, std::uint32_t message,
                                             std::uint32_t action) {
    auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    std::set<std::uint32_t>& allowed = found->second.allowedFromBelow;
    if (action == MSGFLT_ALLOW) allowed.insert(message);
    if (action == MSGFLT_DISALLOW) allowed.erase(message);
    if (action == MSGFLT_RESET) allowed.clear();
    return true;
}

// The name is cut to the buffer, with its NUL.
std::uint32_t SimWindows::RealGetWindowClassA(Window window, char* className, std::uint32_t size) {
    auto found = windows_.find(window);
    if (found == windows_.end() || size == 0) return 0;
    const SimWindow& record = found->second;
    const std::string& name = record.baseClass.empty() ? record.className : record.baseClass;
    std::size_t length = std::min<std::size_t>(name.size(), size - 1);
    std::copy_n(name.data(), length, className);
    className[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

std::int32_t SimWindows::GetWindowLongA(Window window, int index) {
    auto found = windows_.find(window);
    if (found == windows_.end() || index != GWL_STYLE) return 0;
    return static_cast<std::int32_t>(found->second.style);
}

bool SimWindows::GetGUIThreadInfo(std::uint32_t threadId, GuiThreadInfo* info) {
    if (info->cbSize != sizeof(GuiThreadInfo)) return false;
    std::uint32_t thread = threadId == 0 ? GetWindowThreadProcessId(GetForegroundWindow(), nullptr) : threadId;
    if (thread == 0 || (system_ && !system_->IsThreadRunning(thread))) return false;
    Window focus = FocusOf(thread);
    Window active = focus;
    while (GetParent(active) != 0) active = GetParent(active);
    *info = GuiThreadInfo{sizeof(GuiThreadInfo), 0, active, focus, 0, 0, 0, 0, {}};
    return true;
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

#include "platform/sim/sim_threads.h"

#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "platform/sim/sim_system.h"
#include "platform/win_constants.h"

namespace sim {

struct SimThreads::Thread {
    enum class State { New, Running, Waiting, Ended };
    Thread(std::uint32_t id_, std::uint32_t process_, std::function<void()> body_, State state_)
        : id(id_), process(process_), body(std::move(body_)), state(state_) {}
    std::uint32_t id;
    std::uint32_t process;
    std::function<void()> body;
    State state;
    std::function<bool()> ready;
    std::optional<std::uint64_t> deadline;
    bool wakeWhenQuiet = false;
    WaitEnd result = WaitEnd::Ready;
    bool neverEnds = false;
    std::thread host;
};

namespace {
constexpr std::uint32_t FirstThread = 0;
}  // namespace

SimThreads::SimThreads() {
    threads_[FirstThread] = std::make_unique<Thread>(FirstThread, 1, nullptr, Thread::State::Running);
}

SimThreads::~SimThreads() {
    ending_ = true;
    Thread& first = RunningThread();
    for (auto& [id, thread] : threads_) {
        if (id != FirstThread && thread->state != Thread::State::Ended) SwitchTo(first, *thread);
    }
    for (auto& [id, thread] : threads_) {
        if (thread->host.joinable()) thread->host.join();
    }
}

std::uint32_t SimThreads::Start(std::function<void()> body) {
    std::uint32_t id = nextThread_++;
    std::uint32_t process = system_ ? system_->GetCurrentProcessId() : 1;
    auto thread = std::make_unique<Thread>(id, process, std::move(body), Thread::State::New);
    Thread& self = *thread;
    threads_[id] = std::move(thread);
    self.host = std::thread([this, &self] { Run(self); });
    return id;
}

bool SimThreads::HasEnded(std::uint32_t thread) const {
    auto found = threads_.find(thread);
    return found != threads_.end() && found->second->state == Thread::State::Ended;
}

void SimThreads::Run(Thread& self) {
    {
        std::unique_lock lock(turnLock_);
        turn_.wait(lock, [&] { return running_ == self.id; });
    }
    if (!ending_) {
        try {
            self.body();
        } catch (const ThreadAbandoned&) {
        }
    }
    self.state = Thread::State::Ended;
    SwitchTo(self, Choose());
}

WaitEnd SimThreads::Wait(const std::function<bool()>& ready, std::uint32_t milliseconds,
                         bool wakeWhenQuiet) {
    Thread& self = RunningThread();
    if (ending_ && self.id != FirstThread) throw ThreadAbandoned{};
    if (ready()) return WaitEnd::Ready;
    if (milliseconds == 0) return WaitEnd::TimedOut;
    self.state = Thread::State::Waiting;
    self.ready = ready;
    self.deadline = milliseconds == win::INFINITE ? std::nullopt : std::optional(now_ + milliseconds);
    self.wakeWhenQuiet = wakeWhenQuiet;
    SwitchTo(self, Choose());
    self.ready = nullptr;
    if (std::exchange(self.neverEnds, false)) throw std::logic_error("the wait would never end");
    if (ending_ && self.id != FirstThread) throw ThreadAbandoned{};
    return self.result;
}

void SimThreads::Sleep(std::uint32_t milliseconds) {
    Wait([] { return false; }, milliseconds);
}

// Threads that can go on come first, in the order they were made; then the
// earliest timed wait ends; then a wait that ends when all is quiet.
SimThreads::Thread& SimThreads::Choose() {
    if (ending_) return *threads_.at(FirstThread);
    for (auto& [id, thread] : threads_) {
        if (thread->state == Thread::State::New) return *thread;
        if (thread->state == Thread::State::Waiting && thread->ready()) {
            thread->result = WaitEnd::Ready;
            return *thread;
        }
    }
    Thread* earliest = nullptr;
    for (auto& [id, thread] : threads_) {
        if (thread->state != Thread::State::Waiting || !thread->deadline) continue;
        if (!earliest || *thread->deadline < *earliest->deadline) earliest = thread.get();
    }
    if (earliest) {
        now_ = *earliest->deadline;
        earliest->result = WaitEnd::TimedOut;
        return *earliest;
    }
    for (auto& [id, thread] : threads_) {
        if (thread->state == Thread::State::Waiting && thread->wakeWhenQuiet) {
            thread->result = WaitEnd::Quiet;
            return *thread;
        }
    }
    Thread& first = *threads_.at(FirstThread);
    first.neverEnds = true;
    return first;
}

// Hands the turn over and, unless `from` has ended, waits for it to come
// back.
void SimThreads::SwitchTo(Thread& from, Thread& to) {
    to.state = Thread::State::Running;
    if (&from == &to) return;
    if (system_) {
        from.process = system_->GetCurrentProcessId();
        system_->SetCurrentProcess(to.process);
    }
    std::unique_lock lock(turnLock_);
    running_ = to.id;
    turn_.notify_all();
    if (from.state == Thread::State::Ended) return;
    turn_.wait(lock, [&] { return running_ == from.id; });
}

}  // namespace sim

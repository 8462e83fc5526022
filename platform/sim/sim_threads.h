#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace sim {

class SimSystem;

// Raised inside a simulated thread that is still waiting when the machine
// is taken down; it unwinds the thread's body.
struct ThreadAbandoned {};

// How a wait ended.
enum class WaitEnd { Ready, TimedOut, Quiet };

// The machine's threads and its clock. Each simulated thread is a thread of
// the host, but only one of them runs at a time: the running thread goes on
// until it waits, and then the first thread that can go on, in the order
// they were made, runs next. So the threads interleave the same way on
// every run, and only where a thread waits, as a scheduler may interleave
// them on Windows. Time passes only while every thread waits: the clock
// jumps to the end of the earliest timed wait. The thread that made the
// machine is the first thread; the others belong to the process that was
// current when they were made, which becomes current whenever they run.
class SimThreads {
public:
    SimThreads();
    // Abandons the threads still waiting and waits for their ends.
    ~SimThreads();
    SimThreads(const SimThreads&) = delete;
    SimThreads& operator=(const SimThreads&) = delete;

    void AttachSystem(SimSystem& system) { system_ = &system; }

    // The thread that runs now, by the id Start gave (the first thread: 0).
    std::uint32_t Running() const { return running_; }
    // The id Windows gives a thread: the first thread stands for the main
    // thread of whichever process is current, whose id is the process id;
    // each thread made later has one of its own, above every process id.
    static constexpr std::uint32_t MadeThreadIds = 0x1000;
    static std::uint32_t WindowsThreadId(std::uint32_t thread, std::uint32_t currentProcess) {
        return thread == 0 ? currentProcess : MadeThreadIds + thread;
    }

    // Milliseconds since the machine started.
    std::uint64_t Now() const { return now_; }
    // A new thread that runs `body` once the running one waits; its id.
    std::uint32_t Start(std::function<void()> body);
    bool HasEnded(std::uint32_t thread) const;

    // Waits until `ready` holds or the time (INFINITE: none) has passed.
    // With `wakeWhenQuiet` the wait also ends, as Quiet, once no thread
    // could go on and no time could pass: what other programs do comes
    // then. A wait that nothing could ever end is a fault of the test: the
    // first thread's wait raises it.
    WaitEnd Wait(const std::function<bool()>& ready, std::uint32_t milliseconds,
                 bool wakeWhenQuiet = false);
    void Sleep(std::uint32_t milliseconds);

private:
    struct Thread;
    Thread& RunningThread() { return *threads_.at(running_); }
    Thread& Choose();
    void SwitchTo(Thread& from, Thread& to);
    void Run(Thread& self);

    std::map<std::uint32_t, std::unique_ptr<Thread>> threads_;
    std::uint32_t running_ = 0;
    std::uint32_t nextThread_ = 1;
    std::uint64_t now_ = 0;
    bool ending_ = false;
    SimSystem* system_ = nullptr;
    std::mutex turnLock_;
    std::condition_variable turn_;
};

}  // namespace sim

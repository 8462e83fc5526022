#pragma once
#include <deque>
#include <functional>
#include <mutex>

#include "platform/platform.h"

// A thread of the program's own, made over the platform, so that the
// simulation runs it too. It runs its body once; the body must not let an
// error leave it, since nothing could catch it there.
class TThread {
public:
    TThread(win::SystemApi& system, std::function<void()> body);
    ~TThread() { Join(); }
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Waits for the body's end.
    void Join();

private:
    static std::uint32_t ZV_STDCALL Enter(void* self);

    win::SystemApi& System;
    std::function<void()> Body;
    win::Handle Handle;
};

// Jobs run one after another, in the order posted, on a thread of their
// own, so that whoever posts them never waits for one. A job must not let
// an error leave it.
class TWorker {
public:
    explicit TWorker(win::SystemApi& system);
    // Drops the jobs not yet started and waits for the running one's end.
    ~TWorker();
    TWorker(const TWorker&) = delete;
    TWorker& operator=(const TWorker&) = delete;

    void Post(std::function<void()> job);

private:
    void Run();
    bool TakeJob(std::function<void()>& job);

    win::SystemApi& System;
    std::mutex Lock;
    std::deque<std::function<void()>> Jobs;
    bool Ending = false;
    win::Handle Wake;
    // Made last: the thread uses everything above from its start.
    TThread Thread;
};

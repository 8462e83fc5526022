#include "common/worker_thread.h"

#include <utility>

#include "platform/win_constants.h"

using namespace win;

TThread::TThread(SystemApi& system, std::function<void()> body)
    : System(system), Body(std::move(body)), Handle(system.CreateThread(Enter, this, nullptr)) {}

void TThread::Join() {
    if (Handle == 0) return;
    System.WaitForSingleObject(Handle, INFINITE);
    System.CloseHandle(std::exchange(Handle, 0));
}

std::uint32_t ZV_STDCALL TThread::Enter(void* self) {
    static_cast<TThread*>(self)->Body();
    return 0;
}

// The wake-up event resets itself when the worker's wait ends: a job posted
// while the worker runs leaves it set, so the worker looks again.
TWorker::TWorker(SystemApi& system)
    : System(system),
      Wake(system.CreateEventA(false, false, false, nullptr)),
      Thread(system, [this] { Run(); }) {}

TWorker::~TWorker() {
    {
        std::lock_guard guard(Lock);
        Jobs.clear();
        Ending = true;
    }
    System.SetEvent(Wake);
    Thread.Join();
    System.CloseHandle(Wake);
}

void TWorker::Post(std::function<void()> job) {
    {
        std::lock_guard guard(Lock);
        Jobs.push_back(std::move(job));
    }
    System.SetEvent(Wake);
}

bool TWorker::TakeJob(std::function<void()>& job) {
    std::lock_guard guard(Lock);
    if (Jobs.empty()) return false;
    job = std::move(Jobs.front());
    Jobs.pop_front();
    return true;
}

void TWorker::Run() {
    for (;;) {
        std::function<void()> job;
        while (TakeJob(job)) job();
        {
            std::lock_guard guard(Lock);
            if (Ending) return;
        }
        System.WaitForSingleObject(Wake, INFINITE);
    }
}

#include "tray/low_level_thread.h"

#include "platform/win_constants.h"

using namespace win;

namespace {

bool RunsUnderWow64(SystemApi& system) {
    bool wow64 = false;
    return system.IsWow64Process(system.GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

TLowLevelThread::TLowLevelThread(Platform& platform, HookLibrary& library) : Api(platform), Library(library) {
    if (RunsUnderWow64(platform.system)) Thread = platform.system.CreateThread(Enter, this, &ThreadId);
}

TLowLevelThread::~TLowLevelThread() {
    if (Thread == 0) return;
    Api.windows.PostThreadMessageA(ThreadId, WM_QUIT, 0, 0);
    Api.system.WaitForSingleObject(Thread, LowLevelThreadEndLimit);
    Api.system.CloseHandle(Thread);
}

std::uint32_t ZV_STDCALL TLowLevelThread::Enter(void* self) {
    static_cast<TLowLevelThread*>(self)->Serve();
    return 0;
}

// The hook's calls come as sent messages, which PeekMessageA answers; the
// wait's time-out is the check's timer, so the check needs no window.
void TLowLevelThread::Serve() {
    if (Library.InstallLowLevel(1) == 0) Api.windows.MessageBeep(MB_SIMPLE_BEEP);
    std::uint32_t lastCheck = Api.system.GetTickCount();
    while (TakeMessages()) {
        std::uint32_t since = Api.system.GetTickCount() - lastCheck;
        if (since >= LowLevelCheckInterval) {
            Library.InstallLowLevel(2);
            lastCheck = Api.system.GetTickCount();
            since = 0;
        }
        Api.windows.MsgWaitForMultipleObjects(0, nullptr, false, LowLevelCheckInterval - since, QS_ALLINPUT);
    }
    Library.InstallLowLevel(0);
}

// False once WM_QUIT came.
bool TLowLevelThread::TakeMessages() {
    Message message{};
    while (Api.windows.PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        Api.windows.DispatchMessageA(&message);
    }
    return true;
}

// Entry point of Zolhook.dll. It only notes the module handle: the loader
// lock forbids registry calls here, so the per-process state is built on the
// first call into the library instead.
#include <cstdint>

#include "platform/win_types.h"

namespace {
win::Instance LibraryInstance = 0;
}

extern "C" int ZV_STDCALL DllMain(win::Instance instance, std::uint32_t reason, void*) {
    constexpr std::uint32_t DllProcessAttach = 1;
    if (reason == DllProcessAttach) LibraryInstance = instance;
    return 1;
}

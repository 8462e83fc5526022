// The few POSIX thread calls that the C++ runtime's exception handling
// makes (a one-time initialisation, mutexes, thread-local keys), made with
// Windows' own means, so that a program file that starts no POSIX thread
// does not link the whole POSIX thread library for them (some 30 KB).
// Linked into Zolsetup.exe only: its threads other than the window's throw
// nothing, so a thread-local key's destructor, which is never called here,
// has nothing to free. The types are those of the thread library's header,
// with which the runtime was built.
#include <windows.h>

#include <cstdint>

namespace {

// A mutex not yet made holds one of the header's static initialisers, all
// negative; a made one holds its critical section.
CRITICAL_SECTION* Section(std::intptr_t* mutex) {
    std::intptr_t current = *static_cast<volatile std::intptr_t*>(mutex);
    if (current > 0) return reinterpret_cast<CRITICAL_SECTION*>(current);
    auto made = static_cast<CRITICAL_SECTION*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    InitializeCriticalSection(made);
    void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(mutex), made,
                                                       reinterpret_cast<void*>(current));
    if (previous == reinterpret_cast<void*>(current)) return made;
    DeleteCriticalSection(made);
    HeapFree(GetProcessHeap(), 0, made);
    return static_cast<CRITICAL_SECTION*>(previous);
}

constexpr long OnceNotStarted = 0;
constexpr long OnceRunning = 1;
constexpr long OnceDone = 2;

}  // namespace

extern "C" {

int pthread_once(long* once, void (*function)(void)) {
    if (InterlockedCompareExchange(once, OnceRunning, OnceNotStarted) == OnceNotStarted) {
        function();
        InterlockedExchange(once, OnceDone);
    }
    while (InterlockedCompareExchange(once, OnceDone, OnceDone) != OnceDone) Sleep(0);
    return 0;
}

int pthread_mutex_init(std::intptr_t* mutex, const unsigned*) {
    *mutex = -1;
    return 0;
}

int pthread_mutex_destroy(std::intptr_t* mutex) {
    if (*mutex > 0) {
        auto section = reinterpret_cast<CRITICAL_SECTION*>(*mutex);
        DeleteCriticalSection(section);
        HeapFree(GetProcessHeap(), 0, section);
    }
    *mutex = -1;
    return 0;
}

int pthread_mutex_lock(std::intptr_t* mutex) {
    EnterCriticalSection(Section(mutex));
    return 0;
}

int pthread_mutex_unlock(std::intptr_t* mutex) {
    LeaveCriticalSection(Section(mutex));
    return 0;
}

int pthread_key_create(unsigned* key, void (*)(void*)) {
    DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return ERROR_NOT_ENOUGH_MEMORY;
    *key = index;
    return 0;
}

void* pthread_getspecific(unsigned key) { return TlsGetValue(key); }

int pthread_setspecific(unsigned key, const void* value) {
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : ERROR_INVALID_PARAMETER;
}

}  // extern "C"

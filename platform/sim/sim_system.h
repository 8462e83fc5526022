#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

class SimThreads;

// A program that CreateProcessA started.
struct Launch {
    std::string applicationName;
    std::string commandLine;
    bool inheritHandles;
    std::string currentDirectory;
    std::uint32_t processId;
};

// Version, waits, module names, clock, locale, named mutexes, processes and
// events, threads. Waits and sleeps take their time on the machine's clock
// (SimThreads), where the machine's other threads run meanwhile; a wait
// that nothing could ever end is a fault of the test.
class SimSystem : public win::SystemApi {
public:
    bool GetVersionExA(win::OsVersionInfo* info) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetTickCount() override;
    std::uint32_t WaitForInputIdle(win::Handle process, std::uint32_t milliseconds) override;
    win::Handle GetCurrentProcess() override;
    std::uint32_t GetModuleFileNameA(win::Instance module, char* buffer,
                                     std::uint32_t size) override;
    std::uint32_t GetModuleFileNameW(win::Instance module, wchar_t* buffer,
                                     std::uint32_t size) override;
    win::Instance GetModuleHandleA(const char* moduleName) override;
    void GetLocalTime(win::SystemTime* time) override;
    std::uint32_t GetThreadLocale() override;
    int GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) override;
    win::Handle CreateMutexA(void* security, bool initialOwner, const char* name) override;
    std::uint32_t GetLastError() override;
    bool CloseHandle(win::Handle handle) override;
    std::uint32_t GetCurrentProcessId() override { return current_; }
    bool IsWow64Process(win::Handle process, bool* wow64) override;
    win::Handle OpenProcess(std::uint32_t access, bool inheritHandle,
                            std::uint32_t processId) override;
    bool CreateProcessA(const char* applicationName, char* commandLine, bool inheritHandles,
                        std::uint32_t creationFlags, const char* currentDirectory,
                        win::ProcessInformation* information) override;
    win::Handle CreateEventA(bool inheritHandle, bool manualReset, bool initialState,
                             const char* name) override;
    bool SetEvent(win::Handle event) override;
    std::uint32_t WaitForSingleObject(win::Handle handle, std::uint32_t milliseconds) override;
    std::uint32_t WaitForMultipleObjects(std::uint32_t count, const win::Handle* handles,
                                         bool waitAll, std::uint32_t milliseconds) override;
    win::Handle CreateThread(win::ThreadProc proc, void* param, std::uint32_t* threadId) override;
    win::Instance LoadLibraryA(const char* fileName) override;
    win::ProcAddress GetProcAddress(win::Instance module, const char* name) override;
    win::ProcAddress GetProcAddress(win::Instance module, std::uint16_t ordinal) override;

    // Processes. The machine starts with one 32-bit process, id 1, which is
    // the current one; the hook chain and the tests switch between them.
    // Each process has a main thread, whose id is the process id. A Store
    // app's process (an AppContainer) loads no window hook library.
    std::uint32_t AddProcess(bool is64Bit, bool store = false);
    bool IsStoreProcess(std::uint32_t processId) const;
    bool IsImmersiveProcess(win::Handle process) override;
    // A token tells its process's integrity level (TokenIntegrityLevel).
    bool OpenProcessToken(win::Handle process, std::uint32_t access, win::Handle* token) override;
    bool GetTokenInformation(win::Handle token, int infoClass, void* information, std::uint32_t size,
                             std::uint32_t* returnLength) override;
    // Windows gives the id of a process that ended to a new one once no
    // handle to the old one is open; off, every process gets an id of its
    // own.
    void ReuseProcessIds(bool on) { reuseIds_ = on; }
    // Whether the thread, by the id Windows gives it, still runs.
    bool IsThreadRunning(std::uint32_t threadId) const;
    void SetCurrentProcess(std::uint32_t processId) { current_ = processId; }
    bool Is64BitProcess(std::uint32_t processId) const;
    // Every process runs C:\Programme\Probe\probe.exe unless set otherwise;
    // one CreateProcessA started runs the program it named.
    void SetProcessImage(std::uint32_t processId, const std::string& path) { processes_.at(processId).image = path; }
    // Mandatory integrity levels: a process started elevated runs at High,
    // a sandboxed one (a browser's tabs, say) at Low, every other at Medium.
    enum class Integrity { Low, Medium, High };
    void SetIntegrity(std::uint32_t processId, Integrity level);
    Integrity IntegrityOf(std::uint32_t processId) const;
    void EndProcess(std::uint32_t processId, std::uint32_t exitCode);
    bool HasEnded(std::uint32_t processId) const;
    // A 64-bit Windows runs 32-bit processes under WOW64.
    void Set64BitWindows(bool on) { windows64_ = on; }
    // What a started program does at once, before CreateProcessA returns
    // (signal an event it inherited, end); a path with no program fails to
    // start with ERROR_FILE_NOT_FOUND.
    using Program = std::function<void(SimSystem&, const Launch&)>;
    void AddProgram(const std::string& path, Program program) { programs_[path] = std::move(program); }
    const std::vector<Launch>& Launches() const { return launches_; }
    // A library LoadLibraryA finds at the path, with its exports by ordinal.
    void AddLibrary(const std::string& path, win::Instance module,
                    std::map<std::uint16_t, win::ProcAddress> exports);
    bool IsSignaled(win::Handle handle) const;
    // Whether a wait for the handles would end now.
    bool Satisfied(std::uint32_t count, const win::Handle* handles, bool waitAll) const;
    std::size_t OpenHandleCount() const { return objects_.size(); }
    // The waits with a time limit that ended by it.
    std::size_t TimedOutWaits() const { return timeouts_; }
    std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
                                 std::uint32_t languageId, char* buffer, std::uint32_t size,
                                 void* arguments) override;
    // The pseudo handle of the current process, or a handle OpenProcess or
    // CreateProcessA gave.
    bool QueryFullProcessImageNameA(win::Handle process, std::uint32_t flags, char* name,
                                    std::uint32_t* size) override;

    void SetWindowsNT(bool nt) { windowsNT_ = nt; }
    bool IsWindowsNT() const { return windowsNT_; }
    void SetModuleFileName(win::Instance module, const std::string& path);
    // A path with characters the ANSI code page lacks, which the ANSI call
    // reports as "?".
    void SetModuleFileName(win::Instance module, std::wstring path) { modules_[module] = path; }
    void AttachThreads(SimThreads& threads) { threads_ = &threads; }
    void SetLocalTime(const win::SystemTime& time) { now_ = time; }
    void SetThreadLocale(std::uint32_t locale) { locale_ = locale; }
    // Windows as Wine makes it: its ntdll exports wine_get_version.
    void SetWine(bool wine) { wine_ = wine; }

    // The time that passes between a test's steps, on the machine's one
    // clock (SimThreads), which GetTickCount reads: the other threads run
    // meanwhile, as they do while a thread sleeps.
    void AdvanceClock(std::uint32_t milliseconds);

    std::uint64_t SleepCount() const { return sleeps_.size(); }
    // The waits asked for, in milliseconds, in order.
    const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }
    std::uint64_t IdleWaitCount() const { return idleWaits_; }

private:
    struct Process {
        bool is64Bit = false;
        bool store = false;
        Integrity integrity = Integrity::Medium;
        bool ended = false;
        std::uint32_t exitCode = 0;
        std::string image = "C:\\Programme\\Probe\\probe.exe";
    };
    enum class Kind { Mutex, Event, Process, Thread, Token };
    struct Object {
        Kind kind;
        std::string name;               // a mutex's name
        std::uint32_t processId = 0;    // a process's or thread's id, or the mutex's owner
        bool manualReset = false;       // an event's
        bool signaled = false;          // an event's
    };
    win::Handle AddObject(Object object);
    std::uint32_t ProcessOf(win::Handle process) const;
    std::uint32_t FreeProcessId();
    bool Acquire(Object& object);

    bool windowsNT_ = true;
    bool windows64_ = false;
    bool reuseIds_ = false;
    std::map<std::uint32_t, Process> processes_{{1, Process{}}};
    std::uint32_t current_ = 1;
    std::uint32_t nextProcess_ = 2;
    std::map<std::string, Program> programs_;
    struct Library {
        win::Instance module;
        std::map<std::uint16_t, win::ProcAddress> exports;
    };
    std::map<std::string, Library> libraries_;
    std::vector<Launch> launches_;
    std::map<win::Handle, Object> objects_;
    std::size_t timeouts_ = 0;
    std::map<win::Instance, std::wstring> modules_;
    SimThreads* threads_ = nullptr;
    win::SystemTime now_{2026, 12, 1, 7, 14, 5, 9, 0};
    std::uint32_t locale_ = 0x0407;
    struct Mutex {
        int handles = 0;
        std::uint32_t owner = 0;
    };
    std::map<std::string, Mutex> mutexes_;
    win::Handle nextHandle_ = 0x1000;
    std::uint32_t lastError_ = 0;
    std::vector<std::uint32_t> sleeps_;
    std::uint64_t idleWaits_ = 0;
    bool wine_ = false;
};

}  // namespace sim

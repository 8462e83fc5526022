#include "platform/sim/sim_system.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_threads.h"
#include "common/cp1252.h"
#include "platform/win_constants.h"

namespace sim {

using namespace win;

bool SimSystem::GetVersionExA(OsVersionInfo* info) {
    // Windows refuses a structure whose size field is not filled in.
    if (info->size != sizeof(OsVersionInfo)) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    info->majorVersion = windowsNT_ ? 5 : 4;
    info->minorVersion = windowsNT_ ? 1 : 10;
    info->buildNumber = windowsNT_ ? 2600 : 2222;
    info->platformId = windowsNT_ ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
    std::memset(info->servicePack, 0, sizeof info->servicePack);
    return true;
}

void SimSystem::Sleep(std::uint32_t milliseconds) {
    sleeps_.push_back(milliseconds);
    if (threads_) threads_->Sleep(milliseconds);
}

// Windows' tick count wraps after 49.7 days; the machine's clock does too.
std::uint32_t SimSystem::GetTickCount() {
    return threads_ ? static_cast<std::uint32_t>(threads_->Now()) : 0;
}

void SimSystem::AdvanceClock(std::uint32_t milliseconds) {
    if (!threads_) throw std::logic_error("a clock needs the machine's threads");
    threads_->Sleep(milliseconds);
}

std::uint32_t SimSystem::WaitForInputIdle(Handle, std::uint32_t) {
    ++idleWaits_;
    return 0;
}

// The pseudo handle of the current process, as Windows gives it.
Handle SimSystem::GetCurrentProcess() { return static_cast<Handle>(-1); }

void SimSystem::SetModuleFileName(Instance module, const std::string& path) {
    modules_[module] = Cp1252ToWide(path);
}

namespace {

// A buffer that is too small gets the path cut off without its NUL, and the
// result is the buffer size (Windows XP and later).
template <class Text>
std::uint32_t CopyModulePath(const Text& path, typename Text::value_type* buffer,
                             std::uint32_t size) {
    if (path.size() >= size) {
        std::copy_n(path.data(), size, buffer);
        return size;
    }
    std::copy_n(path.c_str(), path.size() + 1, buffer);
    return static_cast<std::uint32_t>(path.size());
}

}  // namespace

std::uint32_t SimSystem::GetModuleFileNameA(Instance module, char* buffer, std::uint32_t size) {
    auto found = modules_.find(module);
    if (found == modules_.end() || size == 0) return 0;
    return CopyModulePath(WideToCp1252(found->second), buffer, size);
}

std::uint32_t SimSystem::GetModuleFileNameW(Instance module, wchar_t* buffer, std::uint32_t size) {
    auto found = modules_.find(module);
    if (found == modules_.end() || size == 0) return 0;
    return CopyModulePath(found->second, buffer, size);
}

// Only the program file and ntdll.dll are looked for, and only Wine's
// ntdll has wine_get_version.
Instance SimSystem::GetModuleHandleA(const char* moduleName) {
    constexpr Instance Ntdll = 0x77F00000;
    constexpr Instance ProgramFile = 0x00400000;
    if (!moduleName) return ProgramFile;
    std::string name = moduleName ? moduleName : "";
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "ntdll.dll" || name == "ntdll" ? Ntdll : 0;
}

namespace {
void WineGetVersion() {}
}  // namespace

ProcAddress SimSystem::GetProcAddress(Instance module, const char* name) {
    bool wineVersion = module == GetModuleHandleA("ntdll.dll") && wine_ && name &&
                       std::string(name) == "wine_get_version";
    return wineVersion ? &WineGetVersion : nullptr;
}

void SimSystem::GetLocalTime(SystemTime* time) { *time = now_; }

std::uint32_t SimSystem::GetThreadLocale() { return locale_; }

int SimSystem::GetLocaleInfoA(std::uint32_t locale, std::uint32_t type, char* buffer, int size) {
    return LocaleInfo(locale, type, buffer, size);
}

Handle SimSystem::AddObject(Object object) {
    Handle handle = nextHandle_;
    nextHandle_ += 4;
    objects_[handle] = std::move(object);
    return handle;
}

// A named mutex that exists already is opened, not created, and its
// ownership is not granted.
Handle SimSystem::CreateMutexA(void*, bool initialOwner, const char* name) {
    std::string key = name ? name : "";
    Mutex& mutex = mutexes_[key];
    bool exists = !key.empty() && mutex.handles > 0;
    ++mutex.handles;
    if (!exists && initialOwner) mutex.owner = current_;
    lastError_ = exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return AddObject(Object{Kind::Mutex, key});
}

std::uint32_t SimSystem::GetLastError() { return lastError_; }

bool SimSystem::CloseHandle(Handle handle) {
    auto found = objects_.find(handle);
    if (found == objects_.end()) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    if (found->second.kind == Kind::Mutex && --mutexes_[found->second.name].handles == 0) {
        mutexes_.erase(found->second.name);
    }
    objects_.erase(found);
    return true;
}

// The process of the pseudo handle or of a process handle; 0 for any other
// handle.
std::uint32_t SimSystem::ProcessOf(Handle process) const {
    if (process == static_cast<Handle>(-1)) return current_;
    auto found = objects_.find(process);
    return found != objects_.end() && found->second.kind == Kind::Process ? found->second.processId : 0;
}

bool SimSystem::IsWow64Process(Handle process, bool* wow64) {
    std::uint32_t id = ProcessOf(process);
    if (!processes_.count(id)) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    *wow64 = windows64_ && !processes_.at(id).is64Bit;
    return true;
}

bool SimSystem::QueryFullProcessImageNameA(Handle process, std::uint32_t, char* name, std::uint32_t* size) {
    std::uint32_t id = ProcessOf(process);
    if (!processes_.count(id)) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    const std::string& image = processes_.at(id).image;
    if (image.size() >= *size) {
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return false;
    }
    std::copy_n(image.c_str(), image.size() + 1, name);
    *size = static_cast<std::uint32_t>(image.size());
    return true;
}

Handle SimSystem::OpenProcess(std::uint32_t, bool, std::uint32_t processId) {
    if (!processes_.count(processId)) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return 0;
    }
    return AddObject(Object{Kind::Process, "", processId});
}

bool SimSystem::CreateProcessA(const char* applicationName, char* commandLine,
                               bool inheritHandles, std::uint32_t, const char* currentDirectory,
                               ProcessInformation* information) {
    std::string path = applicationName ? applicationName : "";
    auto program = programs_.find(path);
    if (program == programs_.end()) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return false;
    }
    std::uint32_t id = AddProcess(false);
    SetProcessImage(id, path);
    Launch launch{path, commandLine ? commandLine : "", inheritHandles,
                  currentDirectory ? currentDirectory : "", id};
    launches_.push_back(launch);
    information->process = AddObject(Object{Kind::Process, "", id});
    information->thread = AddObject(Object{Kind::Process, "", id});
    information->processId = id;
    information->threadId = id;
    program->second(*this, launch);
    return true;
}

// The thread runs once the running one waits (SimThreads).
Handle SimSystem::CreateThread(ThreadProc proc, void* param, std::uint32_t* threadId) {
    if (!threads_) {
        lastError_ = ERROR_NOT_SUPPORTED;
        return 0;
    }
    std::uint32_t id = threads_->Start([proc, param] { proc(param); });
    if (threadId) *threadId = SimThreads::WindowsThreadId(id, current_);
    return AddObject(Object{Kind::Thread, "", id});
}

Handle SimSystem::CreateEventA(bool, bool manualReset, bool initialState, const char*) {
    return AddObject(Object{Kind::Event, "", 0, manualReset, initialState});
}

bool SimSystem::SetEvent(Handle event) {
    auto found = objects_.find(event);
    if (found == objects_.end() || found->second.kind != Kind::Event) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    found->second.signaled = true;
    return true;
}

void SimSystem::AddLibrary(const std::string& path, Instance module,
                           std::map<std::uint16_t, ProcAddress> exports) {
    libraries_[path] = Library{module, std::move(exports)};
}

Instance SimSystem::LoadLibraryA(const char* fileName) {
    auto found = libraries_.find(fileName ? fileName : "");
    if (found == libraries_.end()) {
        lastError_ = ERROR_MOD_NOT_FOUND;
        return 0;
    }
    return found->second.module;
}

ProcAddress SimSystem::GetProcAddress(Instance module, std::uint16_t ordinal) {
    for (const auto& [path, library] : libraries_) {
        if (library.module != module) continue;
        auto found = library.exports.find(ordinal);
        if (found != library.exports.end()) return found->second;
    }
    lastError_ = ERROR_PROC_NOT_FOUND;
    return nullptr;
}

std::uint32_t SimSystem::FreeProcessId() {
    for (const auto& [id, process] : processes_) {
        if (!reuseIds_ || !process.ended) continue;
        bool open = false;
        for (const auto& [handle, object] : objects_) {
            open = open || ((object.kind == Kind::Process || object.kind == Kind::Token) && object.processId == id);
        }
        if (!open) return id;
    }
    return nextProcess_++;
}

std::uint32_t SimSystem::AddProcess(bool is64Bit, bool store) {
    std::uint32_t id = FreeProcessId();
    processes_[id] = Process{is64Bit, store};
    return id;
}

bool SimSystem::IsStoreProcess(std::uint32_t processId) const {
    auto found = processes_.find(processId);
    return found != processes_.end() && found->second.store;
}

bool SimSystem::IsImmersiveProcess(Handle process) {
    std::uint32_t id = ProcessOf(process);
    if (!processes_.count(id)) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    return processes_.at(id).store;
}

bool SimSystem::OpenProcessToken(Handle process, std::uint32_t, Handle* token) {
    std::uint32_t id = ProcessOf(process);
    if (!processes_.count(id)) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    *token = AddObject(Object{Kind::Token, "", id});
    return true;
}

// The label's SID follows it in the caller's buffer: S-1-16-level.
bool SimSystem::GetTokenInformation(Handle token, int infoClass, void* information, std::uint32_t size,
                                    std::uint32_t* returnLength) {
    auto found = objects_.find(token);
    if (found == objects_.end() || found->second.kind != Kind::Token || infoClass != TokenIntegrityLevel) {
        lastError_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    constexpr std::uint32_t SidSize = 12;
    *returnLength = sizeof(TokenMandatoryLabel) + SidSize;
    if (size < *returnLength) {
        lastError_ = ERROR_INSUFFICIENT_BUFFER;
        return false;
    }
    static constexpr std::uint32_t Levels[] = {SECURITY_MANDATORY_LOW_RID, SECURITY_MANDATORY_MEDIUM_RID,
                                               SECURITY_MANDATORY_HIGH_RID};
    auto* label = static_cast<TokenMandatoryLabel*>(information);
    auto* sid = reinterpret_cast<std::uint8_t*>(label + 1);
    const std::uint8_t head[8] = {1, 1, 0, 0, 0, 0, 0, 16};
    std::memcpy(sid, head, sizeof head);
    std::uint32_t level = Levels[static_cast<int>(IntegrityOf(found->second.processId))];
    std::memcpy(sid + sizeof head, &level, sizeof level);
    label->Sid = sid;
    label->Attributes = 0;
    return true;
}

bool SimSystem::IsThreadRunning(std::uint32_t threadId) const {
    if (threadId < SimThreads::MadeThreadIds) return !HasEnded(threadId);
    return threads_ && !threads_->HasEnded(threadId - SimThreads::MadeThreadIds);
}

void SimSystem::SetIntegrity(std::uint32_t processId, Integrity level) {
    processes_.at(processId).integrity = level;
}

SimSystem::Integrity SimSystem::IntegrityOf(std::uint32_t processId) const {
    auto found = processes_.find(processId);
    return found == processes_.end() ? Integrity::Medium : found->second.integrity;
}

bool SimSystem::Is64BitProcess(std::uint32_t processId) const {
    auto found = processes_.find(processId);
    return found != processes_.end() && found->second.is64Bit;
}

void SimSystem::EndProcess(std::uint32_t processId, std::uint32_t exitCode) {
    Process& process = processes_.at(processId);
    process.ended = true;
    process.exitCode = exitCode;
}

bool SimSystem::HasEnded(std::uint32_t processId) const {
    auto found = processes_.find(processId);
    return found != processes_.end() && found->second.ended;
}

bool SimSystem::IsSignaled(Handle handle) const {
    auto found = objects_.find(handle);
    if (found == objects_.end()) return false;
    const Object& object = found->second;
    switch (object.kind) {
        case Kind::Event: return object.signaled;
        case Kind::Process: return HasEnded(object.processId);
        case Kind::Thread: return threads_->HasEnded(object.processId);
        case Kind::Token: return false;
        case Kind::Mutex: {
            std::uint32_t owner = mutexes_.at(object.name).owner;
            return owner == 0 || owner == current_ || HasEnded(owner);
        }
    }
    return false;
}

// Takes what a satisfied wait takes: an auto-reset event's signal, a
// mutex's ownership. True when the mutex was abandoned by its owner's end.
bool SimSystem::Acquire(Object& object) {
    if (object.kind == Kind::Event && !object.manualReset) object.signaled = false;
    if (object.kind != Kind::Mutex) return false;
    Mutex& mutex = mutexes_.at(object.name);
    bool abandoned = mutex.owner != 0 && mutex.owner != current_ && HasEnded(mutex.owner);
    mutex.owner = current_;
    return abandoned;
}

std::uint32_t SimSystem::WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
    return WaitForMultipleObjects(1, &handle, false, milliseconds);
}

std::uint32_t SimSystem::WaitForMultipleObjects(std::uint32_t count, const Handle* handles,
                                                bool waitAll, std::uint32_t milliseconds) {
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!objects_.count(handles[i])) {
            lastError_ = ERROR_INVALID_HANDLE;
            return WAIT_FAILED;
        }
    }
    auto ready = [&] { return Satisfied(count, handles, waitAll); };
    bool satisfied = threads_ ? threads_->Wait(ready, milliseconds) == WaitEnd::Ready : ready();
    if (!satisfied) {
        if (!threads_ && milliseconds == INFINITE) throw std::logic_error("the wait would never end");
        if (milliseconds != 0) ++timeouts_;
        return WAIT_TIMEOUT;
    }
    std::uint32_t first = 0;
    while (!waitAll && !IsSignaled(handles[first])) ++first;
    bool abandoned = false;
    for (std::uint32_t i = waitAll ? 0 : first; i < (waitAll ? count : first + 1); ++i) {
        abandoned = Acquire(objects_.at(handles[i])) || abandoned;
    }
    return (abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0) + (waitAll ? 0 : first);
}

bool SimSystem::Satisfied(std::uint32_t count, const Handle* handles, bool waitAll) const {
    bool any = false;
    bool all = true;
    for (std::uint32_t i = 0; i < count; ++i) {
        bool signaled = IsSignaled(handles[i]);
        any = any || signaled;
        all = all && signaled;
    }
    return waitAll ? all : any;
}

// The texts of a German Windows for the errors the registry gives, with the
// line end that Windows puts after each.
std::uint32_t SimSystem::FormatMessageA(std::uint32_t, const void*, std::uint32_t messageId,
                                        std::uint32_t, char* buffer, std::uint32_t size, void*) {
    static const std::map<std::uint32_t, std::string> texts = {
        {2, "Das System kann die angegebene Datei nicht finden.\r\n"},
        {5, "Zugriff verweigert\r\n"},
        {6, "Das Handle ist ung\xFCltig.\r\n"},
        {87, "Falscher Parameter.\r\n"},
    };
    auto found = texts.find(messageId);
    if (found == texts.end() || found->second.size() + 1 > size) return 0;
    std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
    return static_cast<std::uint32_t>(found->second.size());
}

}  // namespace sim

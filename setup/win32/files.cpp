#include "setup/win32/files.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/win32_platform.h"
#include "setup/value_slot.h"

namespace {

std::string LastErrorText() { return ErrorText(win::Win32Platform().system, static_cast<std::int32_t>(GetLastError())); }

class THandle {
public:
    explicit THandle(HANDLE handle) : handle_(handle) {}
    ~THandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

constexpr std::size_t LargestBackup = 16 * 1024 * 1024;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;
    std::string bytes;
    std::vector<char> buffer(64 * 1024);
    DWORD read = 0;
    while (bytes.size() <= limit) {
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        bytes.append(buffer.data(), read);
    }
    if (bytes.size() > limit) bytes.resize(limit + 1);
    return bytes;
}

std::string WriteWholeFile(const std::string& path, const std::string& bytes) {
    THandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file.Valid()) return LastErrorText();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        return LastErrorText();
    }
    return std::string();
}

TWin32BackupFolder::TWin32BackupFolder() {
    char appData[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) == S_OK) {
        folder_ = std::string(appData) + "\\Zolvik32\\Sicherungen";
    }
}

std::vector<std::string> TWin32BackupFolder::Names() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder_ + "\\*.reg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string TWin32BackupFolder::Write(const std::string& name, const std::string& bytes) {
    if (folder_.empty()) return "Der Ordner der Anwendungsdaten ist unbekannt.";
    std::string parent = folder_.substr(0, folder_.find_last_of('\\'));
    CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(folder_.c_str(), nullptr);
    return WriteWholeFile(folder_ + "\\" + name, bytes);
}

std::optional<std::string> TWin32BackupFolder::Read(const std::string& name) {
    return ReadWholeFile(folder_ + "\\" + name, LargestBackup);
}

void TWin32BackupFolder::Remove(const std::string& name) { DeleteFileA((folder_ + "\\" + name).c_str()); }

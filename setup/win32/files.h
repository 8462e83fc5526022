#pragma once
// Files as Zolsetup.exe reads and writes them, without the C++ streams and
// the locale machinery they would link: whole files, and the folder of the
// backups in the user's application data.
#include <windows.h>

#include <optional>
#include <string>

#include "setup/backups.h"

// At most `limit` bytes are read; a larger file gives limit + 1 bytes, so
// that the caller can tell. None when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit);
// An error text, empty on success.
std::string WriteWholeFile(const std::string& path, const std::string& bytes);

// "%APPDATA%\Zolvik32\Sicherungen".
class TWin32BackupFolder final : public TBackupFolder {
public:
    TWin32BackupFolder();
    std::vector<std::string> Names() override;
    std::string Write(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> Read(const std::string& name) override;
    void Remove(const std::string& name) override;
    const std::string& Path() const { return folder_; }

private:
    std::string folder_;
};

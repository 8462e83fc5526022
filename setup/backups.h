#pragma once
// Copies of the whole configuration, taken before every save and every
// import: full backups as registry files in a folder of the user's own, of
// which the ten newest are kept. Named after the moment they were taken, so
// that their names sort by age.
#include <optional>
#include <string>
#include <vector>

#include "platform/win_types.h"

// Where the backups live: a folder, as the program sees it.
class TBackupFolder {
public:
    virtual ~TBackupFolder() = default;
    // The file names in the folder; none when it does not exist.
    virtual std::vector<std::string> Names() = 0;
    // Makes the folder when it is missing. An error text, empty on success.
    virtual std::string Write(const std::string& name, const std::string& bytes) = 0;
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    virtual void Remove(const std::string& name) = 0;
};

inline constexpr std::size_t KeptBackups = 10;

// "Sicherung 2026-12-07 14-05-09.reg" (a number added when that name is
// taken); the oldest beyond the ten newest are removed. An error text,
// empty on success.
std::string KeepBackup(TBackupFolder& folder, const win::SystemTime& now, const std::string& file);
// The backups, newest first.
std::vector<std::string> BackupNames(TBackupFolder& folder);

#include "setup/backups.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "common/number_text.h"

namespace {

constexpr const char* Prefix = "Sicherung ";
constexpr const char* Extension = ".reg";

constexpr std::size_t StampLength = 19;  // "2026-12-07 14-05-09"

bool IsBackup(const std::string& name) {
    return name.starts_with(Prefix) && name.ends_with(Extension);
}

// The moment, then the number that tells backups of the same second apart
// (none is the first).
std::pair<std::string, int> Age(const std::string& name) {
    std::string stamp = name.substr(std::string(Prefix).size(), StampLength);
    std::size_t open = name.find(" (", std::string(Prefix).size() + StampLength);
    int number = open == std::string::npos ? 1 : std::atoi(name.c_str() + open + 2);
    return {stamp, number};
}

}  // namespace

std::vector<std::string> BackupNames(TBackupFolder& folder) {
    std::vector<std::string> names;
    for (const std::string& name : folder.Names()) {
        if (IsBackup(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Age(a) > Age(b); });
    return names;
}

std::string KeepBackup(TBackupFolder& folder, const win::SystemTime& now, const std::string& file) {
    std::string stamp = DecimalDigits(now.year, 4) + "-" + DecimalDigits(now.month, 2) + "-" +
                        DecimalDigits(now.day, 2) + " " + DecimalDigits(now.hour, 2) + "-" +
                        DecimalDigits(now.minute, 2) + "-" + DecimalDigits(now.second, 2);
    std::vector<std::string> existing = folder.Names();
    std::string name = Prefix + stamp + Extension;
    for (int number = 2; std::find(existing.begin(), existing.end(), name) != existing.end(); ++number) {
        name = Prefix + stamp + " (" + std::to_string(number) + ")" + Extension;
    }
    std::string failure = folder.Write(name, file);
    if (!failure.empty()) return failure;
    std::vector<std::string> names = BackupNames(folder);
    for (std::size_t i = KeptBackups; i < names.size(); ++i) folder.Remove(names[i]);
    return std::string();
}

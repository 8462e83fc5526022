#pragma once
// The whole configuration as a registry file, and registry files read back
// in. An exported file imported into an empty registry gives the same
// values, byte for byte, and exports again to the same file; a full backup
// also deletes everything first and carries the Run value, so that it
// restores exactly what was saved.
#include <string>
#include <string_view>
#include <vector>

#include "regfile/reg_file.h"
#include "regfile/reg_image.h"
#include "setup/reg_access.h"

// The keys of the configuration below HKEY_CURRENT_USER: the system's key
// with all below it, the sound scheme of the application, and the display
// names of its events.
std::vector<std::string> ConfigurationKeys(const TRegAccess& registry);

enum class TExportKind {
    Plain,       // the configuration's keys and values
    FullBackup,  // the same after a delete line for each of its trees, and the Run value
};
std::string ExportConfiguration(const TRegAccess& registry, TExportKind kind);

// Files larger than this are not read.
inline constexpr std::size_t LargestImport = 1024 * 1024;

// A file read, checked and compared with the registry, not yet written.
struct TImportPlan {
    std::string Failure;  // why it cannot be imported (German, with the line); empty when it can
    TRegFile File;
    std::vector<TRegChange> Changes;
};
TImportPlan PlanImport(const TRegAccess& registry, const std::string& fileName, std::string_view bytes);

// "Neu: ...", "Geändert: ...", "Gelöscht: ...", one line each, at most
// `lines` lines and then how many more.
std::string DescribeChanges(const std::vector<TRegChange>& changes, std::size_t lines);

// Writes a planned file, all or nothing: on a failure the configuration is
// put back as the full backup taken before shows it. Empty on success,
// otherwise the failure (German, with the line).
std::string ImportPlanned(const TRegAccess& registry, const TImportPlan& plan, const std::string& backup);

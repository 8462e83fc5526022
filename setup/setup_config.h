#pragma once
// The whole configuration program's model: its pages, read together and
// written together by OK and "Übernehmen". Nothing is written before, and
// then only what changed.
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "setup/backups.h"
#include "setup/macro_page.h"
#include "setup/program_page.h"
#include "setup/reg_export.h"
#include "setup/settings_page.h"
#include "setup/sound_page.h"
#include "setup/umlaut_page.h"

class TSetupConfig {
public:
    TSetupConfig(const win::Platform& platform, const std::string& programFolder, TBackupFolder& backups);

    void Load();
    // Writes every changed value, page by page, after a backup of the whole
    // configuration. At the first failed write it stops: the message names
    // the value and Windows' reason; what was written before stays written,
    // the rest stays as it was in the registry and as the user left it on
    // the pages. Empty on success.
    std::string Save();
    bool HasChanges();
    // Reads a .reg file and tells what importing it would change; nothing
    // is written.
    TImportPlan PlanImport(const std::string& fileName, std::string_view bytes);
    // Writes a planned file after a backup, all or nothing, and reads every
    // page again; the running tray program refreshes its icon, which the
    // file may have hidden or shown. Empty on success, otherwise the
    // failure.
    std::string Import(const TImportPlan& plan);
    // A backup, read to be planned and imported like any file.
    std::vector<std::string> Backups();
    TImportPlan PlanRestore(const std::string& backup);
    std::string Export(TExportKind kind) { return ExportConfiguration(registry_, kind); }

    // The values that cannot be shown, each naming its value.
    std::vector<std::string> Problems();
    // The built-in rules as the pages now set them.
    TRuleState Rules();

    TSettingsPage Settings;
    TMacroPage Macros;
    TUmlautPage Umlauts;
    TSoundPage Sounds;
    TProgramPage Programs;

    const TRegAccess& Registry() const { return registry_; }

private:
    std::vector<TSlot*> AllSlots();
    void RefreshTrayIcon();
    // The full backup, kept in the backup folder; an error text, empty on
    // success.
    std::string TakeBackup(std::string& backup);

    const win::Platform& platform_;
    TRegAccess registry_;
    TBackupFolder& backups_;
};

// The folder of a program's file, with its final backslash.
std::string FolderOf(const std::string& path);

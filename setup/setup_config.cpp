#include "setup/setup_config.h"

#include "common/control_messages.h"
#include "platform/win_constants.h"
#include "setup/reg_export.h"

using namespace win;

TSetupConfig::TSetupConfig(const Platform& platform, const std::string& programFolder, TBackupFolder& backups)
    : Settings(programFolder), platform_(platform), registry_(platform.registry, HKEY_CURRENT_USER),
      backups_(backups) {}

void TSetupConfig::Load() {
    Settings.Load(registry_);
    Macros.Load(registry_);
    Umlauts.Load(registry_);
    Sounds.Load(registry_);
    Programs.Load(registry_);
}

std::vector<TSlot*> TSetupConfig::AllSlots() {
    std::vector<TSlot*> slots;
    for (auto page : {Settings.Slots(), Macros.Slots(), Umlauts.Slots(), Sounds.Slots(), Programs.Slots()}) {
        slots.insert(slots.end(), page.begin(), page.end());
    }
    return slots;
}

bool TSetupConfig::HasChanges() {
    for (TSlot* slot : AllSlots()) {
        if (slot->Changed()) return true;
    }
    return false;
}

std::string TSetupConfig::TakeBackup(std::string& backup) {
    backup = ExportConfiguration(registry_, TExportKind::FullBackup);
    SystemTime now{};
    platform_.system.GetLocalTime(&now);
    std::string failure = KeepBackup(backups_, now, backup);
    return failure.empty() ? failure : "Die Sicherung konnte nicht geschrieben werden: " + failure;
}

std::string TSetupConfig::Save() {
    if (!HasChanges()) return std::string();
    std::string backup;
    std::string failure = TakeBackup(backup);
    if (!failure.empty()) return failure;
    bool iconChanging = Settings.HideIconChanged();
    bool soundsChanged = false;
    for (TSlot* slot : Sounds.Slots()) soundsChanged = soundsChanged || slot->Changed();
    for (TSlot* slot : AllSlots()) {
        std::int32_t status = slot->Save(registry_);
        if (status != ERROR_SUCCESS) {
            failure = WriteFailure(platform_.system, slot->Name(), status);
            break;
        }
    }
    // The icon setting may have been written before a later write failed.
    if (iconChanging && !Settings.HideIconChanged()) RefreshTrayIcon();
    if (failure.empty()) Macros.Saved();
    if (failure.empty() && soundsChanged) failure = RegisterSoundEvents(registry_, platform_.system);
    return failure;
}

TImportPlan TSetupConfig::PlanImport(const std::string& fileName, std::string_view bytes) {
    return ::PlanImport(registry_, fileName, bytes);
}

std::string TSetupConfig::Import(const TImportPlan& plan) {
    if (!plan.Failure.empty()) return plan.Failure;
    std::string backup;
    std::string failure = TakeBackup(backup);
    if (failure.empty()) failure = ImportPlanned(registry_, plan, backup);
    Load();
    RefreshTrayIcon();
    return failure;
}

std::vector<std::string> TSetupConfig::Backups() { return BackupNames(backups_); }

TImportPlan TSetupConfig::PlanRestore(const std::string& backup) {
    std::optional<std::string> bytes = backups_.Read(backup);
    if (!bytes) {
        TImportPlan plan;
        plan.Failure = backup + ": die Sicherung kann nicht gelesen werden.";
        return plan;
    }
    return PlanImport(backup, *bytes);
}

void TSetupConfig::RefreshTrayIcon() {
    Window control = FindControlWindow(platform_.windows);
    if (control != 0) platform_.windows.PostMessageA(control, UM_REFRESHICON, 0, 0);
}

std::vector<std::string> TSetupConfig::Problems() {
    std::vector<std::string> problems;
    for (TSlot* slot : AllSlots()) {
        if (!slot->Problem().empty()) problems.push_back(slot->Problem());
    }
    return problems;
}

TRuleState TSetupConfig::Rules() {
    TRuleState rules;
    rules.EasyBackslash = Settings.Flag(opEasyBackslash);
    rules.NumDot = Settings.Flag(opNumDot);
    rules.EasyTab = Settings.Flag(opEasyTab);
    rules.LayoutCharacters = ReadLayoutCharacters(platform_.keyboard);
    TUmlautTable table = Settings.UmlautTable();
    if (Settings.Flag(opUmlautConversion) && table != TUmlautTable::None) {
        int index = table == TUmlautTable::Ascii ? 0 : 1;
        for (int key = 0; key < UmlautKeyCount; ++key) {
            for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                TSlot& cell = Umlauts.Cell(index, key, variant);
                if (!cell.Text().empty()) rules.UmlautNames.insert(cell.Name());
            }
        }
        for (const TOtherUmlautEntry& other : Umlauts.Others()) {
            std::optional<TMacroKey> key = ParseValueName(other.Slot.Name());
            if (other.Table == index && key && !other.Slot.Text().empty()) rules.UmlautNames.insert(ValueNameOf(*key));
        }
    }
    return rules;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

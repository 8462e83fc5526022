#include "setup/win32/files.h"
#include "setup/win32/pages.h"

namespace {

enum : int { ImportId = 600, ExportId, FullBackupId, BackupListId, RestoreId };
constexpr const char* RegFilter = "Registrierungsdateien (*.reg)\0*.reg\0Alle Dateien\0*.*\0";
// Lines of changes an import shows before it asks.
constexpr std::size_t ShownChanges = 25;

class TFilePageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Importieren / Exportieren"; }
    const char* HelpTopic() const override { return "9-importieren-exportieren"; }

    void Build() override {
        AddLabel(Window,
                 "Eine .reg-Datei (REGEDIT4 oder Version 5.00) mit Einstellungen, Makros und Kl\xE4ngen von "
                 "Zolvik32. Vor dem Schreiben zeigt das Programm, was sich \xE4ndert; vorher wird die "
                 "Konfiguration gesichert.",
                 6, 8, 340, 24);
        AddControl(Window, "BUTTON", "&Importieren...", BS_PUSHBUTTON | WS_TABSTOP, 6, 36, 80, 14, ImportId);
        AddLabel(Window,
                 "Exportiert wird die gespeicherte Konfiguration: Einstellungen, Makros, Umlaut-Tabellen, "
                 "Speaker-T\xF6ne, Kl\xE4nge und Programme.",
                 6, 62, 340, 16);
        AddControl(Window, "BUTTON", "&Vollst\xE4ndige Sicherung: l\xF6scht beim Importieren erst alles und "
                   "stellt genau diesen Stand wieder her (mit \"Mit Windows starten\")",
                   BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 6, 80, 340, 18, FullBackupId);
        CheckDlgButton(Window, FullBackupId, BST_CHECKED);
        AddControl(Window, "BUTTON", "&Exportieren...", BS_PUSHBUTTON | WS_TABSTOP, 6, 102, 80, 14, ExportId);
        AddLabel(Window,
                 "Vor jedem Speichern und jedem Import sichert das Programm die ganze Konfiguration "
                 "(die zehn neuesten bleiben):",
                 6, 128, 340, 16);
        AddLabel(Window, "&Sicherungen:", 6, 148, 60);
        AddControl(Window, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 70, 146, 200, 60, BackupListId);
        AddControl(Window, "BUTTON", "Sicherung &wiederherstellen...", BS_PUSHBUTTON | WS_TABSTOP, 70, 210, 120, 14,
                   RestoreId);
    }

    void Show() override {
        HWND list = GetDlgItem(Window, BackupListId);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const std::string& name : Config.Backups()) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    }

    void Command(int id, int code, HWND) override {
        if (code != BN_CLICKED && !(id == BackupListId && code == LBN_DBLCLK)) return;
        if (id == ImportId) Import();
        if (id == ExportId) Export();
        if (id == RestoreId || id == BackupListId) Restore();
    }

private:
    bool UnsavedChangesMayGo() {
        return !Config.HasChanges() ||
               Ask(Window, "Nicht \xFC" "bernommene \xC4nderungen gehen verloren. Trotzdem importieren?",
                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    }

    void Import() {
        if (!UnsavedChangesMayGo()) return;
        std::string path = AskOpenFile(Window, RegFilter, "Importieren");
        if (path.empty()) return;
        std::optional<std::string> bytes = ReadWholeFile(path, LargestImport);
        if (!bytes) {
            Ask(Window, path + ": die Datei kann nicht gelesen werden.", MB_OK | MB_ICONERROR);
            return;
        }
        ImportPlan(Config.PlanImport(path, *bytes));
    }

    void Restore() {
        auto index = SendDlgItemMessageA(Window, BackupListId, LB_GETCURSEL, 0, 0);
        std::vector<std::string> backups = Config.Backups();
        if (index < 0 || static_cast<std::size_t>(index) >= backups.size() || !UnsavedChangesMayGo()) return;
        ImportPlan(Config.PlanRestore(backups[static_cast<std::size_t>(index)]));
    }

    // Shows what the file changes and writes it only when the user agrees.
    void ImportPlan(const TImportPlan& plan) {
        if (!plan.Failure.empty()) {
            Ask(Window, plan.Failure, MB_OK | MB_ICONERROR);
            return;
        }
        std::string changes = plan.Changes.empty() ? "Kein Wert \xE4ndert sich.\r\n"
                                                   : DescribeChanges(plan.Changes, ShownChanges);
        if (Ask(Window, plan.File.FileName + "\r\n\r\n" + changes + "\r\nJetzt importieren?",
                MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
        std::string failure = Config.Import(plan);
        if (!failure.empty()) Ask(Window, failure, MB_OK | MB_ICONERROR);
        Host.ModelReplaced();
    }

    void Export() {
        if (Config.HasChanges() &&
            Ask(Window, "Nicht \xFC" "bernommene \xC4nderungen sind nicht in der Datei, nur was gespeichert ist. "
                        "Trotzdem exportieren?",
                MB_YESNO | MB_ICONWARNING) != IDYES) {
            return;
        }
        std::string path = AskSaveFile(Window, RegFilter, "Exportieren", "reg");
        if (path.empty()) return;
        bool full = IsDlgButtonChecked(Window, FullBackupId) == BST_CHECKED;
        std::string failure = WriteWholeFile(path, Config.Export(full ? TExportKind::FullBackup : TExportKind::Plain));
        if (!failure.empty()) Ask(Window, path + ": " + failure, MB_OK | MB_ICONERROR);
    }
};

}  // namespace

std::unique_ptr<TPage> MakeFilePage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TFilePageUi>(config, host);
}

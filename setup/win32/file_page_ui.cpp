#include <fstream>
#include <sstream>

#include "setup/reg_export.h"
#include "setup/win32/pages.h"

namespace {

constexpr int ImportId = 600;
constexpr int ExportId = 601;
constexpr const char* RegFilter = "Registrierungsdateien (*.reg)\0*.reg\0Alle Dateien\0*.*\0";

class TFilePageUi final : public TPage {
public:
    TFilePageUi(TSetupConfig& config, void (*reload)(void*), void* context)
        : TPage(config), reload_(reload), context_(context) {}

    const char* Title() const override { return "Importieren / Exportieren"; }

    void Build() override {
        AddLabel(Window,
                 "Eine .reg-Datei (REGEDIT4 oder Version 5.00) wird sofort in die Registrierung "
                 "\xFC" "bernommen; danach zeigen alle Seiten, was gespeichert ist.",
                 6, 8, 298, 24);
        AddControl(Window, "BUTTON", "&Importieren...", BS_PUSHBUTTON | WS_TABSTOP, 6, 36, 80, 14, ImportId);
        AddLabel(Window,
                 "Exportiert wird die gespeicherte Konfiguration: Einstellungen, Makros, Umlaut-Tabellen, "
                 "Speaker-T\xF6ne und Kl\xE4nge.",
                 6, 64, 298, 24);
        AddControl(Window, "BUTTON", "&Exportieren...", BS_PUSHBUTTON | WS_TABSTOP, 6, 92, 80, 14, ExportId);
    }

    void Show() override {}

    void Command(int id, int code, HWND) override {
        if (code != BN_CLICKED) return;
        if (id == ImportId) Import();
        if (id == ExportId) Export();
    }

private:
    void Import() {
        if (Config.HasChanges() &&
            MessageBoxA(Window, "Nicht \xFC" "bernommene \xC4nderungen gehen verloren. Trotzdem importieren?",
                        ProgramTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
        std::string path = AskOpenFile(Window, RegFilter, "Importieren");
        if (path.empty()) return;
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        std::string failure = Config.Import(path, bytes.str());
        if (!failure.empty()) MessageBoxA(Window, failure.c_str(), ProgramTitle, MB_OK | MB_ICONERROR);
        reload_(context_);
    }

    void Export() {
        std::string path = AskSaveFile(Window, RegFilter, "Exportieren", "reg");
        if (path.empty()) return;
        std::ofstream out(path, std::ios::binary);
        out << ExportConfiguration(Config.Registry());
        if (!out) MessageBoxA(Window, "Die Datei konnte nicht geschrieben werden.", ProgramTitle, MB_OK | MB_ICONERROR);
    }

    void (*reload_)(void*);
    void* context_;
};

}  // namespace

std::unique_ptr<TPage> MakeFilePage(TSetupConfig& config, void (*reload)(void*), void* context) {
    return std::make_unique<TFilePageUi>(config, reload, context);
}

#include "setup/win32/pages.h"

namespace {

constexpr int FirstCellId = 400;  // table * 16 + key * 4 + variant
constexpr int RestoreId = 440;

int CellId(int table, int key, int variant) {
    return FirstCellId + (table * UmlautKeyCount + key) * UmlautVariantCount + variant;
}

class TUmlautPageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Umlaute"; }
    const char* HelpTopic() const override { return "9-umlaute"; }

    // One row per key and variant; the ASCII table's column first, so that
    // Tab walks down one table and then the other.
    void Build() override {
        AddLabel(Window, "Taste", 8, 4, 90);
        for (int table = 0; table < 2; ++table) {
            // A mnemonic leads to the next control made after its label.
            AddLabel(Window, table == 0 ? "&ASCII-Tabelle" : "H&TML-Tabelle", 104 + table * 100, 4, 90);
            for (int key = 0; key < UmlautKeyCount; ++key) {
                for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                    int y = 14 + (key * UmlautVariantCount + variant) * 11;
                    if (table == 0) AddLabel(Window, UmlautCellLabel(key, variant), 8, y + 2, 94);
                    AddControl(Window, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 104 + table * 100, y, 90, 10,
                               CellId(table, key, variant));
                }
            }
        }
        AddControl(Window, "BUTTON", "\xDC" "bliche Tabellen &wiederherstellen", BS_PUSHBUTTON | WS_TABSTOP,
                   104, 194 - 6, 140, 13, RestoreId);
    }

    void Show() override {
        for (int table = 0; table < 2; ++table) {
            for (int key = 0; key < UmlautKeyCount; ++key) {
                for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                    SetItemText(Window, CellId(table, key, variant),
                                Config.Umlauts.Cell(table, key, variant).Text());
                }
            }
        }
    }

    void Command(int id, int code, HWND) override {
        if (id == RestoreId && code == BN_CLICKED) {
            Config.Umlauts.RestoreUsualTables();
            ShowQuietly();
            return;
        }
        if (id < FirstCellId || id >= FirstCellId + 2 * UmlautKeyCount * UmlautVariantCount || code != EN_CHANGE) return;
        int index = id - FirstCellId;
        int variant = index % UmlautVariantCount;
        int key = index / UmlautVariantCount % UmlautKeyCount;
        int table = index / (UmlautVariantCount * UmlautKeyCount);
        Config.Umlauts.Cell(table, key, variant).SetText(ItemText(Window, id));
    }
};

}  // namespace

std::unique_ptr<TPage> MakeUmlautPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TUmlautPageUi>(config, host);
}

#include "common/cp1252.h"
#include "setup/win32/pages.h"

namespace {

constexpr int FirstCellId = 400;  // table * 16 + key * 4 + variant
constexpr int RestoreId = 440;
constexpr int OthersId = 441;
constexpr int OtherTextId = 442;
constexpr int RemoveOtherId = 443;

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
                    AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 104 + table * 100, y, 90, 10,
                                   CellId(table, key, variant));
                }
            }
        }
        AddControl(Window, "BUTTON", "\xDC" "bliche Tabellen &wiederherstellen", BS_PUSHBUTTON | WS_TABSTOP,
                   104, 192, 140, 13, RestoreId);
        AddLabel(Window, "Weitere &Eintr\xE4ge:", 8, 214, 94);
        AddWideControl(Window, L"LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 104, 212, 200, 44, OthersId);
        AddLabel(Window, "Te&xt:", 8, 262, 94);
        AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 104, 260, 200, 12, OtherTextId);
        AddControl(Window, "BUTTON", "Ent&fernen", BS_PUSHBUTTON | WS_TABSTOP, 308, 259, 50, 13, RemoveOtherId);
    }

    void Show() override {
        HWND others = GetDlgItem(Window, OthersId);
        SendMessageA(others, LB_RESETCONTENT, 0, 0);
        for (const TOtherUmlautEntry& other : Config.Umlauts.Others()) {
            std::wstring line = Cp1252ToWide(TUmlautPage::OtherLabel(other) + ": ") +
                                (other.Slot.HasValue() ? other.Slot.WideText() : std::wstring(L"(entfernt)"));
            SendMessageW(others, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        }
        SendMessageA(others, LB_SETCURSEL, 0, 0);
        ShowOther();
        for (int table = 0; table < 2; ++table) {
            for (int key = 0; key < UmlautKeyCount; ++key) {
                for (int variant = 0; variant < UmlautVariantCount; ++variant) {
                    SetWideItemText(Window, CellId(table, key, variant),
                                    Config.Umlauts.Cell(table, key, variant).WideText());
                }
            }
        }
    }

    void Command(int id, int code, HWND) override {
        if (id == OthersId && code == LBN_SELCHANGE) {
            Showing = true;
            ShowOther();
            Showing = false;
            return;
        }
        if (id == OtherTextId && code == EN_CHANGE) {
            if (TOtherUmlautEntry* other = SelectedOther()) other->Slot.SetWideText(WideItemText(Window, id));
            return;
        }
        if (id == RemoveOtherId && code == BN_CLICKED) {
            if (TOtherUmlautEntry* other = SelectedOther()) other->Slot.Remove();
            int index = static_cast<int>(SendDlgItemMessageA(Window, OthersId, LB_GETCURSEL, 0, 0));
            ShowQuietly();
            SendDlgItemMessageA(Window, OthersId, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
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
        Config.Umlauts.Cell(table, key, variant).SetWideText(WideItemText(Window, id));
    }

private:
    TOtherUmlautEntry* SelectedOther();
    void ShowOther();
};

TOtherUmlautEntry* TUmlautPageUi::SelectedOther() {
    auto index = SendDlgItemMessageA(Window, OthersId, LB_GETCURSEL, 0, 0);
    auto& others = Config.Umlauts.Others();
    return index >= 0 && static_cast<std::size_t>(index) < others.size() ? &others[static_cast<std::size_t>(index)]
                                                                          : nullptr;
}

void TUmlautPageUi::ShowOther() {
    TOtherUmlautEntry* other = SelectedOther();
    SetWideItemText(Window, OtherTextId, other ? other->Slot.WideText() : std::wstring());
    EnableWindow(GetDlgItem(Window, OtherTextId), other && other->Slot.HasValue());
    EnableWindow(GetDlgItem(Window, RemoveOtherId), other && other->Slot.HasValue());
}

}  // namespace

std::unique_ptr<TPage> MakeUmlautPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TUmlautPageUi>(config, host);
}

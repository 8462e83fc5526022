#include "setup/win32/pages.h"

namespace {

constexpr int FirstFlagId = 200;
constexpr int DecimalDotId = 220;
constexpr int TableId = 221;
constexpr int AutostartId = 222;

// The tables in the order of the list; "keine" keeps a stored byte other
// than 0 and 1.
const char* const TableNames[] = {"ASCII (ae, oe, ue, ss)", "HTML (&auml; ...)", "keine"};

class TSettingsPageUi final : public TPage {
public:
    using TPage::TPage;

    const char* Title() const override { return "Einstellungen"; }
    const char* HelpTopic() const override { return "9-einstellungen"; }

    void Build() override {
        int y = 6;
        for (int i = 0; i < 9; ++i) {
            AddControl(Window, "BUTTON", SettingFlags[i].Label, BS_AUTOCHECKBOX | WS_TABSTOP, 8, y, 290, 10,
                       FirstFlagId + i);
            y += 13;
            if (SettingFlags[i].Option == opNumDot) {
                AddLabel(Window, "Dezimal&zeichen:", 20, y + 2, 60);
                AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 82, y, 40, 12, DecimalDotId);
                y += 16;
            }
            if (SettingFlags[i].Option == opUmlautConversion) {
                AddLabel(Window, "Umlaut-T&abelle:", 20, y + 2, 60);
                HWND list = AddControl(Window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL,
                                       82, y, 110, 60, TableId);
                for (const char* name : TableNames) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
                y += 18;
            }
        }
        AddControl(Window, "BUTTON", "Mit &Windows starten (Zolvik32.exe aus diesem Ordner)",
                   BS_AUTOCHECKBOX | WS_TABSTOP, 8, y + 4, 290, 10, AutostartId);
    }

    void Show() override {
        TSettingsPage& page = Config.Settings;
        for (int i = 0; i < 9; ++i) {
            CheckDlgButton(Window, FirstFlagId + i, page.Flag(SettingFlags[i].Option) ? BST_CHECKED : BST_UNCHECKED);
        }
        SetWideItemText(Window, DecimalDotId, page.DecimalDot());
        SendDlgItemMessageA(Window, TableId, CB_SETCURSEL, static_cast<WPARAM>(page.UmlautTable()), 0);
        CheckDlgButton(Window, AutostartId, page.StartWithWindows() ? BST_CHECKED : BST_UNCHECKED);
    }

    void Command(int id, int code, HWND) override {
        TSettingsPage& page = Config.Settings;
        if (id >= FirstFlagId && id < FirstFlagId + 9 && code == BN_CLICKED) {
            page.SetFlag(SettingFlags[id - FirstFlagId].Option, IsDlgButtonChecked(Window, id) == BST_CHECKED);
        } else if (id == DecimalDotId && code == EN_CHANGE) {
            page.SetDecimalDot(WideItemText(Window, id));
        } else if (id == TableId && code == CBN_SELCHANGE) {
            auto chosen = SendDlgItemMessageA(Window, id, CB_GETCURSEL, 0, 0);
            page.SetUmlautTable(static_cast<TUmlautTable>(chosen));
        } else if (id == AutostartId && code == BN_CLICKED) {
            page.SetStartWithWindows(IsDlgButtonChecked(Window, id) == BST_CHECKED);
        }
    }
};

}  // namespace

std::unique_ptr<TPage> MakeSettingsPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TSettingsPageUi>(config, host);
}

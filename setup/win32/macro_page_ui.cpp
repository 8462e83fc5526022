#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "common/control_messages.h"
#include "common/cp1252.h"
#include "platform/win32/win32_platform.h"
#include "setup/macro_text.h"
#include "setup/win32/library.h"
#include "setup/win32/pages.h"

namespace {

enum : int {
    SearchId = 300,
    ListId,
    CaptureId,
    ConflictId,
    TextId,
    DoesId,
    PreviewId,
    CommandId,
    InsertId,
    ArgumentLabelId,
    ArgumentId,
    BrowseId,
    SampleId,
    NewId,
    EnterId,
    DeleteId,
    UndoId,
    TestId,
    PlayId,
    UntriedId,
    FirstLabelId,
};

struct TCommandChoice {
    const char* Name;
    TMacroCommand Command;
};

const TCommandChoice Commands[] = {
    {"Datum (Windows-Format)", TMacroCommand::Date},
    {"Uhrzeit (Windows-Format)", TMacroCommand::Time},
    {"Datum in eigenem Format", TMacroCommand::DateFormat},
    {"Uhrzeit in eigenem Format", TMacroCommand::TimeFormat},
    {"Programm oder Dokument \xF6" "ffnen", TMacroCommand::Open},
    {"Umlautwandlung umschalten (ASCII)", TMacroCommand::UmlautAscii},
    {"Umlautwandlung umschalten (HTML)", TMacroCommand::UmlautHtml},
    {"EasyTab umschalten", TMacroCommand::EasyTab},
    {"NUM Punkt umschalten", TMacroCommand::NumDot},
    {"Windows herunterfahren", TMacroCommand::Shutdown},
};

// The controls below the list, from its lower edge down, in dialog units.
constexpr int FormHeight = 176;

win::SystemTime Now() {
    win::SystemTime now{};
    win::Win32Platform().system.GetLocalTime(&now);
    return now;
}

// Letters of code page 1252 in upper case, as the search compares them.
std::wstring Folded(const std::wstring& text) {
    std::wstring folded;
    for (wchar_t c : text) {
        std::optional<char> byte = CodePointToCp1252(static_cast<char32_t>(c));
        folded += byte ? Cp1252ToWide(UpperCase(std::string(1, *byte)))[0] : c;
    }
    return folded;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return Folded(text).find(Folded(part)) != std::wstring::npos;
}

class TMacroPageUi final : public TPage {
public:
    TMacroPageUi(TSetupConfig& config, TPageHost& host)
        : TPage(config, host), regional_(ReadRegionalFormats(win::Win32Platform().system)) {}

    const char* Title() const override { return "Makros"; }
    const char* HelpTopic() const override { return "9-makros"; }
    HWND KeyCaptureField() const override { return GetDlgItem(Window, CaptureId); }
    HWND TestField() const override { return GetDlgItem(Window, TestId); }

    // Made in tab order: the search, the list, the binding being edited,
    // its buttons, the test field.
    void Build() override {
        Label("S&uchen:", 0);
        AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 0, 0, 10, 12, SearchId);
        HWND list = AddWideControl(Window, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                                   0, 0, 10, 10, ListId);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        AddColumn(list, 0, L"Taste", 80);
        AddColumn(list, 1, L"Text/Befehl", 150);
        AddColumn(list, 2, L"Beschreibung", 200);
        Label("Tasten&kombination:", 1);
        HWND capture = AddControl(Window, "EDIT", "", ES_READONLY | WS_TABSTOP, 0, 0, 10, 12, CaptureId);
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(capture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CaptureProc)));
        SetWindowLongPtrA(capture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        AddWideControl(Window, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 0, 10, 10, ConflictId);
        Label("Te&xt:", 2);
        AddWideControl(Window, L"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 0,
                       10, 10, TextId);
        Label("Tut:", 3);
        AddWideControl(Window, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 0, 10, 8, DoesId);
        Label("Tippt:", 4);
        AddWideControl(Window, L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0, 10, 10,
                       PreviewId);
        Label("Be&fehl:", 5);
        HWND commands = AddControl(Window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0, 10, 120,
                                   CommandId);
        for (const TCommandChoice& choice : Commands) {
            SendMessageA(commands, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.Name));
        }
        SendMessageA(commands, CB_SETCURSEL, 0, 0);
        AddControl(Window, "BUTTON", "&Einf\xFCgen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, InsertId);
        AddControl(Window, "STATIC", "Fo&rmat:", SS_LEFT, 0, 0, 10, 8, ArgumentLabelId);
        AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 0, 0, 10, 12, ArgumentId);
        AddControl(Window, "BUTTON", "&Durchsuchen...", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, BrowseId);
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 0, 10, 8, SampleId);
        AddControl(Window, "BUTTON", "&Neu", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, NewId);
        AddControl(Window, "BUTTON", "E&intragen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, EnterId);
        AddControl(Window, "BUTTON", "&L\xF6schen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, DeleteId);
        AddControl(Window, "BUTTON", "R\xFC" "ckg\xE4ngi&g", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, UndoId);
        Label("&Testen:", 6);
        AddWideControl(Window, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 0, 0, 10, 12, TestId);
        AddControl(Window, "BUTTON", "Ab&spielen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 13, PlayId);
        AddWideControl(Window, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 0, 10, 8, UntriedId);
        ShowArgument();
        Layout();
    }

    void Layout() override {
        SIZE size = DialogUnits(Window);
        int w = std::max<int>(size.cx, 300);
        int form = std::max<int>(size.cy - FormHeight, 60);
        int field = w - 44;
        Place(Window, FirstLabelId, 4, 6, 30, 8);
        Place(Window, SearchId, 40, 4, w - 44, 12);
        Place(Window, ListId, 4, 20, w - 8, form - 22);
        int y = form + 2;
        Place(Window, FirstLabelId + 1, 4, y + 2, 70, 8);
        Place(Window, CaptureId, 76, y, 110, 12);
        Place(Window, ConflictId, 190, y, w - 194, 16);
        y += 18;
        Place(Window, FirstLabelId + 2, 4, y + 2, 34, 8);
        Place(Window, TextId, 40, y, field, 34);
        y += 37;
        Place(Window, FirstLabelId + 3, 4, y, 34, 8);
        Place(Window, DoesId, 40, y, field, 8);
        y += 10;
        Place(Window, FirstLabelId + 4, 4, y + 2, 34, 8);
        Place(Window, PreviewId, 40, y, field, 22);
        y += 26;
        Place(Window, FirstLabelId + 5, 4, y + 2, 34, 8);
        Place(Window, CommandId, 40, y, 150, 120);
        Place(Window, InsertId, 194, y, 50, 13);
        y += 16;
        Place(Window, ArgumentLabelId, 4, y + 2, 34, 8);
        Place(Window, ArgumentId, 40, y, field - 62, 12);
        Place(Window, BrowseId, w - 62, y, 58, 13);
        y += 14;
        Place(Window, SampleId, 40, y, field, 8);
        y += 11;
        Place(Window, NewId, 40, y, 48, 13);
        Place(Window, EnterId, 92, y, 48, 13);
        Place(Window, DeleteId, 144, y, 48, 13);
        Place(Window, UndoId, 196, y, 56, 13);
        y += 18;
        Place(Window, FirstLabelId + 6, 4, y + 2, 34, 8);
        Place(Window, TestId, 40, y, field - 62, 12);
        Place(Window, PlayId, w - 62, y, 58, 13);
        y += 14;
        Place(Window, UntriedId, 40, y, field, 8);
    }

    void Show() override {
        FillList();
        Select(nullptr);
    }

    void Command(int id, int code, HWND) override {
        switch (id) {
            case SearchId:
                if (code == EN_CHANGE) FillList();
                break;
            case TextId:
                if (code != EN_CHANGE) break;
                textEdited_ = true;
                ShowText();
                break;
            case ArgumentId:
                if (code == EN_CHANGE) ShowSample();
                break;
            case CommandId:
                if (code == CBN_SELCHANGE) ShowArgument();
                break;
            case InsertId: InsertCommand(); break;
            case BrowseId: Browse(); break;
            case NewId:
                if (LeaveBinding()) Select(nullptr);
                SetFocus(GetDlgItem(Window, CaptureId));
                break;
            case EnterId: EnterBinding(); break;
            case DeleteId: Delete(); break;
            case UndoId: Undo(); break;
            case PlayId: TryOut(); break;
            default: break;
        }
    }

    void Notify(const NMHDR& header) override {
        if (header.idFrom != ListId || header.code != LVN_ITEMCHANGED || filling_) return;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!(change.uNewState & LVIS_SELECTED) || (change.uOldState & LVIS_SELECTED)) return;
        auto entry = reinterpret_cast<TMacroEntry*>(change.lParam);
        if (entry == selected_) return;
        LeaveBinding();
        Select(Config.Macros.Find(entry->Combo));
    }

    bool Enter(HWND focus, bool ctrl) override {
        if (focus == GetDlgItem(Window, TextId) && !ctrl) return false;
        if (focus == GetDlgItem(Window, SearchId)) {
            SetFocus(GetDlgItem(Window, ListId));
            return true;
        }
        char className[16] = {};
        GetClassNameA(focus, className, sizeof className);
        if (std::string(className) == "Button") return false;
        EnterBinding();
        return true;
    }

    bool HasPending() const override {
        std::wstring text = WideItemText(Window, TextId);
        if (!selected_) return draftKey_.has_value() || !text.empty();
        return textEdited_ || !draftKey_ || ValueNameOf(*draftKey_) != ValueNameOf(selected_->Combo);
    }

    bool EnterPending() override { return !HasPending() || EnterBinding(); }

private:
    void Label(const char* text, int index) { AddControl(Window, "STATIC", text, SS_LEFT, 0, 0, 10, 8, FirstLabelId + index); }

    static void AddColumn(HWND list, int index, const wchar_t* title, int width) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(title);
        column.cx = width;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }

    static LRESULT CALLBACK CaptureProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
        auto page = reinterpret_cast<TMacroPageUi*>(GetWindowLongPtrA(field, GWLP_USERDATA));
        switch (message) {
            case WM_GETDLGCODE: {
                auto msg = reinterpret_cast<const MSG*>(lParam);
                bool tab = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB;
                return tab ? 0 : DLGC_WANTALLKEYS;
            }
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYUP:
                page->Captured(static_cast<std::uint16_t>(wParam), static_cast<std::uint32_t>(lParam));
                return 0;
            case WM_CHAR:
            case WM_SYSCHAR:
            case WM_DEADCHAR:
            case WM_SYSDEADCHAR:
                return 0;
            case WM_SETFOCUS:
                page->capture_.Clear();
                break;
            default:
                break;
        }
        return CallWindowProcA(page->original_, field, message, wParam, lParam);
    }

    void Captured(std::uint16_t virtualKey, std::uint32_t keyData) {
        HWND field = GetDlgItem(Window, CaptureId);
        if (!capture_.Key(virtualKey, keyData)) {
            // Modifiers going down show as they are held; releasing them
            // leaves the recorded combination in view.
            bool press = !(keyData & 0x80000000u);
            if (press && !capture_.Held().empty()) SetWindowTextA(field, capture_.Held().c_str());
            return;
        }
        SetWindowTextA(field, capture_.Shown().c_str());
        draftKey_ = capture_.Combo();
        if (!draftKey_) {
            SetItemText(Window, ConflictId, capture_.Refusal());
            return;
        }
        TMacroEntry* bound = Config.Macros.Find(*draftKey_);
        if (bound && !selected_) {
            // Keys that are bound already select that binding; the text
            // being typed stays and replaces its text when entered.
            selected_ = bound;
            SelectInList(bound);
            if (WideItemText(Window, TextId).empty()) {
                ShowStoredText(bound->Slot.WideText());
                textEdited_ = false;
            }
            SetWideItemText(Window, ConflictId, Cp1252ToWide(ComboName(*draftKey_) + " ist schon belegt (") +
                                                    DescribeMacro(bound->Slot.WideText()) +
                                                    L"); Eintragen ersetzt den Text.");
            return;
        }
        SetItemText(Window, ConflictId, Config.Macros.Check(*draftKey_, Config.Rules(), selected_).Reason);
    }

    void FillList() {
        filling_ = true;
        HWND list = GetDlgItem(Window, ListId);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        std::wstring search = WideItemText(Window, SearchId);
        int row = 0;
        for (const auto& entry : Config.Macros.Entries()) {
            std::wstring key = Cp1252ToWide(ComboName(entry->Combo));
            std::wstring text = OneLineText(entry->Slot.WideText());
            std::wstring what = entry->Slot.Problem().empty() ? DescribeMacro(entry->Slot.WideText())
                                                              : Cp1252ToWide(entry->Slot.Problem());
            if (!search.empty() && !Contains(key, search) && !Contains(text, search) && !Contains(what, search)) continue;
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row++;
            item.pszText = key.data();
            item.lParam = reinterpret_cast<LPARAM>(entry.get());
            int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            SetCell(list, index, 1, text);
            SetCell(list, index, 2, what);
        }
        SelectInList(selected_);
        filling_ = false;
    }

    static void SetCell(HWND list, int row, int column, std::wstring text) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }

    void SelectInList(const TMacroEntry* entry) {
        bool filling = filling_;
        filling_ = true;
        HWND list = GetDlgItem(Window, ListId);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; entry && row < count; ++row) {
            LVITEMW item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            if (reinterpret_cast<const TMacroEntry*>(item.lParam) != entry) continue;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
            SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        }
        filling_ = filling;
    }

    // Shows a binding in the fields, or empty fields for a new one.
    void Select(TMacroEntry* entry) {
        selected_ = entry;
        draftKey_ = entry ? std::optional<TMacroKey>(entry->Combo) : std::nullopt;
        capture_.Clear();
        SelectInList(entry);
        SetItemText(Window, CaptureId, entry ? ComboName(entry->Combo) : "");
        ShowStoredText(entry ? entry->Slot.WideText() : std::wstring());
        SetItemText(Window, ConflictId, entry ? entry->Slot.Problem() : "");
        SetItemText(Window, UntriedId, "");
        textEdited_ = false;
        EnableWindow(GetDlgItem(Window, DeleteId), entry != nullptr);
        EnableWindow(GetDlgItem(Window, UndoId), Config.Macros.CanUndoRemove());
    }

    void ShowStoredText(const std::wstring& storedText) {
        bool showing = Showing;
        Showing = true;
        SetWideItemText(Window, TextId, ShownText(storedText));
        Showing = showing;
        ShowText();
    }

    std::wstring StoredText() const { return StoreShownText(WideItemText(Window, TextId)); }

    void ShowText() {
        std::wstring stored = StoredText();
        SetWideItemText(Window, DoesId, DescribeMacro(stored));
        SetWideItemText(Window, PreviewId, PreviewMacro(stored, regional_, Now()));
    }

    // Before another binding is shown: the changes to this one are entered
    // when the user wants them.
    bool LeaveBinding() {
        if (!HasPending()) return true;
        if (Ask(Window, "Die \xC4nderungen an der Belegung eintragen?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return true;
        }
        return EnterBinding();
    }

    bool EnterBinding() {
        std::wstring text = StoredText();
        if (!draftKey_) {
            std::string reason = capture_.Refusal().empty() ? "Zuerst die Tastenkombination im Feld dr\xFC" "cken."
                                                            : capture_.Refusal();
            return Refuse(reason);
        }
        TConflict conflict = Config.Macros.Check(*draftKey_, Config.Rules(), selected_);
        if (conflict.Refused) return Refuse(conflict.Reason);
        if (!conflict.Reason.empty() &&
            Ask(Window, conflict.Reason + "\r\n\r\nTrotzdem eintragen?", MB_YESNO | MB_ICONWARNING) != IDYES) {
            return false;
        }
        std::string refused = selected_ ? Config.Macros.Rebind(*selected_, *draftKey_, Config.Rules())
                                        : Config.Macros.Add(*draftKey_, text, Config.Rules());
        if (!refused.empty()) return Refuse(refused);
        TMacroEntry* entry = Config.Macros.Find(*draftKey_);
        Config.Macros.SetText(*entry, text);
        selected_ = entry;
        FillList();
        Select(entry);
        return true;
    }

    bool Refuse(const std::string& reason) {
        MessageBeep(MB_ICONEXCLAMATION);
        SetItemText(Window, ConflictId, reason);
        return false;
    }

    void Delete() {
        if (!selected_) return;
        Config.Macros.Remove(*selected_);
        selected_ = nullptr;
        FillList();
        Select(nullptr);
    }

    void Undo() {
        std::string reason;
        TMacroEntry* entry = Config.Macros.UndoRemove(reason);
        FillList();
        Select(entry);
        if (!reason.empty()) Refuse(reason);
    }

    TMacroCommand ChosenCommand() const {
        auto index = SendDlgItemMessageA(Window, CommandId, CB_GETCURSEL, 0, 0);
        return Commands[index < 0 ? 0 : index].Command;
    }

    // The argument field fits the command: a format, a file, or nothing.
    void ShowArgument() {
        TCommandArgument argument = ArgumentOf(ChosenCommand());
        SetItemText(Window, ArgumentLabelId, argument == TCommandArgument::File ? "D&atei:" : "Fo&rmat:");
        SetWideItemText(Window, ArgumentId, L"");
        EnableWindow(GetDlgItem(Window, ArgumentLabelId), argument != TCommandArgument::None);
        EnableWindow(GetDlgItem(Window, ArgumentId), argument != TCommandArgument::None);
        EnableWindow(GetDlgItem(Window, BrowseId), argument == TCommandArgument::File);
        ShowSample();
    }

    // The own format's live example: today, in the format being typed.
    void ShowSample() {
        std::string sample;
        if (ArgumentOf(ChosenCommand()) == TCommandArgument::Format) {
            sample = "Heute: " + FormatTimestamp(regional_, WideToCp1252(WideItemText(Window, ArgumentId)), Now());
        }
        SetItemText(Window, SampleId, sample);
    }

    void InsertCommand() {
        TCommandResult result =
            AppendCommand(WideItemText(Window, TextId), ChosenCommand(), WideItemText(Window, ArgumentId));
        if (!result.Ok) {
            Refuse(result.Reason);
            return;
        }
        SetWideItemText(Window, TextId, result.Text);
    }

    void Browse() {
        std::string path = AskOpenFile(Window, "Programme und Dokumente\0*.*\0", "Programm oder Dokument");
        if (!path.empty()) SetWideItemText(Window, ArgumentId, Cp1252ToWide(path));
    }

    // The running system types the text into the test field; what else it
    // would do is named beside it.
    void TryOut() {
        std::wstring text = StoredText();
        if (FindControlWindow(win::Win32Platform().windows) == 0) {
            SetItemText(Window, UntriedId, "Zolvik32 l\xE4uft nicht; zum Testen Zolvik32 starten.");
            return;
        }
        std::wstring untried = DescribeCommands(text);
        SetWideItemText(Window, UntriedId, untried.empty() ? L"" : L"Nicht ausgef\xFChrt: " + untried);
        SetWideItemText(Window, TestId, L"");
        SetFocus(GetDlgItem(Window, TestId));
        TryMacroInLibrary(text);
    }

    TRegionalFormats regional_;
    WNDPROC original_ = nullptr;
    TKeyCapture capture_;
    std::optional<TMacroKey> draftKey_;
    TMacroEntry* selected_ = nullptr;
    bool textEdited_ = false;
    bool filling_ = false;
};

}  // namespace

std::unique_ptr<TPage> MakeMacroPage(TSetupConfig& config, TPageHost& host) {
    return std::make_unique<TMacroPageUi>(config, host);
}

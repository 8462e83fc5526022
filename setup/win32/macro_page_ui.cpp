#include <optional>
#include <vector>

#include "common/cp1252.h"
#include "platform/win32/win32_platform.h"
#include "setup/macro_text.h"
#include "setup/win32/pages.h"

namespace {

enum : int {
    ListId = 300,
    CaptureId,
    ConflictId,
    TextId,
    DoesId,
    PreviewId,
    CommandId,
    ArgumentId,
    BrowseId,
    InsertId,
    NewId,
    EnterId,
    DeleteId,
    SampleId,
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

win::SystemTime Now() {
    win::SystemTime now{};
    win::Win32Platform().system.GetLocalTime(&now);
    return now;
}

// Printable in one line of a list box.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    return line.size() > 48 ? line.substr(0, 48) + "..." : line;
}

class TMacroPageUi final : public TPage {
public:
    TMacroPageUi(TSetupConfig& config, HWND& captureField)
        : TPage(config), captureField_(captureField),
          regional_(ReadRegionalFormats(win::Win32Platform().system)) {}

    const char* Title() const override { return "Makros"; }

    void Build() override {
        AddLabel(Window, "&Liste der Tastenbelegungen:", 6, 4, 200);
        AddControl(Window, "LISTBOX", "", LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                   6, 14, 298, 62, ListId);
        int stops[] = {64, 150};
        SendDlgItemMessageA(Window, ListId, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
        AddLabel(Window, "Tasten&kombination (hier dr\xFC" "cken):", 6, 82, 130);
        captureField_ = AddControl(Window, "EDIT", "", ES_READONLY | WS_TABSTOP, 136, 80, 100, 12, CaptureId);
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(captureField_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CaptureProc)));
        SetWindowLongPtrA(captureField_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 6, 95, 298, 8, ConflictId);
        AddLabel(Window, "Te&xt:", 6, 108, 30);
        AddControl(Window, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 36, 106, 268, 12, TextId);
        AddLabel(Window, "Tut:", 6, 122, 30);
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 36, 122, 268, 8, DoesId);
        AddLabel(Window, "Tippt:", 6, 132, 30);
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 36, 132, 268, 8, PreviewId);
        AddLabel(Window, "Be&fehl:", 6, 148, 30);
        HWND list = AddControl(Window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 36, 146, 130,
                               120, CommandId);
        for (const TCommandChoice& choice : Commands) {
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.Name));
        }
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        AddControl(Window, "BUTTON", "&Einf\xFCgen", BS_PUSHBUTTON | WS_TABSTOP, 170, 146, 50, 13, InsertId);
        AddLabel(Window, "Fo&rmat/Datei:", 6, 164, 48);
        AddControl(Window, "EDIT", "dd.mm.yyyy", ES_AUTOHSCROLL | WS_TABSTOP, 56, 162, 164, 12, ArgumentId);
        AddControl(Window, "BUTTON", "&Durchsuchen...", BS_PUSHBUTTON | WS_TABSTOP, 224, 161, 60, 13, BrowseId);
        AddControl(Window, "STATIC", "", SS_LEFT | SS_NOPREFIX, 56, 176, 240, 8, SampleId);
        AddControl(Window, "BUTTON", "&Neu", BS_PUSHBUTTON | WS_TABSTOP, 6, 188, 50, 13, NewId);
        AddControl(Window, "BUTTON", "Ein&tragen", BS_PUSHBUTTON | WS_TABSTOP, 60, 188, 60, 13, EnterId);
        AddControl(Window, "BUTTON", "L\xF6s&chen", BS_PUSHBUTTON | WS_TABSTOP, 124, 188, 50, 13, DeleteId);
        ShowSample();
    }

    void Show() override {
        HWND list = GetDlgItem(Window, ListId);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const auto& entry : Config.Macros.Entries()) {
            std::string what = entry->Slot.Problem().empty() ? DescribeMacro(entry->Slot.Text())
                                                             : entry->Slot.Problem();
            std::string line = ComboName(entry->Combo) + "\t" + OneLine(entry->Slot.Text()) + "\t" + OneLine(what);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        }
        Select(-1);
    }

    void Command(int id, int code, HWND) override {
        switch (id) {
            case ListId:
                if (code == LBN_SELCHANGE) Select(static_cast<int>(SendDlgItemMessageA(Window, ListId, LB_GETCURSEL, 0, 0)));
                break;
            case TextId:
                if (code != EN_CHANGE) break;
                // The text of a binding in the list changes with the field.
                if (TMacroEntry* entry = Selected()) Config.Macros.SetText(*entry, ItemText(Window, TextId));
                ShowText();
                break;
            case ArgumentId:
                if (code == EN_CHANGE) ShowSample();
                break;
            case CommandId:
                if (code == CBN_SELCHANGE) ShowSample();
                break;
            case InsertId: InsertCommand(); break;
            case BrowseId: Browse(); break;
            case NewId: Select(-1); SetFocus(captureField_); break;
            case EnterId: Enter(); break;
            case DeleteId: Delete(); break;
            default: break;
        }
    }

private:
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
        bool done = capture_.Key(virtualKey, keyData);
        if (!done) {
            // Modifiers going down show as they are held; releasing them
            // leaves the recorded combination in view.
            bool press = !(keyData & 0x80000000u);
            if (press && !capture_.Held().empty()) SetWindowTextA(captureField_, capture_.Held().c_str());
            return;
        }
        combo_ = capture_.Combo();
        SetWindowTextA(captureField_, capture_.Shown().c_str());
        if (!combo_) {
            SetItemText(Window, ConflictId, capture_.Refusal());
            return;
        }
        // A new binding for keys that are bound already changes that one.
        int bound = BindingOf(*combo_);
        if (!Selected() && bound >= 0) {
            Select(bound);
            SetItemText(Window, ConflictId, ComboName(*combo_) + " ist schon belegt; hier den Text \xE4ndern.");
            return;
        }
        TConflict conflict = Config.Macros.Check(*combo_, Config.Rules(), Selected());
        SetItemText(Window, ConflictId, conflict.Reason);
    }

    int BindingOf(const TMacroKey& combo) const {
        const auto& entries = Config.Macros.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].get() == Config.Macros.Find(combo)) return static_cast<int>(i);
        }
        return -1;
    }

    TMacroEntry* Selected() const {
        return selected_ >= 0 ? Config.Macros.Entries()[static_cast<std::size_t>(selected_)].get() : nullptr;
    }

    void Select(int index) {
        Showing = true;
        selected_ = index;
        SendDlgItemMessageA(Window, ListId, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        TMacroEntry* entry = Selected();
        combo_ = entry ? std::optional<TMacroKey>(entry->Combo) : std::nullopt;
        SetWindowTextA(captureField_, entry ? ComboName(entry->Combo).c_str() : "");
        SetItemText(Window, TextId, entry ? entry->Slot.Text() : "");
        SetItemText(Window, ConflictId, entry ? entry->Slot.Problem() : "");
        Showing = false;
        ShowText();
    }

    void ShowText() {
        std::string text = ItemText(Window, TextId);
        SetItemText(Window, DoesId, DescribeMacro(text));
        SetItemText(Window, PreviewId, OneLine(PreviewMacro(text, regional_, Now())));
    }

    TMacroCommand ChosenCommand() const {
        auto index = SendDlgItemMessageA(Window, CommandId, CB_GETCURSEL, 0, 0);
        return Commands[index < 0 ? 0 : index].Command;
    }

    // The own format's live example: today, in the format being typed.
    void ShowSample() {
        TMacroCommand command = ChosenCommand();
        std::string sample;
        if (command == TMacroCommand::DateFormat || command == TMacroCommand::TimeFormat) {
            sample = "Heute: " + FormatTimestamp(regional_, ItemText(Window, ArgumentId), Now());
        }
        SetItemText(Window, SampleId, sample);
    }

    void InsertCommand() {
        TCommandResult result = AppendCommand(Cp1252ToWide(ItemText(Window, TextId)), ChosenCommand(),
                                              Cp1252ToWide(ItemText(Window, ArgumentId)));
        if (!result.Ok) {
            MessageBeep(MB_ICONEXCLAMATION);
            SetItemText(Window, ConflictId, result.Reason);
            return;
        }
        SetItemText(Window, TextId, WideToCp1252(result.Text));
    }

    void Browse() {
        std::string path = AskOpenFile(Window, "Programme und Dokumente\0*.*\0", "Programm oder Dokument");
        if (path.empty()) return;
        SetItemText(Window, ArgumentId, path);
        SendDlgItemMessageA(Window, CommandId, CB_SETCURSEL, 4, 0);
        ShowSample();
    }

    void Enter() {
        std::string text = ItemText(Window, TextId);
        std::string refused;
        if (!combo_) {
            refused = "Zuerst die Tastenkombination im Feld dr\xFC" "cken.";
        } else if (TMacroEntry* entry = Selected()) {
            refused = Config.Macros.Rebind(*entry, *combo_, Config.Rules());
            if (refused.empty()) Config.Macros.SetText(*entry, text);
        } else {
            refused = Config.Macros.Add(*combo_, text, Config.Rules());
        }
        if (!refused.empty()) {
            MessageBeep(MB_ICONEXCLAMATION);
            SetItemText(Window, ConflictId, refused);
            return;
        }
        Show();
    }

    void Delete() {
        if (TMacroEntry* entry = Selected()) Config.Macros.Remove(*entry);
        Show();
    }

    HWND& captureField_;
    WNDPROC original_ = nullptr;
    TRegionalFormats regional_;
    TKeyCapture capture_;
    std::optional<TMacroKey> combo_;
    int selected_ = -1;
};

}  // namespace

std::unique_ptr<TPage> MakeMacroPage(TSetupConfig& config, HWND& captureField) {
    return std::make_unique<TMacroPageUi>(config, captureField);
}

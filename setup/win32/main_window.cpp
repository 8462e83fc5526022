#include "setup/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

// Windows 8.1 and later tell a program that is aware of the monitors' DPI
// that its window moved to a monitor of another DPI; the headers declare it
// only for those versions.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

enum : int { TabsId = 100, ApplyId, ProblemsId, HelpId };

// The window's parts in dialog units: the tab strip above a row of
// buttons.
constexpr int Margin = 4;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonRow = 20;

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

}  // namespace

TMainWindow::TMainWindow(TSetupConfig& config, const std::string& programFolder)
    : config_(config), programFolder_(programFolder) {
    pages_.push_back(MakeSettingsPage(config, *this));
    pages_.push_back(MakeMacroPage(config, *this));
    pages_.push_back(MakeUmlautPage(config, *this));
    pages_.push_back(MakeSoundPage(config, *this));
    pages_.push_back(MakeProgramPage(config, *this));
    pages_.push_back(MakeFilePage(config, *this));
}

HWND TMainWindow::Create() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), nullptr, Proc,
                              reinterpret_cast<LPARAM>(this));
}

// Made in tab order: the tab strip, the pages right after it, then the
// buttons.
void TMainWindow::Build() {
    SetWindowTextA(window_, ProgramTitle);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    tabs_ = AddControl(window_, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 10, 10, TabsId);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(pages_[i]->Title());
        SendMessageA(tabs_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    HWND previous = tabs_;
    for (auto& page : pages_) {
        HWND child = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), window_, PageProc,
                                        reinterpret_cast<LPARAM>(page.get()));
        SetWindowPos(child, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
        previous = child;
    }
    AddControl(window_, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0, 0, 10, 10, ProblemsId);
    AddControl(window_, "BUTTON", "&Hilfe", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, HelpId);
    AddControl(window_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, IDOK);
    AddControl(window_, "BUTTON", "Abbrechen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, IDCANCEL);
    AddControl(window_, "BUTTON", "&\xDC" "bernehmen", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, ApplyId);
    RECT window;
    GetWindowRect(window_, &window);
    smallest_ = SIZE{window.right - window.left, window.bottom - window.top};
    Layout();
    ShowPages();
    ShowTab(0);
}

void TMainWindow::Layout() {
    SIZE size = DialogUnits(window_);
    int bottom = size.cy - ButtonRow;
    Place(window_, TabsId, Margin, Margin, size.cx - 2 * Margin, bottom - Margin);
    int x = size.cx - Margin - 4 * (ButtonWidth + Margin) + Margin;
    Place(window_, ProblemsId, Margin + 2, bottom + 3, x - 3 * Margin, 16);
    for (int id : {int(HelpId), int(IDOK), int(IDCANCEL), int(ApplyId)}) {
        Place(window_, id, x, bottom + 4, ButtonWidth, ButtonHeight);
        x += ButtonWidth + Margin;
    }
    RECT area;
    GetWindowRect(tabs_, &area);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (auto& page : pages_) {
        SetWindowPos(page->Window, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

// Every page shows the model; values that cannot be shown are named below
// the pages.
void TMainWindow::ShowPages() {
    for (auto& page : pages_) {
        page->Showing = true;
        page->Show();
        page->Showing = false;
    }
    std::string problems;
    for (const std::string& problem : config_.Problems()) problems += (problems.empty() ? "" : "; ") + problem;
    SetItemText(window_, ProblemsId, problems);
}

void TMainWindow::ModelReplaced() { ShowPages(); }

void TMainWindow::ShowTab(int index) {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        ShowWindow(pages_[i]->Window, static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
    }
    SendMessageA(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The focus goes to the tab strip, as in Windows' own property sheets, so
// that no control of the page left behind keeps it; Tab leads into the page.
void TMainWindow::TurnPage(int step) {
    int count = static_cast<int>(pages_.size());
    int current = static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0));
    ShowTab((current + step + count) % count);
    SetFocus(tabs_);
}

TPage& TMainWindow::CurrentPage() const {
    auto current = SendMessageA(tabs_, TCM_GETCURSEL, 0, 0);
    return *pages_[current < 0 ? 0 : static_cast<std::size_t>(current)];
}

HWND TMainWindow::TestField() const {
    for (const auto& page : pages_) {
        if (HWND field = page->TestField()) return field;
    }
    return nullptr;
}

// The user guide as HTML pages, one a section, beside the program: the
// shell would drop a "#section" from a file path.
void TMainWindow::OpenHelp() {
    std::string file = programFolder_ + "Dokumentation\\" + CurrentPage().HelpTopic() + ".html";
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(window_, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) Ask(window_, "Die Hilfe fehlt: " + file, MB_OK | MB_ICONEXCLAMATION);
}

bool TMainWindow::PreTranslate(const MSG& message) {
    HWND focus = GetFocus();
    for (const auto& page : pages_) {
        HWND capture = page->KeyCaptureField();
        bool tab = message.wParam == VK_TAB && (message.message == WM_KEYDOWN || message.message == WM_KEYUP);
        bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
        // Keys pressed in the capture field go to it alone: the dialog
        // manager would take Alt+key for a mnemonic and Enter for OK. Tab
        // still leaves it.
        if (capture && message.hwnd == capture && key && !tab) {
            DispatchMessageW(&message);
            return true;
        }
    }
    if (!IsKeyDown(message.message)) return false;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (message.wParam == VK_TAB && ctrl) {
        TurnPage(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return true;
    }
    if (message.wParam == VK_F1) {
        OpenHelp();
        return true;
    }
    if (message.wParam == VK_RETURN && IsChild(CurrentPage().Window, focus)) return CurrentPage().Enter(focus, ctrl);
    return false;
}

bool TMainWindow::Save() {
    for (auto& page : pages_) {
        if (!page->EnterPending()) {
            ShowTab(static_cast<int>(&page - &pages_.front()));
            return false;
        }
    }
    std::string failure = config_.Save();
    if (failure.empty()) return true;
    Ask(window_, failure, MB_OK | MB_ICONERROR);
    return false;
}

void TMainWindow::Leave() {
    bool pending = config_.HasChanges();
    for (const auto& page : pages_) pending = pending || page->HasPending();
    if (!pending) {
        Close();
        return;
    }
    switch (Ask(window_, "\xC4nderungen speichern?", MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            if (Save()) Close();
            break;
        case IDNO:
            Close();
            break;
        default:
            break;
    }
}

void TMainWindow::Close() {
    DestroyWindow(window_);
    PostQuitMessage(0);
}

INT_PTR CALLBACK TMainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<TMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_INITDIALOG:
            self = reinterpret_cast<TMainWindow*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
            self->window_ = window;
            self->Build();
            return TRUE;
        case WM_SIZE:
            if (self && self->tabs_) self->Layout();
            return TRUE;
        case WM_GETMINMAXINFO:
            if (self && self->smallest_.cx) {
                auto limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = POINT{self->smallest_.cx, self->smallest_.cy};
            }
            return TRUE;
        case WM_DPICHANGED: {
            auto suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return TRUE;
        }
        case WM_NOTIFY: {
            auto header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == TabsId && header->code == TCN_SELCHANGE) {
                self->ShowTab(static_cast<int>(SendMessageA(self->tabs_, TCM_GETCURSEL, 0, 0)));
            }
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    if (self->Save()) self->Close();
                    return TRUE;
                case ApplyId:
                    if (self->Save()) self->ShowPages();
                    return TRUE;
                case IDCANCEL:
                    self->Leave();
                    return TRUE;
                case HelpId:
                    self->OpenHelp();
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            self->Leave();
            return TRUE;
        case UM_SHOWSETUP:
            if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            SetForegroundWindow(window);
            return TRUE;
        default:
            return FALSE;
    }
}

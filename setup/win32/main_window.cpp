#include "setup/win32/main_window.h"

#include <commctrl.h>

namespace {

constexpr int TabsId = 100;
constexpr int ApplyId = 101;
constexpr int ProblemsId = 102;

}  // namespace

TMainWindow::TMainWindow(TSetupConfig& config) : config_(config) {
    pages_.push_back(MakeSettingsPage(config));
    pages_.push_back(MakeMacroPage(config, captureField_));
    pages_.push_back(MakeUmlautPage(config));
    pages_.push_back(MakeSoundPage(config));
    pages_.push_back(MakeFilePage(config, &TMainWindow::Reload, this));
}

HWND TMainWindow::Create() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), nullptr, Proc,
                              reinterpret_cast<LPARAM>(this));
}

void TMainWindow::Build() {
    SetWindowTextA(window_, ProgramTitle);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    tabs_ = AddControl(window_, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, 316, 222, TabsId);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(pages_[i]->Title());
        SendMessageA(tabs_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT area;
    GetWindowRect(tabs_, &area);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (auto& page : pages_) {
        HWND child = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), window_, PageProc,
                                        reinterpret_cast<LPARAM>(page.get()));
        SetWindowPos(child, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_HIDEWINDOW);
    }
    AddControl(window_, "STATIC", "", SS_LEFT | SS_NOPREFIX, 6, 229, 150, 18, ProblemsId);
    AddControl(window_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 230, 50, 14, IDOK);
    AddControl(window_, "BUTTON", "Abbrechen", BS_PUSHBUTTON | WS_TABSTOP, 214, 230, 50, 14, IDCANCEL);
    AddControl(window_, "BUTTON", "&\xDC" "bernehmen", BS_PUSHBUTTON | WS_TABSTOP, 268, 230, 50, 14, ApplyId);
    ShowPages();
    ShowTab(0);
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

void TMainWindow::ShowTab(int index) {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        ShowWindow(pages_[i]->Window, static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
    }
    SendMessageA(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TMainWindow::TurnPage(int step) {
    int count = static_cast<int>(pages_.size());
    int current = static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0));
    ShowTab((current + step + count) % count);
}

// The model is read again already; the pages show it.
void TMainWindow::Reload(void* self) { static_cast<TMainWindow*>(self)->ShowPages(); }

bool TMainWindow::Save() {
    std::string failure = config_.Save();
    if (failure.empty()) return true;
    MessageBoxA(window_, failure.c_str(), ProgramTitle, MB_OK | MB_ICONERROR);
    return false;
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
                    self->Close();
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            self->Close();
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

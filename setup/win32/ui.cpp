#include "setup/win32/ui.h"

#include <commdlg.h>

#include <vector>

HWND AddControl(HWND page, const char* className, const std::string& text, DWORD style, int x,
                int y, int width, int height, int id) {
    RECT box{x, y, x + width, y + height};
    MapDialogRect(page, &box);
    HWND control = CreateWindowExA(
        std::string(className) == "EDIT" || std::string(className) == "LISTBOX" ? WS_EX_CLIENTEDGE : 0,
        className, text.c_str(), style | WS_CHILD | WS_VISIBLE, box.left, box.top,
        box.right - box.left, box.bottom - box.top, page,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), TRUE);
    return control;
}

HWND AddLabel(HWND page, const std::string& text, int x, int y, int width, int height) {
    return AddControl(page, "STATIC", text, SS_LEFT, x, y, width, height, -1);
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data());
}

std::string ItemText(HWND page, int id) { return WindowText(GetDlgItem(page, id)); }

void SetItemText(HWND page, int id, const std::string& text) {
    SetDlgItemTextA(page, id, text.c_str());
}

INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto page = reinterpret_cast<TPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_INITDIALOG:
            page = reinterpret_cast<TPage*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
            page->Window = window;
            page->Build();
            return TRUE;
        case WM_COMMAND:
            if (page && !page->Showing) page->Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

namespace {

std::string AskFile(HWND owner, const char* filter, const char* title, const char* extension,
                    bool save) {
    char path[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(path) : std::string();
}

}  // namespace

std::string AskOpenFile(HWND owner, const char* filter, const char* title) {
    return AskFile(owner, filter, title, nullptr, false);
}

std::string AskSaveFile(HWND owner, const char* filter, const char* title, const char* extension) {
    return AskFile(owner, filter, title, extension, true);
}

#include "setup/win32/ui.h"

#include <commdlg.h>

#include <vector>

namespace {

RECT DialogRect(HWND page, int x, int y, int width, int height) {
    RECT box{x, y, x + width, y + height};
    MapDialogRect(page, &box);
    return box;
}

bool HasClientEdge(const std::string& className) {
    return className == "EDIT" || className == "LISTBOX" || className == "SysListView32";
}

// Class names are ASCII.
bool HasClientEdge(const wchar_t* className) {
    std::string name;
    for (const wchar_t* c = className; *c; ++c) name += static_cast<char>(*c);
    return HasClientEdge(name);
}

}  // namespace

HWND AddControl(HWND page, const char* className, const std::string& text, DWORD style, int x,
                int y, int width, int height, int id) {
    RECT box = DialogRect(page, x, y, width, height);
    HWND control = CreateWindowExA(
        HasClientEdge(className) ? WS_EX_CLIENTEDGE : 0, className, text.c_str(), style | WS_CHILD | WS_VISIBLE,
        box.left, box.top, box.right - box.left, box.bottom - box.top, page,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), TRUE);
    return control;
}

HWND AddWideControl(HWND page, const wchar_t* className, DWORD style, int x, int y, int width, int height,
                    int id) {
    RECT box = DialogRect(page, x, y, width, height);
    HWND control = CreateWindowExW(HasClientEdge(className) ? WS_EX_CLIENTEDGE : 0, className, L"",
                                   style | WS_CHILD | WS_VISIBLE, box.left, box.top, box.right - box.left,
                                   box.bottom - box.top, page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), TRUE);
    return control;
}

HWND AddLabel(HWND page, const std::string& text, int x, int y, int width, int height) {
    return AddControl(page, "STATIC", text, SS_LEFT, x, y, width, height, -1);
}

void Place(HWND page, int id, int x, int y, int width, int height) {
    RECT box = DialogRect(page, x, y, width, height);
    SetWindowPos(GetDlgItem(page, id), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE DialogUnits(HWND page) {
    RECT client;
    GetClientRect(page, &client);
    RECT unit{0, 0, 400, 800};
    MapDialogRect(page, &unit);
    return SIZE{client.right * 400 / (unit.right ? unit.right : 1), client.bottom * 800 / (unit.bottom ? unit.bottom : 1)};
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

std::wstring WideItemText(HWND page, int id) {
    HWND control = GetDlgItem(page, id);
    int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    GetWindowTextW(control, text.data(), length + 1);
    return std::wstring(text.data());
}

void SetWideItemText(HWND page, int id, const std::wstring& text) {
    SetWindowTextW(GetDlgItem(page, id), text.c_str());
}

int Ask(HWND owner, const std::string& text, UINT type) {
    return MessageBoxA(owner, text.c_str(), ProgramTitle, type);
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
        case WM_NOTIFY:
            if (page && !page->Showing) page->Notify(*reinterpret_cast<const NMHDR*>(lParam));
            return TRUE;
        case WM_SIZE:
            if (page) page->Layout();
            return TRUE;
        default:
            if (message < WM_APP || !page) return FALSE;
            page->OwnMessage(message, wParam, lParam);
            return TRUE;
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

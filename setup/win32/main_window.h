#pragma once
// The main window of Zolsetup.exe: the pages on tabs, a line for values
// that cannot be shown, and OK, "Abbrechen" and "Übernehmen".
#include <windows.h>

#include <memory>
#include <vector>

#include "setup/win32/pages.h"

// Sent by a second start of the program to the open window.
inline constexpr UINT UM_SHOWSETUP = WM_APP + 1;

class TMainWindow {
public:
    explicit TMainWindow(TSetupConfig& config);

    HWND Create();
    // The capture field of the macro page: its keys bypass the dialog
    // manager, so that no key pressed there selects a control.
    HWND CaptureField() const { return captureField_; }
    HWND Window() const { return window_; }
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or the previous page.
    void TurnPage(int step);

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void Reload(void* self);
    void Build();
    void ShowPages();
    void ShowTab(int index);
    bool Save();
    void Close();

    TSetupConfig& config_;
    HWND window_ = nullptr;
    HWND tabs_ = nullptr;
    HWND captureField_ = nullptr;
    std::vector<std::unique_ptr<TPage>> pages_;
};

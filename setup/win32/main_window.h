#pragma once
// The main window of Zolsetup.exe: the pages on tabs, a line for values
// that cannot be shown, and "Hilfe", OK, "Abbrechen" and "Übernehmen". It
// can be resized; the pages follow.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "setup/win32/pages.h"

// Sent by a second start of the program to the open window.
inline constexpr UINT UM_SHOWSETUP = WM_APP + 1;

class TMainWindow final : public TPageHost {
public:
    TMainWindow(TSetupConfig& config, const std::string& programFolder);

    HWND Create();
    HWND Window() const { return window_; }
    // The key messages that the main window handles before the dialog
    // manager: the capture field's keys, page turns, F1 and Enter on the
    // macro page. True when the message was handled.
    bool PreTranslate(const MSG& message);
    // The test field of the macro page, where the running system acts.
    HWND TestField() const;

    void ModelReplaced() override;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    void Layout();
    void ShowPages();
    void ShowTab(int index);
    void TurnPage(int step);
    TPage& CurrentPage() const;
    void OpenHelp();
    bool Save();
    // Escape, the close box and Abbrechen: asks first when there is
    // something to save.
    void Leave();
    void Close();

    TSetupConfig& config_;
    std::string programFolder_;
    HWND window_ = nullptr;
    HWND tabs_ = nullptr;
    SIZE smallest_{};
    std::vector<std::unique_ptr<TPage>> pages_;
};

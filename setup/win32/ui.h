#pragma once
// The pieces every page of Zolsetup.exe is built from: controls placed in
// dialog units, texts in and out, and the page interface the main window
// drives.
#include <windows.h>

#include <string>

#include "setup/setup_config.h"

// Creates a control on a page, placed in dialog units, with the page's font.
HWND AddControl(HWND page, const char* className, const std::string& text, DWORD style, int x,
                int y, int width, int height, int id);
HWND AddLabel(HWND page, const std::string& text, int x, int y, int width, int height = 8);

std::string WindowText(HWND window);
std::string ItemText(HWND page, int id);
void SetItemText(HWND page, int id, const std::string& text);

class TPage {
public:
    explicit TPage(TSetupConfig& config) : Config(config) {}
    virtual ~TPage() = default;
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    virtual const char* Title() const = 0;
    // Makes the controls; the page's window exists.
    virtual void Build() = 0;
    // Shows the model's values. While it runs, control notifications must
    // not reach the model: a wrongly typed value would count as set.
    virtual void Show() = 0;
    virtual void Command(int id, int code, HWND control) = 0;

    HWND Window = nullptr;
    bool Showing = false;

protected:
    TSetupConfig& Config;
};

// Dialog procedure of every page: hands commands to its TPage.
INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The file dialogs; empty when the user cancels.
std::string AskOpenFile(HWND owner, const char* filter, const char* title);
std::string AskSaveFile(HWND owner, const char* filter, const char* title, const char* extension);

inline constexpr const char* ProgramTitle = "Zolvik32 Konfiguration";

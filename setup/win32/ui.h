#pragma once
// The pieces every page of Zolsetup.exe is built from: controls placed in
// dialog units, which scale with the dialog's font and the screen's DPI,
// texts in and out, and the page interface the main window drives.
#include <windows.h>

#include <string>

#include "setup/setup_config.h"

// Creates a control on a page, placed in dialog units, with the page's font.
HWND AddControl(HWND page, const char* className, const std::string& text, DWORD style, int x,
                int y, int width, int height, int id);
// The same as a Unicode window, which shows and takes any character.
HWND AddWideControl(HWND page, const wchar_t* className, DWORD style, int x, int y, int width, int height,
                    int id);
HWND AddLabel(HWND page, const std::string& text, int x, int y, int width, int height = 8);
// Moves a control to a place in dialog units.
void Place(HWND page, int id, int x, int y, int width, int height);
// The page's client size in dialog units.
SIZE DialogUnits(HWND page);

std::string WindowText(HWND window);
std::string ItemText(HWND page, int id);
void SetItemText(HWND page, int id, const std::string& text);
std::wstring WideItemText(HWND page, int id);
void SetWideItemText(HWND page, int id, const std::wstring& text);

// A message box captioned with the program's title.
int Ask(HWND owner, const std::string& text, UINT type);

// What the main window offers its pages.
class TPageHost {
public:
    virtual ~TPageHost() = default;
    // The model was read again (after an import): every page shows it.
    virtual void ModelReplaced() = 0;
};

class TPage {
public:
    TPage(TSetupConfig& config, TPageHost& host) : Config(config), Host(host) {}
    virtual ~TPage() = default;
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    virtual const char* Title() const = 0;
    // The page of the user guide that describes this one.
    virtual const char* HelpTopic() const = 0;
    // Makes the controls; the page's window exists.
    virtual void Build() = 0;
    // Shows the model's values. While it runs, control notifications must
    // not reach the model: a wrongly typed value would count as set.
    virtual void Show() = 0;
    virtual void Command(int id, int code, HWND control) = 0;
    virtual void Notify(const NMHDR&) {}
    // A message of the page's own (WM_APP and above).
    virtual void OwnMessage(UINT, WPARAM, LPARAM) {}
    // The page's window got a new size.
    virtual void Layout() {}
    // The field whose keys go to it alone, bypassing the dialog manager.
    virtual HWND KeyCaptureField() const { return nullptr; }
    // The field in which the running system acts, to try macros out.
    virtual HWND TestField() const { return nullptr; }
    // Enter (with Ctrl when `ctrl`) pressed in a control of the page: true
    // when the page took it.
    virtual bool Enter(HWND, bool) { return false; }
    // Work begun on the page that is not in the model yet (a binding not
    // entered); EnterPending puts it there and says whether it could.
    virtual bool HasPending() const { return false; }
    virtual bool EnterPending() { return true; }

    HWND Window = nullptr;
    bool Showing = false;

protected:
    void ShowQuietly() {
        Showing = true;
        Show();
        Showing = false;
    }

    TSetupConfig& Config;
    TPageHost& Host;
};

// Dialog procedure of every page: hands commands to its TPage.
INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The file dialogs; empty when the user cancels.
std::string AskOpenFile(HWND owner, const char* filter, const char* title);
std::string AskSaveFile(HWND owner, const char* filter, const char* title, const char* extension);

inline constexpr const char* ProgramTitle = "Zolvik32 Konfiguration";

#pragma once
#include <string>

#include "platform/platform.h"

// One icon in the notification area. The record handed to the shell is the
// first, 88-byte form of NOTIFYICONDATAA, filled afresh before every call.
class TTrayIcon {
public:
    TTrayIcon(win::Platform& platform, win::IconHandle icon, win::Window window,
              win::WindowProc windowProc);
    // Removes the icon from the tray.
    virtual ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    void Show();
    void Hide();
    // A tip longer than szTip holds (63 characters) is cut to fit.
    void SetTip(const std::string& text);
    // The shell has started anew without the icon (Explorer restarted, or
    // the taskbar came up only after a failed add): it is not shown.
    void ShellRestarted() { Shown = false; }

    win::Window Wnd;
    win::IconHandle Icon;
    // Kept as given; nothing here calls it.
    win::WindowProc WndProc;
    win::NotifyIconData IconData{};
    bool Shown = false;
    std::string Tip;

private:
    void FillIconData();
    // The shell call; a failure is signalled by the simple beep.
    bool Notify(std::uint32_t message);

    win::Platform& Api;
};
